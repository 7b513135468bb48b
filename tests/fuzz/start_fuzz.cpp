// The server's start on a game directory one of whose files holds the input
// (FUZZ_FILE: a rules file, the accounts, a player file or the world), then,
// when the start accepts it, a little play on what was loaded: every player
// answers the queries and passes turns, a new player is created, and the game
// is saved as the server saves it. A start that refuses the file with a
// console line, as the server's entry does for any exception of the loading,
// is the expected answer to a bad file.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_game.h"
#include "players/joueur.h"
#include "server/server.h"
#include "world/world.h"

#ifndef FUZZ_FILE
#error "FUZZ_FILE names the file of the game copy that the input replaces"
#endif
#ifndef FUZZ_REMOVE
#define FUZZ_REMOVE ""
#endif

namespace {

const std::vector<std::string> QUERIES = {"GET ALL",
                                          "GET GAME RACES",
                                          "GET GAME RESSOURCES",
                                          "GET GAME LANDS",
                                          "GET GAME CLASSES",
                                          "GET GAME GRID",
                                          "GET GAME TROOP #0",
                                          "GET TAVERN",
                                          "GET SQUARES",
                                          "GET MAPPED",
                                          "GET TROOPS VISIBLES",
                                          "GET CHAMPIONS VISIBLES",
                                          "GET ENEMY BUILDINGS",
                                          "GET LOG",
                                          "TURN 3"};

void PLAYLOADEDGAME() {
  if (WORLDMAP->ISEMPTY()) {
    // The server's entry stops the start with the reason when the world
    // cannot be made (no terrain to make it from, a disk that refuses it).
    try {
      WORLDMAP->CREATEWORLD();
    } catch (const std::exception&) {
      return;
    }
  }
  std::vector<cJoueur*> PLAYERS;
  for (int32_t I = 0; I < JEUJOUEURS->COUNT(); ++I) {
    PLAYERS.push_back(JEUJOUEURS->ITEM(I));
  }
  for (cJoueur* J : PLAYERS) {
    cSession S;
    S.FJOUEUR = J;
    S.FSTATE = CON_PLAYING;
    for (const auto& Q : QUERIES) {
      fuzzgame::PLAY(S, Q);
    }
  }
  cSession NEWCOMER;
  for (const char* LINE : {"demo", "demo", "0", "GET ALL", "TURN 2"}) {
    fuzzgame::PLAY(NEWCOMER, LINE);
  }
  SAVEGAMESTATE();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzgame::PREPARE(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* DATA, std::size_t SIZE) {
  std::error_code EC;
  if (std::string(FUZZ_REMOVE).size() > 0) {
    std::filesystem::remove(FUZZ_REMOVE, EC);
  }
  fuzzgame::WRITEFILE(FUZZ_FILE, DATA, SIZE);
  bool LOADED = false;
  try {
    fuzzgame::LOAD();
    LOADED = true;
  } catch (const std::exception&) {
    // The start refuses the file with a console line that says why (a
    // cLoadError names the file, the line and the text).
  }
  if (LOADED) {
    PLAYLOADEDGAME();
  }
  fuzzgame::FREE();
  fuzzgame::QUIETCONSOLE();
  return 0;
}
