// Percentiles of the load client: the nearest-rank rule on small samples,
// where an off-by-one shows.

#include <gtest/gtest.h>

#include "stats.h"

TEST(BenchPercentile, NearestRankOnTenSamples) {
  const std::vector<int64_t> S{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(NEARESTRANK(S, 50), 5);
  EXPECT_EQ(NEARESTRANK(S, 90), 9);
  EXPECT_EQ(NEARESTRANK(S, 99), 10);
  EXPECT_EQ(NEARESTRANK(S, 100), 10);
  EXPECT_EQ(NEARESTRANK(S, 1), 1);
}

TEST(BenchPercentile, RanksRoundUpBetweenSamples) {
  // 90 % of 7 samples is 6.3: the 7th sample is the first that covers it.
  const std::vector<int64_t> S{10, 20, 30, 40, 50, 60, 70};
  EXPECT_EQ(NEARESTRANK(S, 90), 70);
  EXPECT_EQ(NEARESTRANK(S, 50), 40);
  // 99 % of 200 samples is exactly the 198th.
  std::vector<int64_t> L;
  for (int64_t I = 1; I <= 200; ++I) {
    L.push_back(I);
  }
  EXPECT_EQ(NEARESTRANK(L, 99), 198);
}

TEST(BenchPercentile, EmptySingleAndOutOfRange) {
  EXPECT_EQ(NEARESTRANK({}, 50), 0);
  EXPECT_EQ(NEARESTRANK({42}, 1), 42);
  EXPECT_EQ(NEARESTRANK({42}, 99), 42);
  EXPECT_EQ(NEARESTRANK({1, 2}, 0), 1);
  EXPECT_EQ(NEARESTRANK({1, 2}, 250), 2);
}

TEST(BenchLatencies, SummarySortsSamplesGivenInAnyOrder) {
  cLatencies L;
  for (const int64_t V : {900, 100, 500, 300, 700, 200, 800, 400, 1000, 600}) {
    L.ADD(V);
  }
  cLatencies MORE;
  MORE.ADD(5000);
  L.MERGE(MORE);
  const tSummary S = L.SUMMARY();
  EXPECT_EQ(S.COUNT, 11u);
  EXPECT_EQ(S.P50, 600);
  EXPECT_EQ(S.P90, 1000);
  EXPECT_EQ(S.P99, 5000);
  EXPECT_EQ(S.MAX, 5000);
  const tSummary NONE = cLatencies().SUMMARY();
  EXPECT_EQ(NONE.COUNT, 0u);
  EXPECT_EQ(NONE.MAX, 0);
}

TEST(BenchRate, CountsPerSecondAndNoDivisionByZero) {
  EXPECT_DOUBLE_EQ(RATE(200, 0.5), 400.0);
  EXPECT_DOUBLE_EQ(RATE(10, 0.0), 0.0);
}

TEST(BenchTimesFloor, OneDecimalBelowAHundredNoneFromThereOn) {
  const struct {
    int64_t MICROS, FLOOR;
    const char* TEXT;
  } CASES[] = {{45, 30, "1.5"},   {30, 30, "1.0"},   {0, 30, "0.0"},      {2997, 30, "99.9"},
               {2999, 30, "100"}, {3000, 30, "100"}, {51441, 30, "1715"}, {51441, 0, "-"},
               {51441, -5, "-"},  {-1, 30, "-"}};
  for (const auto& C : CASES) {
    EXPECT_EQ(TIMESFLOOR(C.MICROS, C.FLOOR), C.TEXT) << C.MICROS << "/" << C.FLOOR;
  }
}

TEST(BenchDuring, RoundTripsUnderWayAtSomeMomentOfTheWindow) {
  // The window is [100, 200]; each round trip's length tells it apart.
  const std::vector<tRoundTrip> TRIPS{
      {10, 99},    // answered before the window: 89, out
      {10, 100},   // answered as it opens: 90, in
      {150, 160},  // inside: 10, in
      {50, 500},   // across the whole window: 450, in
      {200, 210},  // sent as it closes: 10, in
      {201, 202},  // sent after: 1, out
  };
  const tSummary S = DURING(TRIPS, 100, 200).SUMMARY();
  EXPECT_EQ(S.COUNT, 4u);
  EXPECT_EQ(S.MAX, 450);
  EXPECT_EQ(NEARESTRANK({10, 10, 90, 450}, 50), S.P50);
  EXPECT_EQ(DURING({}, 0, 10).COUNT(), 0u);
}
