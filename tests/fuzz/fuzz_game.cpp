#include "fuzz_game.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "base/console.h"
#include "base/random.h"
#include "players/joueur.h"
#include "protocol/nanny.h"
#include "server/startup.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace fuzzgame {

namespace {

// Kept for the whole run: console lines go here, never to the fuzzer's output.
std::unique_ptr<cConsoleCapture> CAPTURE;

}  // namespace

void PREPARE(bool PLAYERS) {
  if (CAPTURE == nullptr) {
    CAPTURE = std::make_unique<cConsoleCapture>();
  }
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
  LOAD();
  WORLDMAP->CREATEWORLD();
  if (PLAYERS) {
    for (const auto& [NAME, PASSWORD] : {std::pair{"alice", "merveille"}, {"bob", "secret"}}) {
      cSession S;
      PLAY(S, NAME);
      PLAY(S, PASSWORD);
      PLAY(S, "0");
      // A town where the champion stands, troops in it, one joining the army.
      cJoueur& J = *S.FJOUEUR;
      cBuffer B;
      J.TOBUFFER(B);
      std::string WHERE;
      for (const auto& L : B.LINES()) {
        if (L.rfind("position:", 0) == 0) {
          WHERE = L.substr(9);
          break;
        }
      }
      PLAY(S, "BUILD BOURG " + WHERE);
      PLAY(S, "TURN 5");
      PLAY(S, "RECRUIT 2 MILICIEN " + WHERE);
      PLAY(S, "TURN 4");
    }
    JEUJOUEURS->SAVEPLAYERS();
  }
  FREE();
  QUIETCONSOLE();
}

void PLAY(cSession& S, const std::string& LINE) {
  S.RECEIVEBYTES(LINE.data(), LINE.size());
  S.RECEIVEBYTES("\r", 1);
  while (S.TAKELINE(0)) {
    std::string WHY;
    PLAYLINE(S, WHY);
    S.CLEAROUTPUT();
  }
}

void LOAD() {
  INITGAME();
  RANDOMGEN().SEED(20261206);
}

void FREE() {
  FREEGAME();
}

void WRITEFILE(const std::string& PATH, const uint8_t* DATA, std::size_t SIZE) {
  std::ofstream OUT(PATH, std::ios::binary | std::ios::trunc);
  OUT.write(reinterpret_cast<const char*>(DATA), static_cast<std::streamsize>(SIZE));
  if (!OUT.flush()) {
    std::abort();
  }
}

void QUIETCONSOLE() {
  if (CAPTURE != nullptr) {
    CAPTURE->CLEAR();
  }
}

}  // namespace fuzzgame
