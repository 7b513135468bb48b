#include <gtest/gtest.h>

#include "checks.h"
#include "soak.h"

namespace {

// A player file as the server writes it: a town, a champion, two runs known.
const std::string PLAYER =
    "#3\r\nname:demo\r\nnbTurns:8\r\navailTurns:192\r\nrace:Plainiers\r\ncapital:1/2/3\r\n"
    "[towns]\r\nnbLines:1\r\n#0\r\nbourg:0\r\nposition:10,10\r\n"
    "[under construction]\r\nnbLines:0\r\n[troops]\r\nnbLines:0\r\n"
    "[under recruitement]\r\nnbLines:0\r\n[champions]\r\nnbLines:1\r\n#7\r\nhilde\r\n"
    "position:10,10\r\nendUnits\r\n[MAP]\r\ncount:2\r\n56-60\r\n96-100\r\n\r\n";

TEST(TrialChecks, OnlyAWholePlayerFilePasses) {
  std::string WHY;
  const auto R = READPLAYERFILE(PLAYER, WHY);
  ASSERT_TRUE(R) << WHY;
  EXPECT_EQ(R->NAME, "demo");
  EXPECT_EQ(R->NBTURNS, 8);
  // Whatever a cut leaves, it is not a whole file.
  for (std::size_t N = 0; N < PLAYER.size(); ++N) {
    EXPECT_FALSE(READPLAYERFILE(PLAYER.substr(0, N), WHY)) << "cut at " << N;
  }
  for (const std::string& BAD :
       {PLAYER + "x", PLAYER + "\r\n", PLAYER.substr(0, PLAYER.size() - 2) + "5-6\r\n\r\n",
        std::string(PLAYER).replace(PLAYER.find("nbTurns:8"), 9, "nbTurns:x")}) {
    EXPECT_FALSE(READPLAYERFILE(BAD, WHY)) << BAD.substr(BAD.size() - 12);
  }
}

TEST(TrialChecks, AWholeWorldHasEveryRecordAndKnownTerrains) {
  std::string WHY;
  const std::string WORLD(3 * 5, '\x01');
  EXPECT_TRUE(WORLDFILECOMPLETE(WORLD, 3, 5, 2, WHY)) << WHY;
  EXPECT_FALSE(WORLDFILECOMPLETE(WORLD.substr(0, 14), 3, 5, 2, WHY));
  EXPECT_FALSE(WORLDFILECOMPLETE(WORLD + "\x01", 3, 5, 2, WHY));
  EXPECT_FALSE(WORLDFILECOMPLETE(std::string(WORLD).replace(10, 1, "\x02"), 3, 5, 2, WHY));
  EXPECT_FALSE(WORLDFILECOMPLETE("", 3, 5, 2, WHY));
}

TEST(TrialChecks, MemoryIsFlatUnlessTheLastQuarterOutgrowsTheSecond) {
  std::string WHY;
  const struct {
    std::vector<long> SAMPLES;
    bool FLAT;
  } CASES[] = {
      {{10, 900, 100000, 100000, 100000, 100000, 105000, 110000}, true},  // a warm-up does not count
      {{100000, 100000, 100000, 100000, 100000, 100000, 114096, 114096}, true},
      {{100000, 100000, 100000, 100000, 100000, 100000, 114097, 114097}, false},
      {{1, 2, 3}, true},  // too short to judge
  };
  for (const auto& C : CASES) {
    EXPECT_EQ(MEMORYFLAT(C.SAMPLES, WHY), C.FLAT) << WHY;
  }
}

TEST(TrialChecks, SanitizerReportsAreFoundInTheConsole) {
  const auto R = SANITIZERREPORTS(
      "Server is listening\n==12==ERROR: AddressSanitizer: heap-use-after-free\n"
      "a.cpp:3:5: runtime error: signed integer overflow\nSUMMARY: AddressSanitizer: x\n"
      "GET ALL\n==9==ERROR: LeakSanitizer: detected memory leaks\n");
  EXPECT_EQ(R.size(), 4u);
}

}  // namespace
