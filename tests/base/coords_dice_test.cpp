#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "base/coords.h"
#include "base/dice.h"
#include "base/errors.h"
#include "base/helpers.h"
#include "base/random.h"
#include "world/grid.h"

TEST(Coords, IndexAndTextFormsAndValuesBeyondSixteenBitsStayOffTheMap) {
  EXPECT_EQ((std::vector{MAP2INDEX(3, 2), MAP2INDEX(10, 10), MAP2INDEX(-1, -1), MAP2INDEX(5, -3)}),
            (std::vector{13, 100, 0, 0}));
  EXPECT_TRUE(INDEX2MAP(13) == COORDMAP(3, 2) && INDEX2MAP(100) == COORDMAP(10, 10));
  EXPECT_EQ(COORDFROMSTRING("-1,-1"), COORDMAP(-1, -1));
  for (const char* BAD : {"37", "a,1", "1,"}) {
    EXPECT_THROW(COORDFROMSTRING(BAD), cConversionError) << BAD;
  }

  // Cut to its low 16 bits, 65537, -65535 or 65546 would be 1, 1 or 10: a square.
  const std::pair<int32_t, int32_t> FAR[] = {
      {65537, 1}, {-65535, 1}, {1, 70000}, {1, 65546}, {-2147483647 - 1, 2147483647}};
  for (const auto& [X, Y] : FAR) {
    const std::string TEXT = std::to_string(X) + "," + std::to_string(Y);
    EXPECT_FALSE(INMAP(COORDMAP(X, Y))) << TEXT;
    EXPECT_FALSE(INMAP(COORDFROMSTRING(TEXT))) << TEXT;
  }
}

TEST(Random, DiceGrammarTextFormAndRollsPercentAndPgcd) {
  const std::pair<const char*, const char*> CASES[] = {
      {"2D6+3", "2D6+3"}, {"2d6", "2D6+0"}, {"2D6+", "2D6+0"}, {"7", "0D0+7"}, {"", "0D0+0"}};
  for (const auto& [TEXT, FORM] : CASES) {
    EXPECT_EQ(cDice(TEXT).TOSTRING(), FORM) << TEXT;
  }
  cDice D("2D6+1");
  D.ASSIGN("4");
  EXPECT_EQ(D.TOSTRING(), "2D6+4");
  for (const char* BAD : {"D6", "2D", "xD6", "2D6+x"}) {
    EXPECT_THROW(D.ASSIGN(BAD), cConversionError) << BAD;
  }
  EXPECT_EQ(D.TOSTRING(), "2D6+4");

  RANDOMGEN().SEED(7);
  for (int I = 0; I < 50; ++I) {
    EXPECT_EQ((std::vector{cDice("1D1+2").THRDICE(), cDice("3D1").THRDICE(),
                           cDice("0D6+4").THRDICE(), cDice("2D0").THRDICE()}),
              (std::vector<uint16_t>{3, 3, 4, 2}));
  }
  std::set<int> SEEN;
  for (int I = 0; I < 2000; ++I) {
    SEEN.insert(cDice("2D6").THRDICE());
  }
  EXPECT_EQ(SEEN, (std::set<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(cDice("0D0+70000").THRDICE(), 70000 % 65536);

  EXPECT_EQ((std::vector{PGCD(12, 18), PGCD(7, 0), PGCD(0, 5), PGCD(0, 0), PGCD(2000000000, 1)}),
            (std::vector{6, 7, 5, 0, 1}));

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
  EXPECT_EQ(RANDOMGEN().RANDOM(0), 0);
}
