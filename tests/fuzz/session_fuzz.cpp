// A whole client session: the bytes a client sends, framed into lines, through
// the login dialogue (account, password, race) and then the command
// interpreter, exactly as the server's loop hands them over, on a session
// without a socket. Every input plays on the same freshly loaded game.

#include <cstddef>
#include <cstdint>

#include "fuzz_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* DATA, std::size_t SIZE) {
  fuzzgame::LOAD();
  {
    cSession S;
    S.RECEIVEBYTES(reinterpret_cast<const char*>(DATA), SIZE);
    fuzzgame::DRIVE(S);
  }
  fuzzgame::FREE();
  return 0;
}
