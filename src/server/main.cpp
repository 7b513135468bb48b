// The server's entry: load the game, start the network, serve until stopped.

#include <SDL/SDL.h>
#include <SDL/SDL_net.h>

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/errors.h"
#include "server/options.h"
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

int main(int ARGC, char** ARGV) {
  const std::string PROGRAM = ARGC > 0 ? ARGV[0] : "royaumes-server";
  std::string ERROR;
  const auto OPTIONS =
      PARSESERVEROPTIONS(std::vector<std::string>(ARGV + (ARGC > 0 ? 1 : 0), ARGV + ARGC), ERROR);
  if (!OPTIONS) {
    std::cerr << PROGRAM << ": " << ERROR << "\n";
    return 2;
  }
  if (OPTIONS->HELP) {
    std::cout << SERVERUSAGE(PROGRAM);
    return 0;
  }
  if (OPTIONS->VERSION) {
    std::cout << "royaumes-server " << SERVERVERSION() << "\n";
    return 0;
  }
  // Every file of the game is named from the game directory.
  if (::chdir(OPTIONS->DIR.c_str()) != 0) {
    std::cerr << PROGRAM << ": cannot use the game directory " << OPTIONS->DIR << ": "
              << std::strerror(errno) << "\n";
    return 1;
  }

  INSTALLSIGNALS();
  CONSOLEOPEN();
  try {
    INITGAME(OPTIONS->SEED);
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

  ZRKSERVER = cServer::CREATE(*OPTIONS);
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
