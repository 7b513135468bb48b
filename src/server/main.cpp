// The server's entry: load the game, start the network, serve until stopped.

#include <SDL/SDL.h>
#include <SDL/SDL_net.h>

#include <csignal>
#include <exception>
#include <string>

#include "base/console.h"
#include "base/errors.h"
#include "server/server.h"
#include "server/startup.h"
#include "world/world.h"

namespace {

void ONSTOPSIGNAL(int /*SIG*/) {
  cServer::REQUESTSTOP();
}

void ONSAVESIGNAL(int /*SIG*/) {
  cServer::REQUESTSAVE();
}

void INSTALLSIGNALS() {
  // A peer that has gone must not kill the server in the middle of a send.
  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction ACTION {};
  sigemptyset(&ACTION.sa_mask);
  // Interrupted calls are started again; the loop's wait is woken by a pipe.
  ACTION.sa_flags = SA_RESTART;
  // A closed terminal (SIGHUP) stops the server like Ctrl-C and SIGTERM: the
  // players are saved.
  ACTION.sa_handler = ONSTOPSIGNAL;
  for (const int SIG : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(SIG, &ACTION, nullptr);
  }
  // SIGUSR1 asks for a save pass now (before a backup, say).
  ACTION.sa_handler = ONSAVESIGNAL;
  sigaction(SIGUSR1, &ACTION, nullptr);
}

// What every way out does last: the console's waiting lines get a moment to be
// written, whoever reads them.
int FINISH(int CODE) {
  CONSOLEDRAIN(2000);
  return CODE;
}

}  // namespace

int main() {
  INSTALLSIGNALS();
  CONSOLEOPEN();
  try {
    INITGAME();
  } catch (const cLoadError& E) {
    CONSOLE(E.what());
    FREEGAME();
    return FINISH(1);
  } catch (const std::exception& E) {
    // Whatever else goes wrong while loading ends the start with its reason.
    CONSOLE(std::string("Start-up failed: ") + E.what());
    FREEGAME();
    return FINISH(1);
  }

  // No subsystem; no parachute, so SDL leaves the fatal signals alone.
  if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) {
    CONSOLE(std::string("Could not initialize SDL: ") + SDL_GetError());
    FREEGAME();
    return FINISH(1);
  }
  SDLNet_Init();

  try {
    if (WORLDMAP->ISEMPTY()) {
      WORLDMAP->CREATEWORLD();
    }
  } catch (const std::exception& E) {
    CONSOLE(E.what());
    SDLNet_Quit();
    SDL_Quit();
    FREEGAME();
    return FINISH(1);
  }

  ZRKSERVER = cServer::CREATE();
  if (!ZRKSERVER) {
    SDLNet_Quit();
    SDL_Quit();
    FREEGAME();
    return FINISH(1);
  }
  CONSOLE("Server is listening");

  ZRKSERVER->GAMELOOP();
  // Whatever ended the loop, the players are saved.
  SAVEGAMESTATE();
  const int CODE = ZRKSERVER->EXITCODE();

  ZRKSERVER.reset();
  SDLNet_Quit();
  SDL_Quit();
  FREEGAME();
  return FINISH(CODE);
}
