#include "base/helpers.h"

#include <cstdlib>

#include "base/random.h"

int32_t PGCD(int32_t A, int32_t B) {
  // Euclid's remainders give the same result as repeated subtraction, without
  // its depth (PGCD(1000000, 1) would otherwise take a million steps).
  int64_t X = std::llabs(A);
  int64_t Y = std::llabs(B);
  while (Y != 0) {
    const int64_t R = X % Y;
    X = Y;
    Y = R;
  }
  return static_cast<int32_t>(X);
}

bool PERCENT(int32_t N1) {
  return RANDOMGEN().RANDOM(101) <= N1;
}
