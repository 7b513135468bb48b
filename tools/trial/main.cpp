// royaumes-trial: the crash trial and the soak of the server.
//
//   royaumes-trial crash [--kills N] [--players P] [--server PATH] [--game DIR] [--seed S]
//   royaumes-trial soak [--seconds S] [--clients N] [--server PATH] [--game DIR] [--seed S]
//                       [--env NAME=VALUE]...

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "crash.h"
#include "soak.h"

namespace {

int USAGE() {
  std::cerr << "usage: royaumes-trial crash [--kills N] [--players P] [--server PATH] [--game DIR]"
               " [--seed S]\n"
               "       royaumes-trial soak [--seconds S] [--clients N] [--server PATH]"
               " [--game DIR] [--seed S] [--env NAME=VALUE]...\n";
  return 2;
}

bool NUMBER(const std::string& TEXT, long LOW, long HIGH, long& OUT) {
  try {
    std::size_t END = 0;
    OUT = std::stol(TEXT, &END);
    return END == TEXT.size() && OUT >= LOW && OUT <= HIGH;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int main(int ARGC, char** ARGV) {
  std::signal(SIGPIPE, SIG_IGN);
  if (ARGC < 2) {
    return USAGE();
  }
  const std::string MODE = ARGV[1];
  tCrashOptions CRASH;
  tSoakOptions SOAK;
  CRASH.SERVER = SOAK.SERVER = ROYAUMES_TRIAL_SERVER;
  CRASH.GAME = SOAK.GAME = ROYAUMES_TRIAL_GAME;
  for (int I = 2; I < ARGC; ++I) {
    const std::string A = ARGV[I];
    if (I + 1 >= ARGC) {
      return USAGE();
    }
    const std::string V = ARGV[++I];
    long N = 0;
    if (A == "--server") {
      CRASH.SERVER = SOAK.SERVER = V;
    } else if (A == "--game") {
      CRASH.GAME = SOAK.GAME = V;
    } else if (A == "--seed" && NUMBER(V, 0, 2147483647, N)) {
      CRASH.SEED = SOAK.SEED = static_cast<uint64_t>(N);
    } else if (A == "--kills" && NUMBER(V, 1, 1000000, N)) {
      CRASH.KILLS = static_cast<int>(N);
    } else if (A == "--players" && NUMBER(V, 1, 2000, N)) {
      CRASH.PLAYERS = static_cast<int>(N);
    } else if (A == "--seconds" && NUMBER(V, 1, 86400, N)) {
      SOAK.SECONDS = static_cast<int>(N);
    } else if (A == "--clients" && NUMBER(V, 1, 400, N)) {
      SOAK.CLIENTS = static_cast<int>(N);
    } else if (A == "--env" && V.find('=') != std::string::npos) {
      SOAK.ENV.push_back(V);
    } else {
      return USAGE();
    }
  }
  if (MODE == "crash") {
    // Players made along the way: one per kill, up to 300 more.
    CRASH.ACCOUNTS = CRASH.PLAYERS + std::min(CRASH.KILLS, 300);
    return RUNCRASHTRIAL(CRASH);
  }
  if (MODE == "soak") {
    return RUNSOAK(SOAK);
  }
  return USAGE();
}
