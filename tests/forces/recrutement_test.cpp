#include <gtest/gtest.h>

#include <set>

#include "forces/holdings_fixtures.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "players/joueur.h"

using holdingsfixtures::cForcesRules;

namespace {

struct RecruitTest : ::testing::Test {
  cForcesRules RULES;
  cCreature *ARCHER = RULES.CREATURE(0, "archer", 2, 10, "att:3-pdv:5", 1);
  cCreature *LOUP = RULES.CREATURE(1, "loup", 1, 4, "pdv:2");
  cCreature *STATUE = RULES.CREATURE(2, "statue", 0, 1, "");
  cBatiment *CASERNE = RULES.BATIMENT(0, "caserne", 1, {}, ARCHER);
  cBatiment *CHENIL = RULES.BATIMENT(1, "chenil", 1, {}, LOUP);
  cBatiment *ATELIER = RULES.BATIMENT(2, "atelier", 1, {}, STATUE);
  cJoueur J{0, "alice"};

  RecruitTest() { J.CAPITAL.RESSOURCE[0] = 100; }

  std::vector<std::string> NEWLINES(int32_t FROM) const {
    const auto &L = J.OUTPUT.LINES();
    return {L.begin() + FROM, L.end()};
  }
};

} // namespace

TEST_F(RecruitTest, ThreeTroopsTakeThreeTimesTheTurnsAndGiveOneTroop) {
  J.VILLES->WIZARDBATIMENT(CASERNE, COORDMAP(2, 2));
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(3, ARCHER, COORDMAP(2, 2)),
            sBuildOK);
  EXPECT_EQ(
      NEWLINES(0),
      (std::vector<std::string>{
          "#INFO: d\xE9marrage recrutement 3 troupes de archer \xE0 2,2"}));
  ASSERT_EQ(J.RECRUTEMENTS->COUNT(), 1);
  EXPECT_EQ(J.CAPITAL.RESSOURCE[0], 100); // nothing paid at the start

  for (int32_t TURN = 1; TURN <= 5; ++TURN) {
    J.RECRUTEMENTS->PASSTURN();
    EXPECT_EQ(J.TROUPES->COUNT(), 0) << "turn " << TURN;
  }
  J.RECRUTEMENTS->PASSTURN();
  EXPECT_EQ(J.CAPITAL.RESSOURCE[0],
            94); // one installment for each of the 6 turns
  EXPECT_EQ(J.RECRUTEMENTS->COUNT(), 0);
  ASSERT_EQ(J.TROUPES->COUNT(), 1);
  const cCreaturePosition *T = J.TROUPES->GETTROUPE(0);
  EXPECT_EQ(T->FMODELE, ARCHER);
  EXPECT_EQ(T->FNAME, "archer");
  EXPECT_EQ(T->FPOSITION, COORDMAP(2, 2));
  EXPECT_EQ(T->FNBTROUPES, 30);
  EXPECT_EQ(T->STACKPDV, 15);
  EXPECT_EQ(NEWLINES(1),
            (std::vector<std::string>{
                "#INFO: Nouvelle(s) troupe(s) 3 archer \xE0 2,2"}));
}

TEST_F(RecruitTest, RefusedWithoutABuildingThatRecruitsTheCreature) {
  J.VILLES->WIZARDBATIMENT(CHENIL, COORDMAP(2, 2));
  J.VILLES->WIZARDBATIMENT(CASERNE, COORDMAP(3, 2));
  EXPECT_TRUE(J.RECRUTEMENTS->TESTCREATURESPRESENTS(LOUP, COORDMAP(2, 2)));
  EXPECT_FALSE(J.RECRUTEMENTS->TESTCREATURESPRESENTS(ARCHER, COORDMAP(2, 2)));
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(3, ARCHER, COORDMAP(2, 2)),
            sBuildError);
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(1, LOUP, COORDMAP(9, 9)),
            sBuildError);
  EXPECT_EQ(NEWLINES(0), (std::vector<std::string>{
                             "#INFO: recrutement archer impossible \xE0 2,2",
                             "#INFO: recrutement loup impossible \xE0 9,9"}));
  EXPECT_EQ(J.RECRUTEMENTS->COUNT(), 0);
}

TEST_F(RecruitTest, CountdownsThatCouldNeverEndAreRefused) {
  J.VILLES->WIZARDBATIMENT(CASERNE, COORDMAP(2, 2));
  J.VILLES->WIZARDBATIMENT(ATELIER, COORDMAP(2, 2));
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(0, ARCHER, COORDMAP(2, 2)),
            sBuildError);
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(-2, ARCHER, COORDMAP(2, 2)),
            sBuildError);
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(1, STATUE, COORDMAP(2, 2)),
            sBuildError);
  // 2 turns x 2^30 troops is beyond what a countdown holds.
  EXPECT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(1 << 30, ARCHER, COORDMAP(2, 2)),
            sBuildError);
  EXPECT_EQ(J.RECRUTEMENTS->COUNT(), 0);
  EXPECT_EQ(NEWLINES(0), (std::vector<std::string>{
                             "#INFO: recrutement archer impossible \xE0 2,2",
                             "#INFO: recrutement archer impossible \xE0 2,2",
                             "#INFO: recrutement statue impossible \xE0 2,2",
                             "#INFO: recrutement archer impossible \xE0 2,2"}));
}

TEST_F(RecruitTest, RecruitmentsEndingTogetherGiveSeparateTroops) {
  J.VILLES->WIZARDBATIMENT(CHENIL, COORDMAP(4, 4));
  J.TROUPES->WIZARD(LOUP, 4, JEUCREATURES.get(), COORDMAP(4, 4));
  ASSERT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(1, LOUP, COORDMAP(4, 4)),
            sBuildOK);
  ASSERT_EQ(J.RECRUTEMENTS->BUILDNEWCREATURE(1, LOUP, COORDMAP(4, 4)),
            sBuildOK);
  std::set<int32_t> RECRUITIDS;
  for (cMobile *M : J.RECRUTEMENTS->SNAPSHOT()) {
    RECRUITIDS.insert(M->FUID);
  }
  EXPECT_EQ(RECRUITIDS.size(), 2u);

  J.RECRUTEMENTS->PASSTURN();
  EXPECT_EQ(J.RECRUTEMENTS->COUNT(), 0);
  ASSERT_EQ(J.TROUPES->COUNT(), 3);
  std::set<int32_t> IDS;
  for (int32_t I = 0; I < 3; ++I) {
    IDS.insert(J.TROUPES->GETTROUPE(I)->FUID);
    EXPECT_EQ(J.TROUPES->GETTROUPE(I)->FNBTROUPES, 4);
    EXPECT_EQ(J.TROUPES->GETTROUPE(I)->FPOSITION, COORDMAP(4, 4));
  }
  EXPECT_EQ(IDS.size(), 3u);
}

TEST_F(RecruitTest, TroopCountKeepsTheLow32Bits) {
  cCreature *ESSAIM = RULES.CREATURE(3, "essaim", 1, 0x80000001u, "");
  auto R =
      std::make_unique<cCreatureEnCours>(ESSAIM, &J.CAPITAL, J.TROUPES.get());
  R->FUID = 0;
  R->FNBTROUPES = 2;
  R->SETPOSITION(COORDMAP(1, 1));
  J.RECRUTEMENTS->ADD(std::move(R));
  J.RECRUTEMENTS->PASSTURN();
  ASSERT_EQ(J.TROUPES->COUNT(), 1);
  EXPECT_EQ(J.TROUPES->GETTROUPE(0)->FNBTROUPES,
            2); // 0x1'0000'0002 cut to 32 bits
}
