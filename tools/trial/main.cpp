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

#include "crash.h"
#include "net.h"
#include "soak.h"

namespace {

int USAGE() {
  std::cerr << "usage: royaumes-trial crash [--kills N] [--players P] [--server PATH] [--game DIR]"
               " [--seed S] [--port N]\n"
               "       royaumes-trial soak [--seconds S] [--clients N] [--server PATH]"
               " [--game DIR] [--seed S] [--env NAME=VALUE]... [--port N]\n";
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
  long PORT = 0;
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
    } else if (A == "--port" && NUMBER(V, 0, 65535, N)) {
      PORT = N;
    } else if (A == "--env" && V.find('=') != std::string::npos) {
      SOAK.ENV.push_back(V);
    } else {
      return USAGE();
    }
  }
  try {
    SETTRIALPORT(static_cast<uint16_t>(PORT));
  } catch (const std::exception& E) {
    std::cerr << "royaumes-trial: " << E.what() << "\n";
    return 1;
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
