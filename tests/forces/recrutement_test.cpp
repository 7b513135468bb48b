#include "forces/troupe.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <tuple>

#include "base/helpers.h"
#include "forces/rules_fixtures.h"
#include "forces/ville.h"
#include "players/joueur.h"

namespace {

// The barracks recruit archers (2 turns, 10 units, 5 hit points, 1 "or" a
// turn), the kennel wolves (1 turn, 4 units), the workshop statues (0 turns).
struct RecruitTest : ::testing::Test {
  rulesfixtures::cForcesRules RULES;
  cCreature* ARCHER = RULES.CREATURE(0, "archer", 2, 10, "att:3-pdv:5", 1);
  cCreature* LOUP = RULES.CREATURE(1, "loup", 1, 4, "pdv:2");
  cCreature* STATUE = RULES.CREATURE(2, "statue", 0, 1, "");
  cBatiment* CASERNE = RULES.BATIMENT(0, "caserne", 1, {}, ARCHER);
  cBatiment* CHENIL = RULES.BATIMENT(1, "chenil", 1, {}, LOUP);
  cBatiment* ATELIER = RULES.BATIMENT(2, "atelier", 1, {}, STATUE);
  cJoueur J{0, "alice"};

  RecruitTest() { J.CAPITAL.RESSOURCE[0] = 100; }
};

}  // namespace

TEST_F(RecruitTest, ThreeTroopsTakeThreeTimesTheTurnsAndGiveOneTroop) {
  J.VILLES->WIZARDBATIMENT(CASERNE, COORDMAP(2, 2));
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(3, ARCHER, COORDMAP(2, 2)), sBuildOK);
  for (int32_t TURN = 1; TURN <= 5; ++TURN) {
    J.RECRUTEMENTS->PASSTURN();
    EXPECT_EQ(J.TROUPES->COUNT(), 0) << "turn " << TURN;
  }
  J.RECRUTEMENTS->PASSTURN();
  EXPECT_EQ(J.CAPITAL.RESSOURCE[0], 94);  // one installment for each of the 6 turns
  ASSERT_EQ(J.TROUPES->COUNT(), 1);
  EXPECT_EQ(J.TROUPES->ITEM(0)->FNBTROUPES, 30);
  EXPECT_EQ(J.TROUPES->ITEM(0)->STACKPDV, 15);
}

TEST_F(RecruitTest, RefusedWithoutARecruitingBuildingOrACountdownThatEnds) {
  J.VILLES->WIZARDBATIMENT(CHENIL, COORDMAP(2, 2));
  J.VILLES->WIZARDBATIMENT(ATELIER, COORDMAP(2, 2));
  J.VILLES->WIZARDBATIMENT(CASERNE, COORDMAP(3, 2));
  J.VILLES->WIZARDBATIMENT(CASERNE, COORDMAP(2, 3));  // where 12,2 would be read
  // 1 << 30 troops take 2^31 turns; 214748365 troops hold 2147483650 archers.
  const std::tuple<int32_t, cCreature*, int32_t> REFUSED[] = {
      {3, ARCHER, 2}, {1, LOUP, 9},         {0, ARCHER, 3},         {-2, ARCHER, 3},
      {1, STATUE, 2}, {1 << 30, ARCHER, 3}, {214748365, ARCHER, 3}, {1, ARCHER, 12}};
  for (auto [NB, MOB, X] : REFUSED) {
    J.OUTPUT.CLEAR();
    EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(NB, MOB, COORDMAP(X, 2)), sBuildError);
    EXPECT_EQ(J.OUTPUT.LINES(), std::vector{"#INFO: recrutement " + MOB->FNAME +
                                            " impossible \xE0 " + std::to_string(X) + ",2"});
  }
  EXPECT_EQ(J.RECRUTEMENTS->COUNT(), 0);
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(214748364, ARCHER, COORDMAP(3, 2)), sBuildOK)
      << "2147483640 archers: a count holds them";
}

TEST_F(RecruitTest, ATroopFromARecruitmentReadBackNeverCountsBeyondTheRange) {
  // Four wolves a troop; a recruitment from a file asks for what was never checked.
  J.VILLES->WIZARDBATIMENT(CHENIL, COORDMAP(4, 4));
  const std::pair<int32_t, int32_t> CASES[] = {
      {1 << 30, INT32_MAX}, {3 << 29, INT32_MAX}, {-1, 0}, {536870911, 2147483644}};
  for (const auto& [NB, COUNT] : CASES) {
    FREEANDNILLIST(*J.TROUPES);
    ASSERT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(1, LOUP, COORDMAP(4, 4)), sBuildOK);
    J.RECRUTEMENTS->ITEM(0)->FNBTROUPES = NB;
    J.RECRUTEMENTS->PASSTURN();
    ASSERT_EQ(J.TROUPES->COUNT(), 1);
    EXPECT_EQ(J.TROUPES->ITEM(0)->FNBTROUPES, COUNT) << NB;
  }
}

TEST_F(RecruitTest, RecruitmentsEndingTogetherGiveSeparateTroops) {
  J.VILLES->WIZARDBATIMENT(CHENIL, COORDMAP(4, 4));
  J.TROUPES->WIZARD(LOUP, 4, JEUCREATURES.get(), COORDMAP(4, 4));
  ASSERT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(1, LOUP, COORDMAP(4, 4)), sBuildOK);
  ASSERT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(1, LOUP, COORDMAP(4, 4)), sBuildOK);
  EXPECT_NE(J.RECRUTEMENTS->GET(0)->FUID, J.RECRUTEMENTS->GET(1)->FUID);
  J.RECRUTEMENTS->PASSTURN();
  EXPECT_EQ(J.RECRUTEMENTS->COUNT(), 0);
  ASSERT_EQ(J.TROUPES->COUNT(), 3);
  std::set<int32_t> IDS;
  for (int32_t I = 0; I < 3; ++I) {
    IDS.insert(J.TROUPES->ITEM(I)->FUID);
  }
  EXPECT_EQ(IDS.size(), 3u);
}

TEST_F(RecruitTest, TroopPowerComesFromTheCreatureAndStaysInRange) {
  cCreaturePosition T(RULES.CREATURE(3, "garde", 2, 10, "att:3-def:2-pdv:5-vit:4-rng:1"));
  T.FNBTROUPES = 10;
  EXPECT_EQ(T.GETPUISSANCE(), 240);  // (6 + 4 + 10 + 4) x 10
  T.FNBTROUPES = INT32_MAX;
  EXPECT_EQ(T.GETPUISSANCE(), INT32_MAX);
  T.FMODELE = nullptr;
  EXPECT_EQ(T.GETPUISSANCE(), 0);
}
