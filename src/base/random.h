#pragma once

#include <cstdint>
#include <random>

/// The one random generator of the process: dice, chance tests, world
/// creation, placement of new players, battles and the tavern draw from it.
class cRandom {
 public:
  cRandom() : FENGINE(0) {}

  /// Seeds from the clock; called once at start-up.
  void RANDOMIZE();
  /// Seeds with a fixed value (tests, reproducible runs).
  void SEED(uint64_t VALUE) { FENGINE.seed(VALUE); }
  /// A uniform draw from 0 .. N - 1; 0 when N is 0 or negative.
  int32_t RANDOM(int32_t N);

 private:
  std::mt19937_64 FENGINE;
};

/// The process-wide generator.
cRandom& RANDOMGEN();
