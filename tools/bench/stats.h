// Round-trip times gathered during a load run, and their summary.

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// The figures printed for one set of round trips.
struct tSummary {
  std::size_t COUNT = 0;
  int64_t P50 = 0;
  int64_t P90 = 0;
  int64_t P99 = 0;
  int64_t MAX = 0;
};

/// The nearest-rank percentile of SORTED (ascending): the smallest sample such
/// that at least PERCENT percent of the samples are at most it. 0 when empty;
/// PERCENT is clamped to 1..100.
int64_t NEARESTRANK(const std::vector<int64_t>& SORTED, int PERCENT);

/// Round-trip times in microseconds, in any order.
class cLatencies {
 public:
  void ADD(int64_t MICROS) { FSAMPLES.push_back(MICROS); }
  void MERGE(const cLatencies& OTHER);
  std::size_t COUNT() const { return FSAMPLES.size(); }
  /// Count, p50, p90, p99 and maximum of the samples.
  tSummary SUMMARY() const;

 private:
  std::vector<int64_t> FSAMPLES;
};

/// Operations per second; 0 when no time has passed.
double RATE(std::size_t COUNT, double SECONDS);

/// One command's round trip on the monotonic clock, in microseconds.
struct tRoundTrip {
  int64_t SENTUS = 0;
  int64_t DONEUS = 0;
};

/// The round trips under way at some moment of [FROMUS, TOUS]: sent by TOUS
/// and answered at FROMUS or later.
cLatencies DURING(const std::vector<tRoundTrip>& TRIPS, int64_t FROMUS, int64_t TOUS);

/// MICROS as a multiple of FLOORUS for the table: one decimal below 100
/// ("1.5", "99.9"), none from 100 on ("1715"); "-" without a floor.
std::string TIMESFLOOR(int64_t MICROS, int64_t FLOORUS);
