#include "base/random.h"

#include <chrono>

void cRandom::RANDOMIZE() {
  const auto NOW = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  FENGINE.seed(static_cast<uint64_t>(NOW));
}

int32_t cRandom::RANDOM(int32_t N) {
  if (N <= 0) {
    return 0;
  }
  std::uniform_int_distribution<int32_t> DIST(0, N - 1);
  return DIST(FENGINE);
}

cRandom& RANDOMGEN() {
  static cRandom GENERATOR;
  return GENERATOR;
}
