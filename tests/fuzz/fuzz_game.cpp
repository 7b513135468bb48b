#include "fuzz_game.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "base/console.h"
#include "players/joueur.h"
#include "protocol/nanny.h"
#include "server/startup.h"
#include "world/world.h"

namespace fs = std::filesystem;

// Console lines go here, never to the fuzzer's output.
static std::unique_ptr<cConsoleCapture> CAPTURE;

namespace fuzzgame {

void LOAD() {
  INITGAME(20261206);
}

void FREE() {
  FREEGAME();
  CAPTURE->CLEAR();
}

void DRIVE(cSession& S) {
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

void PLAY(cSession& S, const std::string& LINES) {
  const std::string BYTES = LINES + "\r";
  S.RECEIVEBYTES(BYTES.data(), BYTES.size());
  DRIVE(S);
}

}  // namespace fuzzgame

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  CAPTURE = std::make_unique<cConsoleCapture>();
  std::string PATTERN = (fs::temp_directory_path() / "royaumes-fuzz-XXXXXX").string();
  if (::mkdtemp(PATTERN.data()) == nullptr) {
    throw std::runtime_error("cannot create " + PATTERN);
  }
  fs::copy(ROYAUMES_GAME_DIR, PATTERN, fs::copy_options::recursive);
  fs::current_path(PATTERN);
  // The copy goes with the process, whichever way it ends.
  static const std::string DIR = PATTERN;
  std::atexit([] {
    std::error_code EC;
    fs::remove_all(DIR, EC);
  });
  fuzzgame::LOAD();
  WORLDMAP->CREATEWORLD();
  for (const auto& [NAME, PASSWORD] : {std::pair{"alice", "merveille"}, {"bob", "secret"}}) {
    cSession S;
    fuzzgame::PLAY(S, std::string(NAME) + "\r" + PASSWORD + "\r0");
    // A town where the champion stands, troops in it, one joining the army.
    cBuffer B;
    S.FJOUEUR->TOBUFFER(B);
    std::string WHERE;
    for (const auto& L : B.LINES()) {
      if (L.rfind("position:", 0) == 0 && WHERE.empty()) {
        WHERE = L.substr(9);
      }
    }
    fuzzgame::PLAY(S,
                   "BUILD BOURG " + WHERE + "\rTURN 5\rRECRUIT 2 MILICIEN " + WHERE + "\rTURN 4");
  }
  JEUJOUEURS->SAVEPLAYERS();
  fuzzgame::FREE();
  return 0;
}
