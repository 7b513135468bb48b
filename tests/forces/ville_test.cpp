#include "forces/ville.h"

#include <gtest/gtest.h>

#include <set>

#include "forces/championpos.h"
#include "forces/holdings_fixtures.h"
#include "players/joueur.h"

using holdingsfixtures::cForcesRules;

namespace {

struct BuildTest : ::testing::Test {
  cForcesRules RULES;
  cBatiment *FERME = RULES.BATIMENT(0, "ferme", 2, {}, nullptr, "", 5);
  cBatiment *MOULIN = RULES.BATIMENT(1, "moulin", 1);
  cBatiment *FORGE = RULES.BATIMENT(2, "forge", 1);
  cBatiment *CHATEAU = RULES.BATIMENT(3, "chateau", 1, {2, 1});
  cBatiment *TEMPLE = RULES.BATIMENT(4, "temple", 1, {}, nullptr, "hernec:1");
  cBatiment *RUINE = RULES.BATIMENT(5, "ruine", 0);
  cJoueur J{0, "alice"};

  BuildTest() {
    J.CAPITAL.RESSOURCE[0] = 100;
    for (int32_t X = 1; X <= 5; ++X) {
      J.CARTE.ADD(X, 2);
    }
  }

  /// Lines written to OUTPUT by ACTION.
  template <class F> std::vector<std::string> SAYS(F ACTION) {
    const auto FROM = J.OUTPUT.LINES().size();
    ACTION();
    const auto &L = J.OUTPUT.LINES();
    return {L.begin() + static_cast<std::ptrdiff_t>(FROM), L.end()};
  }
};

using LINES = std::vector<std::string>;

} // namespace

TEST_F(BuildTest, NewTownOnAnyKnownSquare) {
  EXPECT_EQ(SAYS([&] {
              EXPECT_EQ(
                  J.CONSTRUCTIONS->BUILDNEWBATIMENT(FERME, COORDMAP(3, 2)),
                  sBuildOK);
            }),
            LINES{"#INFO: d\xE9marrage construction ferme \xE0 3,2"});
  ASSERT_EQ(J.CONSTRUCTIONS->COUNT(), 1);
  auto *C = dynamic_cast<cBatimentEnCours *>(J.CONSTRUCTIONS->GET(0));
  ASSERT_NE(C, nullptr);
  EXPECT_EQ(C->FTURNBEFOREEND, 2);
  EXPECT_EQ(C->FCAPITALPLAYER, &J.CAPITAL);
  EXPECT_EQ(C->TRSFMOBILES, J.VILLES.get());
  EXPECT_EQ(J.CAPITAL.RESSOURCE[0], 100); // nothing paid at the start
}

TEST_F(BuildTest, ReasonLinesNameTheFirstMissingRequirement) {
  J.VILLES->WIZARDBATIMENT(MOULIN, COORDMAP(2, 2));
  J.VILLES->WIZARDBATIMENT(FERME, COORDMAP(3, 2));
  J.VILLES->WIZARDBATIMENT(FORGE, COORDMAP(4, 2));
  J.VILLES->WIZARDBATIMENT(MOULIN, COORDMAP(4, 2));

  // Only the lower requirement: the other one is named.
  EXPECT_EQ(SAYS([&] {
              EXPECT_EQ(
                  J.CONSTRUCTIONS->BUILDNEWBATIMENT(CHATEAU, COORDMAP(2, 2)),
                  sBuildNeedBatiment);
            }),
            (LINES{"#INFO: construction chateau impossible \xE0 2,2",
                   "   >> manque forge \xE0 2,2"}));
  // Some other building but neither: only the lower one is named.
  EXPECT_EQ(SAYS([&] {
              EXPECT_EQ(
                  J.CONSTRUCTIONS->BUILDNEWBATIMENT(CHATEAU, COORDMAP(3, 2)),
                  sBuildNeedBatiment);
            }),
            (LINES{"#INFO: construction chateau impossible \xE0 3,2",
                   "   >> manque moulin \xE0 3,2"}));
  EXPECT_EQ(J.CONSTRUCTIONS->BUFFERCONSTRUCTION.LINES(),
            LINES{"   >> manque moulin \xE0 3,2"});
  // Requirements on a known square without buildings: no reason line.
  EXPECT_EQ(SAYS([&] {
              EXPECT_EQ(
                  J.CONSTRUCTIONS->BUILDNEWBATIMENT(CHATEAU, COORDMAP(5, 2)),
                  sBuildNeedBatiment);
            }),
            LINES{"#INFO: construction chateau impossible \xE0 5,2"});
  // After a refusal with a reason, an unknown square gives no stale reason.
  ASSERT_FALSE(J.CONSTRUCTIONS->TESTBATIMENTSPRESENTS(CHATEAU, COORDMAP(2, 2)));
  EXPECT_EQ(SAYS([&] {
              EXPECT_EQ(
                  J.CONSTRUCTIONS->BUILDNEWBATIMENT(FERME, COORDMAP(8, 8)),
                  sBuildNeedBatiment);
            }),
            LINES{"#INFO: construction ferme impossible \xE0 8,8"});
  EXPECT_EQ(J.CONSTRUCTIONS->COUNT(), 0);
  // Both requirements standing: started.
  EXPECT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(CHATEAU, COORDMAP(4, 2)),
            sBuildOK);
}

