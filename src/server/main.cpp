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

void INSTALLSIGNALS() {
  // A peer that has gone must not kill the server in the middle of a send.
  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction ACTION {};
  ACTION.sa_handler = ONSTOPSIGNAL;
  sigemptyset(&ACTION.sa_mask);
  sigaction(SIGINT, &ACTION, nullptr);
  sigaction(SIGTERM, &ACTION, nullptr);
}

}  // namespace

int main() {
  INSTALLSIGNALS();
  try {
    INITGAME();
  } catch (const cLoadError& E) {
    CONSOLE(E.what());
    FREEGAME();
    return 1;
  } catch (const std::exception& E) {
    // Whatever else goes wrong while loading ends the start with its reason.
    CONSOLE(std::string("Start-up failed: ") + E.what());
    FREEGAME();
    return 1;
  }

  // No subsystem; no parachute, so SDL leaves the fatal signals alone.
  if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) {
    CONSOLE(std::string("Could not initialize SDL: ") + SDL_GetError());
    FREEGAME();
    return 1;
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
    return 1;
  }

  ZRKSERVER = cServer::CREATE();
  if (!ZRKSERVER) {
    SDLNet_Quit();
    SDL_Quit();
    FREEGAME();
    return 1;
  }
  CONSOLE("Server is listening");

  ZRKSERVER->GAMELOOP();
  if (ZRKSERVER->EXITCODE() == 0) {
    SAVEGAMESTATE();
  }
  const int CODE = ZRKSERVER->EXITCODE();

  ZRKSERVER.reset();
  SDLNet_Quit();
  SDL_Quit();
  FREEGAME();
  return CODE;
}
