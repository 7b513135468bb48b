// The server's start on a game directory one of whose files holds the input
// (FUZZ_FILE: a rules file, the accounts, a player file or the world), then,
// when the start accepts it, a little play on what was loaded: every player
// answers the queries and passes turns, a new player is created, and the game
// is saved as the server saves it. A start that refuses the file (the
// server's entry then stops with the reason) is the expected answer to a bad
// file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

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
  for (int32_t I = 0, N = JEUJOUEURS->COUNT(); I < N; ++I) {
    cSession S;
    S.FJOUEUR = JEUJOUEURS->ITEM(I);
    S.FSTATE = CON_PLAYING;
    fuzzgame::PLAY(S,
                   "GET ALL\rGET GAME RACES\rGET GAME RESSOURCES\rGET GAME LANDS\r"
                   "GET GAME CLASSES\rGET GAME GRID\rGET GAME TROOP #0\rGET TAVERN\rGET SQUARES\r"
                   "GET MAPPED\rGET TROOPS VISIBLES\rGET CHAMPIONS VISIBLES\r"
                   "GET ENEMY BUILDINGS\rGET LOG\rTURN 3");
  }
  cSession NEWCOMER;
  fuzzgame::PLAY(NEWCOMER, "demo\rdemo\r0\rGET ALL\rTURN 2");
  SAVEGAMESTATE();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* DATA, std::size_t SIZE) {
  std::error_code EC;
  std::filesystem::remove(FUZZ_REMOVE, EC);
  std::ofstream OUT(FUZZ_FILE, std::ios::binary | std::ios::trunc);
  if (!OUT.write(reinterpret_cast<const char*>(DATA), static_cast<std::streamsize>(SIZE)).flush()) {
    std::abort();
  }
  OUT.close();
  try {
    fuzzgame::LOAD();
  } catch (const std::exception&) {
    fuzzgame::FREE();
    return 0;
  }
  PLAYLOADEDGAME();
  fuzzgame::FREE();
  return 0;
}