TEST_F(BuildTest, ConstructionsInProgressDoNotMeetRequirements) {
  J.VILLES->WIZARDBATIMENT(FERME, COORDMAP(2, 2));
  ASSERT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(MOULIN, COORDMAP(2, 2)),
            sBuildOK);
  ASSERT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(FORGE, COORDMAP(2, 2)), sBuildOK);
  EXPECT_FALSE(J.CONSTRUCTIONS->TESTBATIMENTSPRESENTS(CHATEAU, COORDMAP(2, 2)));
  J.CONSTRUCTIONS->PASSTURN();
  EXPECT_TRUE(J.CONSTRUCTIONS->TESTBATIMENTSPRESENTS(CHATEAU, COORDMAP(2, 2)));
  EXPECT_TRUE(J.CONSTRUCTIONS->BUFFERCONSTRUCTION.LINES().empty());
}

TEST_F(BuildTest, RefusalsWithoutReasonLine) {
  // A building without turns would never be finished.
  EXPECT_EQ(SAYS([&] {
              EXPECT_EQ(
                  J.CONSTRUCTIONS->BUILDNEWBATIMENT(RUINE, COORDMAP(1, 2)),
                  sBuildNeedBatiment);
            }),
            LINES{"#INFO: construction ruine impossible \xE0 1,2"});
  // "hernec" needs one of the player's champions on the square.
  EXPECT_EQ(SAYS([&] {
              EXPECT_EQ(
                  J.CONSTRUCTIONS->BUILDNEWBATIMENT(TEMPLE, COORDMAP(1, 2)),
                  sBuildNeedBatiment);
            }),
            LINES{"#INFO: construction temple impossible \xE0 1,2"});
  auto HERO = std::make_unique<cChampionPosition>();
  HERO->FUID = 0;
  HERO->SETPOSITION(COORDMAP(1, 2));
  J.CHAMPIONS->ADD(std::move(HERO));
  EXPECT_FALSE(J.CONSTRUCTIONS->TESTBATIMENTSPRESENTS(TEMPLE, COORDMAP(2, 2)));
  EXPECT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(TEMPLE, COORDMAP(1, 2)),
            sBuildOK);
}

TEST_F(BuildTest, FinishedBuildingsTakeFreeIdentifiersOfTheTown) {
  J.VILLES->WIZARDBATIMENT(MOULIN, COORDMAP(1, 2)); // uid 0 in VILLES
  ASSERT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(FERME, COORDMAP(3, 2)), sBuildOK);
  ASSERT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(FERME, COORDMAP(3, 2)), sBuildOK);
  EXPECT_EQ(J.CONSTRUCTIONS->GET(0)->FUID,
            0); // same uid as the mill, in another list

  J.CONSTRUCTIONS->PASSTURN();
  EXPECT_EQ(J.VILLES->COUNT(), 1);
  const auto SAID = SAYS([&] { J.CONSTRUCTIONS->PASSTURN(); });
  EXPECT_EQ(SAID, (LINES{"#INFO: Nouveau batiment ferme \xE0 3,2",
                         "#INFO: Nouveau batiment ferme \xE0 3,2"}));
  EXPECT_EQ(J.CONSTRUCTIONS->COUNT(), 0);
  EXPECT_EQ(J.CAPITAL.RESSOURCE[0], 80); // 5 a turn, two turns, two farms
  ASSERT_EQ(J.VILLES->COUNT(), 3);
  std::set<int32_t> IDS;
  int32_t FARMS = 0;
  for (int32_t I = 0; I < 3; ++I) {
    const cBatimentPosition *B = J.VILLES->GETBATIMENT(I);
    IDS.insert(B->FUID);
    if (B->FMODELE == FERME) {
      ++FARMS;
      EXPECT_EQ(B->FPOSITION, COORDMAP(3, 2));
      EXPECT_EQ(B->LSTMODELES, JEUBATIMENTS.get());
    }
  }
  EXPECT_EQ(FARMS, 2);
  EXPECT_EQ(IDS, (std::set<int32_t>{0, 1, 2}));
}

TEST_F(BuildTest, TownsAndConstructionsReadBackWithTheirModels) {
  J.VILLES->WIZARDBATIMENT(FORGE, COORDMAP(1, 2));
  ASSERT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(FERME, COORDMAP(3, 2)), sBuildOK);
  cBuffer OUT;
  J.VILLES->TOBUFFER(OUT);
  J.CONSTRUCTIONS->TOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES()[0], "nbLines:1");
  EXPECT_EQ(OUT.LINES()[2], "forge:2");
  OUT.REWIND();

  cListeBatimentsPosition TOWNS(&J);
  cListeBatimentsEnCours WORKS(&J);
  TOWNS.FROMBUFFER(OUT);
  WORKS.FROMBUFFER(OUT);
  EXPECT_TRUE(OUT.ISEOF());
  ASSERT_EQ(TOWNS.COUNT(), 1);
  EXPECT_EQ(TOWNS.GETBATIMENT(0)->FMODELE, FORGE);
  EXPECT_EQ(TOWNS.GETBATIMENT(0)->FPOSITION, COORDMAP(1, 2));
  ASSERT_EQ(WORKS.COUNT(), 1);
  auto *W = dynamic_cast<cBatimentEnCours *>(WORKS.GET(0));
  ASSERT_NE(W, nullptr);
  EXPECT_EQ(W->FMODELE, FERME);
  EXPECT_EQ(W->FTURNBEFOREEND, 2);
  EXPECT_EQ(W->FPOSITION, COORDMAP(3, 2));
}
