// royaumes-trial: the crash trial and the soak of the server.
//
//   royaumes-trial crash [--kills N] [--players P] [--server PATH] [--game DIR] [--seed S]
//                        [--port N]
//   royaumes-trial soak [--seconds S] [--clients N] [--server PATH] [--game DIR] [--seed S]
//                       [--env NAME=VALUE]... [--port N]
//
// The servers listen on --port, by default a port that is free at the start.

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "args.h"
#include "crash.h"
#include "process.h"
#include "soak.h"

namespace {

int USAGE() {
  std::cerr << "usage: royaumes-trial crash [--kills N] [--players P] [--server PATH] [--game DIR]"
               " [--seed S] [--port N]\n"
               "       royaumes-trial soak [--seconds S] [--clients N] [--server PATH]"
               " [--game DIR] [--seed S] [--env NAME=VALUE]... [--port N]\n";
  return 2;
}

}  // namespace

int main(int ARGC, char** ARGV) {
  std::signal(SIGPIPE, SIG_IGN);
  const cArgs A(std::vector<std::string>(ARGV + 1, ARGV + ARGC),
                {"--server", "--game", "--seed", "--kills", "--players", "--seconds", "--clients",
                 "--port", "--env"},
                {});
  long SEED = 1, KILLS = 100, PLAYERS = 40, SECONDS = 60, CLIENTS = 50, PORT = 0;
  bool OK = A.ERROR().empty() && A.WORDS().size() == 1 && A.NUMBER("--seed", 0, 2147483647, SEED) &&
            A.NUMBER("--kills", 1, 1000000, KILLS) && A.NUMBER("--players", 1, 2000, PLAYERS) &&
            A.NUMBER("--seconds", 1, 86400, SECONDS) && A.NUMBER("--clients", 1, 400, CLIENTS) &&
            A.NUMBER("--port", 0, 65535, PORT);
  for (const std::string& E : A.VALUES("--env")) {
    OK = OK && E.find('=') != std::string::npos;
  }
  if (!OK) {
    return USAGE();
  }
  const std::string MODE = A.WORDS()[0];
  try {
    if (PORT == 0) {
      PORT = FREEPORT();
    }
  } catch (const std::exception& E) {
    std::cerr << "royaumes-trial: " << E.what() << "\n";
    return 1;
  }
  if (MODE == "crash") {
    tCrashOptions CRASH;
    CRASH.SERVER = A.VALUE("--server", ROYAUMES_TRIAL_SERVER);
    CRASH.GAME = A.VALUE("--game", ROYAUMES_TRIAL_GAME);
    CRASH.SEED = static_cast<uint64_t>(SEED);
    CRASH.PORT = static_cast<uint16_t>(PORT);
    CRASH.KILLS = static_cast<int>(KILLS);
    CRASH.PLAYERS = static_cast<int>(PLAYERS);
    // Players made along the way: one per kill, up to 300 more.
    CRASH.ACCOUNTS = CRASH.PLAYERS + std::min(CRASH.KILLS, 300);
    return RUNCRASHTRIAL(CRASH);
  }
  if (MODE == "soak") {
    tSoakOptions SOAK;
    SOAK.SERVER = A.VALUE("--server", ROYAUMES_TRIAL_SERVER);
    SOAK.GAME = A.VALUE("--game", ROYAUMES_TRIAL_GAME);
    SOAK.SEED = static_cast<uint64_t>(SEED);
    SOAK.PORT = static_cast<uint16_t>(PORT);
    SOAK.SECONDS = static_cast<int>(SECONDS);
    SOAK.CLIENTS = static_cast<int>(CLIENTS);
    SOAK.ENV = A.VALUES("--env");
    return RUNSOAK(SOAK);
  }
  return USAGE();
}
