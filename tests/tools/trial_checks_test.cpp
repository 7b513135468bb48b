// What the trials judge: a player or world file whole or not, and memory
// that grows.

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

}  // namespace

TEST(TrialChecks, OnlyWholeFilesPass) {
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
       {PLAYER + "x", PLAYER.substr(0, PLAYER.size() - 2) + "5-6\r\n\r\n",
        std::string(PLAYER).replace(PLAYER.find("nbTurns:8"), 9, "nbTurns:x")}) {
    EXPECT_FALSE(READPLAYERFILE(BAD, WHY)) << BAD.substr(BAD.size() - 12);
  }
  const std::string WORLD(3 * 5, '\x01');
  EXPECT_TRUE(WORLDFILECOMPLETE(WORLD, 3, 5, 2, WHY)) << WHY;
  for (const std::string& BAD :
       {WORLD.substr(0, 14), WORLD + "\x01", std::string(WORLD).replace(10, 1, "\x02")}) {
    EXPECT_FALSE(WORLDFILECOMPLETE(BAD, 3, 5, 2, WHY)) << BAD.size();
  }
}

TEST(TrialChecks, MemoryGrowsOnlyPastTheSecondQuartersMeanPlusTenPercentAndFourMiB) {
  std::string WHY;
  const struct {
    std::vector<long> SAMPLES;
    bool FLAT;
  } CASES[] = {
      // A warm-up does not count; three samples are too few to judge.
      {{10, 900, 100000, 100000, 100000, 100000, 105000, 110000}, true},
      {{100000, 100000, 100000, 100000, 100000, 100000, 114096, 114096}, true},
      {{100000, 100000, 100000, 100000, 100000, 100000, 114097, 114097}, false},
      {{1, 2, 3}, true},
  };
  for (const auto& C : CASES) {
    EXPECT_EQ(MEMORYFLAT(C.SAMPLES, WHY), C.FLAT) << WHY;
  }
}
