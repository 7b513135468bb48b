#include "server/server.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <string>

#include "base/console.h"
#include "players/joueur.h"
#include "world/world.h"

// Saves and signals: the save passes of the loop, the save of the whole game
// at the stop, and the requests that signals leave for the loop.

volatile std::sig_atomic_t cServer::FSTOPREQUESTED = 0;
volatile std::sig_atomic_t cServer::FSAVEREQUESTED = 0;
int cServer::FWAKEPIPE[2] = {-1, -1};

namespace {

int64_t MICROSECONDSSINCE(std::chrono::steady_clock::time_point START) {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               START)
      .count();
}

// The deposits that exploitation changes live in the cached squares: written
// back, the world survives a restart. A world that cannot be written (a full
// disk) is said, and the players are saved all the same.
void SAVEWORLDSQUARES() {
  if (WORLDMAP) {
    try {
      WORLDMAP->SAVEWORLD();
    } catch (const std::exception& E) {
      CONSOLE(E.what());
    }
  }
}

}  // namespace

void SAVEGAMESTATE() {
  SAVEWORLDSQUARES();
  if (JEUJOUEURS) {
    JEUJOUEURS->SAVEPLAYERS();
  }
}

void cServer::WAKE() {
  if (FWAKEPIPE[1] >= 0) {
    const char BYTE = 0;
    if (::write(FWAKEPIPE[1], &BYTE, 1) < 0) {
      // Full: the loop has a wake-up waiting already.
    }
  }
}

void cServer::REQUESTSTOP() {
  FSTOPREQUESTED = 1;
  WAKE();
}

void cServer::REQUESTSAVE() {
  FSAVEREQUESTED = 1;
  WAKE();
}

void cServer::STARTSAVE(bool ASKED) {
  const auto START = std::chrono::steady_clock::now();
  SAVEWORLDSQUARES();
  if (JEUJOUEURS) {
    JEUJOUEURS->STARTSAVEPASS();
  }
  FSAVING = true;
  FSAVEASKED = ASKED;
  FSAVEWRITTEN = 0;
  FSAVELONGESTUS = MICROSECONDSSINCE(START);
  SAVESTEP();
}

void cServer::SAVESTEP() {
  if (!FSAVING) {
    return;
  }
  const auto START = std::chrono::steady_clock::now();
  if (JEUJOUEURS && JEUJOUEURS->SAVING()) {
    FSAVEWRITTEN += JEUJOUEURS->SAVESTEP(SAVESTEPUS);
  }
  FSAVELONGESTUS = std::max(FSAVELONGESTUS, MICROSECONDSSINCE(START));
  if (JEUJOUEURS && JEUJOUEURS->SAVING()) {
    return;
  }
  FSAVING = false;
  if (FSAVEWRITTEN > 0 || FSAVEASKED) {
    CONSOLE("Save pass: " + std::to_string(FSAVEWRITTEN) + " players written, longest pause " +
            std::to_string(FSAVELONGESTUS) + " us");
  }
}
