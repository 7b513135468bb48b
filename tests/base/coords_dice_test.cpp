#include <gtest/gtest.h>

#include <set>

#include "base/coords.h"
#include "base/dice.h"
#include "base/errors.h"
#include "base/helpers.h"
#include "base/random.h"

TEST(Coords, IndexOfSquares) {
  EXPECT_EQ(MAP2INDEX(1, 1), 1);
  EXPECT_EQ(MAP2INDEX(10, 1), 10);
  EXPECT_EQ(MAP2INDEX(3, 2), 13);
  EXPECT_EQ(MAP2INDEX(10, 10), 100);
  EXPECT_EQ(MAP2INDEX(-1, -1), 0);
  EXPECT_EQ(MAP2INDEX(5, -3), 0);
  EXPECT_EQ(MAP2INDEX(COORDMAP(2, 3)), 22);
}

TEST(Coords, IndexRoundTripOverTheWholeMap) {
  EXPECT_EQ(INDEX2MAP(10), COORDMAP(10, 1));
  EXPECT_EQ(INDEX2MAP(11), COORDMAP(1, 2));
  EXPECT_EQ(INDEX2MAP(100), COORDMAP(10, 10));
  std::set<int32_t> SEEN;
  for (int32_t Y = 1; Y <= TYMAP; ++Y) {
    for (int32_t X = 1; X <= TXMAP; ++X) {
      const int32_t INDEX = MAP2INDEX(X, Y);
      EXPECT_EQ(INDEX2MAP(static_cast<uint32_t>(INDEX)), COORDMAP(X, Y));
      SEEN.insert(INDEX);
    }
  }
  EXPECT_EQ(SEEN.size(), 100u);
  EXPECT_EQ(*SEEN.begin(), 1);
  EXPECT_EQ(*SEEN.rbegin(), 100);
}

TEST(Coords, TextForm) {
  EXPECT_EQ(COORDTOSTRING(COORDMAP(3, 7)), "3,7");
  EXPECT_EQ(COORDFROMSTRING("3,7"), COORDMAP(3, 7));
  EXPECT_EQ(COORDTOSTRING(COORDMAP(-1, -1)), "-1,-1");
  EXPECT_EQ(COORDFROMSTRING("-1,-1"), COORDMAP(-1, -1));
  EXPECT_EQ(COORDMAP(65537, -65535), COORDMAP(1, 1));
  EXPECT_THROW(COORDFROMSTRING("37"), cConversionError);
  EXPECT_THROW(COORDFROMSTRING("a,1"), cConversionError);
  EXPECT_THROW(COORDFROMSTRING("1,"), cConversionError);
}

TEST(Coords, StrTokOfCoordinatesLeavesTextWithoutDelimiter) {
  std::string S = "12";
  EXPECT_EQ(STRTOKCOORD(S, ','), "");
  EXPECT_EQ(S, "12");
  S = "1,2";
  EXPECT_EQ(STRTOKCOORD(S, ','), "1");
  EXPECT_EQ(S, "2");
}

TEST(Dice, Grammar) {
  cDice D("2D6+3");
  EXPECT_EQ(D.NBDICE, 2);
  EXPECT_EQ(D.MAXDICE, 6);
  EXPECT_EQ(D.BASE, 3);
  EXPECT_EQ(cDice("2d6").TOSTRING(), "2D6+0");
  EXPECT_EQ(cDice("2D6+").TOSTRING(), "2D6+0");
  EXPECT_EQ(cDice("2d6+1").TOSTRING(), "2D6+1");
  EXPECT_EQ(cDice("7").TOSTRING(), "0D0+7");
  EXPECT_EQ(cDice("").TOSTRING(), "0D0+0");
  D.ASSIGN("2D6+1");
  D.ASSIGN("4");
  EXPECT_EQ(D.TOSTRING(), "2D6+4");
  D.ASSIGN("");
  EXPECT_EQ(D.TOSTRING(), "0D0+0");
}

TEST(Dice, MalformedTextsRaiseConversionErrors) {
  EXPECT_THROW(cDice("D6"), cConversionError);
  EXPECT_THROW(cDice("2D"), cConversionError);
  EXPECT_THROW(cDice("xD6"), cConversionError);
  EXPECT_THROW(cDice("2D6+x"), cConversionError);
  cDice D("1D4+1");
  EXPECT_THROW(D.ASSIGN("2Dz"), cConversionError);
  EXPECT_EQ(D.TOSTRING(), "1D4+1");
}

TEST(Dice, Rolls) {
  RANDOMGEN().SEED(7);
  for (int I = 0; I < 50; ++I) {
    EXPECT_EQ(cDice("1D1+2").THRDICE(), 3);
    EXPECT_EQ(cDice("3D1").THRDICE(), 3);
    EXPECT_EQ(cDice("0D6+4").THRDICE(), 4);
    EXPECT_EQ(cDice("2D0").THRDICE(), 2);
  }
  std::set<int> SEEN;
  for (int I = 0; I < 2000; ++I) {
    const int R = cDice("2D6").THRDICE();
    ASSERT_GE(R, 2);
    ASSERT_LE(R, 12);
    SEEN.insert(R);
  }
  EXPECT_EQ(SEEN.size(), 11u);
  EXPECT_EQ(cDice("0D0+70000").THRDICE(), 70000 % 65536);
}

TEST(Random, SeedingRepeatsTheDraws) {
  RANDOMGEN().SEED(123);
  std::vector<int32_t> A;
  for (int I = 0; I < 20; ++I) {
    A.push_back(RANDOMGEN().RANDOM(1000));
  }
  RANDOMGEN().SEED(123);
  for (int I = 0; I < 20; ++I) {
    EXPECT_EQ(RANDOMGEN().RANDOM(1000), A[static_cast<std::size_t>(I)]);
  }
  EXPECT_EQ(RANDOMGEN().RANDOM(0), 0);
  EXPECT_EQ(RANDOMGEN().RANDOM(-5), 0);
}

TEST(Helpers, Pgcd) {
  EXPECT_EQ(PGCD(12, 18), 6);
  EXPECT_EQ(PGCD(7, 0), 7);
  EXPECT_EQ(PGCD(0, 5), 5);
  EXPECT_EQ(PGCD(9, 9), 9);
  EXPECT_EQ(PGCD(0, 0), 0);
  EXPECT_EQ(PGCD(2000000000, 1), 1);
}

TEST(Helpers, Percent) {
  RANDOMGEN().SEED(1);
  int ZEROHITS = 0;
  for (int I = 0; I < 5000; ++I) {
    EXPECT_TRUE(PERCENT(100));
    EXPECT_FALSE(PERCENT(-1));
    ZEROHITS += PERCENT(0) ? 1 : 0;
  }
  // PERCENT(0) succeeds about once in 101 draws, not never.
  EXPECT_GT(ZEROHITS, 10);
  EXPECT_LT(ZEROHITS, 120);
}
