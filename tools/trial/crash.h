// The crash trial (make crashtest).

#pragma once

#include <cstdint>
#include <string>

struct tCrashOptions {
  std::string SERVER;
  std::string GAME;
  int KILLS = 100;
  /// Players that play between two kills (and one new player each time).
  int PLAYERS = 40;
  /// Accounts of the game copy: the players made along the way.
  int ACCOUNTS = 0;
  uint64_t SEED = 1;
  /// Where the servers listen.
  uint16_t PORT = 9090;
};

/// Runs the trial and prints its figures; 0 when every file was whole.
int RUNCRASHTRIAL(const tCrashOptions& O);
