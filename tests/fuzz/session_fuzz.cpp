// A whole client session: the bytes a client sends, framed into lines, through
// the login dialogue (account, password, race) and then the command
// interpreter, exactly as the server's loop hands them over, on a session
// without a socket. Every input plays on the same freshly loaded game, where
// alice and bob already have a town and troops.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_game.h"
#include "protocol/nanny.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzgame::PREPARE(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* DATA, std::size_t SIZE) {
  fuzzgame::LOAD();
  {
    cSession S;
    S.RECEIVEBYTES(reinterpret_cast<const char*>(DATA), SIZE);
    // The server acts on the lines of a session that asked to quit no more,
    // and waits out a hold (wrong passwords) rather than skipping it.
    uint32_t NOW = 0;
    while (S.FSTATE != CON_CLOSING && S.HASLINE()) {
      if (!S.TAKELINE(NOW)) {
        NOW = S.HOLDTICK();
        continue;
      }
      std::string WHY;
      PLAYLINE(S, WHY);
      S.CLEAROUTPUT();
    }
  }
  fuzzgame::FREE();
  fuzzgame::QUIETCONSOLE();
  return 0;
}
