#include "forces/costs.h"

#include <limits>

#include "base/helpers.h"

namespace {
// The nearest quantity at or above COST that NBTOURS (2 or more) can divide
// into equal installments; below COST when none fits in 16 bits.
uint16_t PAYABLECOST(uint16_t COST, int32_t NBTOURS) {
  constexpr int32_t MAXQ = std::numeric_limits<uint16_t>::max();
  for (int32_t Q = COST; Q <= MAXQ; ++Q) {
    if (PGCD(NBTOURS, Q) != 1) {
      return static_cast<uint16_t>(Q);
    }
  }
  int32_t Q = COST;
  while (Q > 0 && PGCD(NBTOURS, Q) == 1) {
    --Q;
  }
  return static_cast<uint16_t>(Q);
}
}  // namespace

void CALCULCOSTSCHEDULE(cArrayRessources& RESSNEC, cRessParTour& SCHEDULE, int32_t NBTOURS) {
  if (NBTOURS <= 0) {
    return;
  }
  const auto N = static_cast<std::size_t>(NBRESSOURCES());
  for (std::size_t R = 0; R < N && R < RESSNEC.RESSOURCE.size(); ++R) {
    if (NBTOURS > 1) {
      RESSNEC.RESSOURCE[R] = PAYABLECOST(RESSNEC.RESSOURCE[R], NBTOURS);
    }
    SCHEDULE.CALCUL(static_cast<int32_t>(R), RESSNEC.RESSOURCE[R], NBTOURS);
  }
}
