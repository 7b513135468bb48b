// The load client's own logic: the figures of its table, and the save pass it
// reads on the console.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serverlog.h"
#include "stats.h"

TEST(Bench, NearestRankRatiosAndTheRoundTripsOfAWindow) {
  // 90 % of 7 samples is 6.3: the 7th covers it; 50 % is 3.5: the 4th.
  EXPECT_EQ(NEARESTRANK({10, 20, 30, 40, 50, 60, 70}, 90), 70);
  EXPECT_EQ(NEARESTRANK({10, 20, 30, 40, 50, 60, 70}, 50), 40);
  EXPECT_EQ(NEARESTRANK({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 90), 9);
  EXPECT_EQ(NEARESTRANK({}, 50), 0);
  for (const auto& [MICROS, FLOOR, TEXT] : std::vector<std::tuple<int64_t, int64_t, std::string>>{
           {45, 30, "1.5"}, {2997, 30, "99.9"}, {2999, 30, "100"}, {51441, 0, "-"}}) {
    EXPECT_EQ(TIMESFLOOR(MICROS, FLOOR), TEXT) << MICROS;
  }
  // The window is [100, 200]: trips answered before it or sent after it are out.
  const tSummary S =
      DURING({{10, 99}, {10, 100}, {150, 160}, {50, 500}, {200, 210}, {201, 202}}, 100, 200)
          .SUMMARY();
  EXPECT_EQ(S.COUNT, 4u);
  EXPECT_EQ(S.MAX, 450);
}

TEST(Bench, OnlyTheExactSavePassLineCountsAndAHalfWrittenLineWaits) {
  EXPECT_EQ(PARSESAVEPASS("Save pass: 100 players written, longest pause 12345 us"),
            (tSavePass{100, 12345}));
  for (const std::string BAD :
       {"Save pass: 1 players written, longest pause 5 us ",
        "Save pass: -1 players written, longest pause 5 us",
        "Save pass: 1 players written, longest pause 9223372036854775808 us"}) {
    EXPECT_FALSE(PARSESAVEPASS(BAD)) << BAD;
  }
  const auto LOG = std::filesystem::temp_directory_path() /
                   ("bench-console-" + std::to_string(::getpid()) + ".log");
  std::ofstream(LOG, std::ios::binary) << "before\n";
  cConsoleFollower F(LOG);
  std::ofstream(LOG, std::ios::app | std::ios::binary) << "Save pass: 3";
  EXPECT_TRUE(F.NEWLINES().empty());
  std::ofstream(LOG, std::ios::app | std::ios::binary) << " p\r\n\nnext";
  EXPECT_EQ(F.NEWLINES(), (std::vector<std::string>{"Save pass: 3 p", ""}));
  std::filesystem::remove(LOG);
}
