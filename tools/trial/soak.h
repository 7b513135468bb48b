// The soak (make soak).

#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct tSoakOptions {
  std::string SERVER;
  std::string GAME;
  int SECONDS = 60;
  int CLIENTS = 50;
  /// One client in this many misbehaves (garbage, over-long lines, no
  /// reading, vanishing mid-line).
  int MISBEHAVINGEVERY = 5;
  /// Mean pause of a well-behaved client between a reply and its next command.
  int THINKMS = 100;
  /// The least time between two commands of one client that add to its game
  /// (BUILD, RECRUIT of troops). The rules let a player queue constructions it
  /// cannot pay for without end, so at full speed the game itself would grow
  /// and hide what the server keeps; at this pace it grows a few hundred
  /// bytes a second.
  int GROWMS = 10000;
  /// The longest wait for a reply before it counts as lost.
  int REPLYMS = 30000;
  uint64_t SEED = 1;
  /// Where the servers listen.
  uint16_t PORT = 9090;
  /// Variables given to the server (ASAN_OPTIONS=...).
  std::vector<std::string> ENV;
};

/// Runs the soak and prints its figures and memory samples; 0 when no reply
/// was lost, the server reported nothing and its memory stayed flat.
int RUNSOAK(const tSoakOptions& O);

/// Whether the last quarter of SAMPLES (KiB, in time order) stays within
/// the second quarter's mean plus 10 % and 4 MiB; WHY gives both means.
bool MEMORYFLAT(const std::vector<long>& SAMPLES, std::string& WHY);

/// The lines of CONSOLE that are sanitizer reports.
std::vector<std::string> SANITIZERREPORTS(const std::string& CONSOLE);
