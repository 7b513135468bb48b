#pragma once

#include <cstdint>

/// Greatest common divisor of two non-negative numbers; PGCD(A, 0) = A,
/// PGCD(0, B) = B, PGCD(0, 0) = 0. Negative arguments count by their size.
int32_t PGCD(int32_t A, int32_t B);

/// A chance test that succeeds with probability (N1 + 1) / 101 for N1 in 0..100:
/// always for 100 and above, never below 0.
bool PERCENT(int32_t N1);

/// Destroys every element of a list that owns them, first to last, leaving it empty.
template <class LIST>
void FREEANDNILLIST(LIST& L) {
  while (L.COUNT() > 0) {
    L.EXTRACT(0);
  }
}
