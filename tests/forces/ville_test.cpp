#include "forces/ville.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "forces/championpos.h"
#include "forces/rules_fixtures.h"
#include "players/joueur.h"

namespace {

using LINES = std::vector<std::string>;

// Alice knows the squares (1..5, 2) and has 100 "or"; the farm takes 2 turns at
// 5 "or" a turn; the castle requires the forge and the mill.
struct BuildTest : ::testing::Test {
  rulesfixtures::cForcesRules RULES;
  cBatiment* FERME = RULES.BATIMENT(0, "ferme", 2, {}, nullptr, "", 5);
  cBatiment* MOULIN = RULES.BATIMENT(1, "moulin", 1);
  cBatiment* FORGE = RULES.BATIMENT(2, "forge", 1);
  cBatiment* CHATEAU = RULES.BATIMENT(3, "chateau", 1, {2, 1});
  cBatiment* TEMPLE = RULES.BATIMENT(4, "temple", 1, {}, nullptr, "hernec:1");
  cBatiment* RUINE = RULES.BATIMENT(5, "ruine", 0);
  cJoueur J{0, "alice"};

  BuildTest() {
    J.CAPITAL.RESSOURCE[0] = 100;
    for (int32_t X = 1; X <= 5; ++X) {
      J.CARTE.ADD(X, 2);
    }
  }
  /// What the player is told when it asks to build B on (X, Y).
  LINES BUILD(cBatiment* B, int32_t X, int32_t Y, sResultBuild EXPECTED) {
    const auto FROM = static_cast<std::ptrdiff_t>(J.OUTPUT.LINES().size());
    EXPECT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(B, COORDMAP(X, Y)), EXPECTED) << B->FNAME;
    return {J.OUTPUT.LINES().begin() + FROM, J.OUTPUT.LINES().end()};
  }
};

}  // namespace

TEST_F(BuildTest, RefusalsNameTheFirstMissingRequirementOnly) {
  J.VILLES->WIZARDBATIMENT(MOULIN, COORDMAP(2, 2));
  J.VILLES->WIZARDBATIMENT(FERME, COORDMAP(3, 2));
  J.VILLES->WIZARDBATIMENT(FORGE, COORDMAP(4, 2));
  J.VILLES->WIZARDBATIMENT(MOULIN, COORDMAP(4, 2));
  // Only the lower requirement there; an unknown square; some other building
  // but neither; no building at all (no stale reason after a refusal with one);
  // a building without turns; "hernec" without a champion there.
  const std::tuple<cBatiment*, int32_t, int32_t, const char*> REFUSED[] = {
      {CHATEAU, 2, 2, "forge"}, {FERME, 8, 8, nullptr}, {CHATEAU, 3, 2, "moulin"},
      {CHATEAU, 5, 2, nullptr}, {RUINE, 1, 2, nullptr}, {TEMPLE, 1, 2, nullptr}};
  for (auto [B, X, Y, REASON] : REFUSED) {
    const std::string AT = std::to_string(X) + "," + std::to_string(Y);
    LINES EXPECTED{"#INFO: construction " + B->FNAME + " impossible \xE0 " + AT};
    if (REASON != nullptr) {
      EXPECTED.push_back("   >> manque " + std::string(REASON) + " \xE0 " + AT);
    }
    EXPECT_EQ(BUILD(B, X, Y, sBuildNeedBatiment), EXPECTED);
  }
  EXPECT_EQ(J.CONSTRUCTIONS->COUNT(), 0);
  J.CHAMPIONS->ADD(std::make_unique<cChampionPosition>())->SETPOSITION(COORDMAP(1, 2));
  EXPECT_EQ(BUILD(TEMPLE, 1, 2, sBuildOK),
            LINES{"#INFO: d\xE9marrage construction temple \xE0 1,2"});
  BUILD(CHATEAU, 4, 2, sBuildOK);
  EXPECT_TRUE(J.CONSTRUCTIONS->BUFFERCONSTRUCTION.LINES().empty());
}

TEST_F(BuildTest, ConstructionsFinishingTogetherGiveSeparateBuildingsWithFreeIdentifiers) {
  J.VILLES->WIZARDBATIMENT(MOULIN, COORDMAP(1, 2));  // identifier 0 of the towns
  BUILD(FERME, 3, 2, sBuildOK);
  BUILD(FERME, 3, 2, sBuildOK);
  J.CONSTRUCTIONS->PASSTURN();
  EXPECT_EQ(J.VILLES->COUNT(), 1);
  J.OUTPUT.CLEAR();
  J.CONSTRUCTIONS->PASSTURN();
  EXPECT_EQ(J.OUTPUT.LINES(), LINES(2, "#INFO: Nouveau batiment ferme \xE0 3,2"));
  EXPECT_EQ(J.CONSTRUCTIONS->COUNT(), 0);
  EXPECT_EQ(J.CAPITAL.RESSOURCE[0], 80);  // 5 a turn, two turns, two farms
  ASSERT_EQ(J.VILLES->COUNT(), 3);
  std::set<int32_t> IDS;
  for (int32_t I = 0; I < 3; ++I) {
    const cBatimentPosition* B = J.VILLES->ITEM(I);
    IDS.insert(B->FUID);
    EXPECT_EQ(B->FPOSITION, COORDMAP(B->FMODELE == FERME ? 3 : 1, 2));
  }
  EXPECT_EQ(IDS, (std::set<int32_t>{0, 1, 2}));
}
