#include "stats.h"

#include <algorithm>
#include <cstdio>

int64_t NEARESTRANK(const std::vector<int64_t>& SORTED, int PERCENT) {
  if (SORTED.empty()) {
    return 0;
  }
  const auto P = static_cast<std::size_t>(std::clamp(PERCENT, 1, 100));
  // Integer arithmetic: the rank of p90 among 10 samples is exactly 9.
  const std::size_t RANK = (P * SORTED.size() + 99) / 100;
  return SORTED[RANK - 1];
}

void cLatencies::MERGE(const cLatencies& OTHER) {
  FSAMPLES.insert(FSAMPLES.end(), OTHER.FSAMPLES.begin(), OTHER.FSAMPLES.end());
}

tSummary cLatencies::SUMMARY() const {
  std::vector<int64_t> SORTED = FSAMPLES;
  std::sort(SORTED.begin(), SORTED.end());
  tSummary S;
  S.COUNT = SORTED.size();
  S.P50 = NEARESTRANK(SORTED, 50);
  S.P90 = NEARESTRANK(SORTED, 90);
  S.P99 = NEARESTRANK(SORTED, 99);
  S.MAX = SORTED.empty() ? 0 : SORTED.back();
  return S;
}

double RATE(std::size_t COUNT, double SECONDS) {
  return SECONDS > 0 ? static_cast<double>(COUNT) / SECONDS : 0.0;
}

cLatencies DURING(const std::vector<tRoundTrip>& TRIPS, int64_t FROMUS, int64_t TOUS) {
  cLatencies R;
  for (const tRoundTrip& T : TRIPS) {
    if (T.SENTUS <= TOUS && T.DONEUS >= FROMUS) {
      R.ADD(T.DONEUS - T.SENTUS);
    }
  }
  return R;
}

std::string TIMESFLOOR(int64_t MICROS, int64_t FLOORUS) {
  if (FLOORUS <= 0 || MICROS < 0) {
    return "-";
  }
  const double RATIO = static_cast<double>(MICROS) / static_cast<double>(FLOORUS);
  char TEXT[32];
  // Decided on the rounded value: 99.96 is "100", never "100.0".
  std::snprintf(TEXT, sizeof TEXT, RATIO < 99.95 ? "%.1f" : "%.0f", RATIO);
  return TEXT;
}
