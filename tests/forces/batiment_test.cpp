#include "forces/batiment.h"

#include <gtest/gtest.h>

#include "forces/creature.h"
#include "forces/rules_fixtures.h"
#include "forces/ville.h"
#include "players/joueur.h"

namespace {

std::string RECORD(int UID, const std::string& NAME, const std::string& BATNEC,
                   const std::string& TURNS = "4", const std::string& RECRUIT = "none",
                   const std::string& COST = "10/0/3") {
  return "#" + std::to_string(UID) + "\r\n" + NAME + "\r\nrace:humains\r\nbatNec:" + BATNEC +
         "\r\nturns:" + TURNS + "\r\ncaracts:exploit:2\r\nressNec:" + COST +
         "\r\nressTerrain:0/2/0\r\nressJoueur:5/0/0\r\nressProd:0/1/0\r\nrecruit:" + RECRUIT +
         "\r\n";
}

// The rules with the creature "archer", and JEUBATIMENTS loaded from TEXT.
struct cBatimentRules : rulesfixtures::cForcesRules {
  cCreature* ARCHER = CREATURE(0, "archer", 2, 5, "rng:2");
  explicit cBatimentRules(const std::string& TEXT) {
    JEUBATIMENTS = std::make_unique<cListeBatiments>(DIR.WRITE("Batiments.zrk", TEXT));
    EXPECT_TRUE(JEUBATIMENTS->LOADBATIMENTS());
  }
  std::string NEEDS(const char* NAME) const {
    return JEUBATIMENTS->SEARCHBATIMENT(NAME)->BATIMENTSNECTOSTRING();
  }
};

}  // namespace

TEST(Batiments, RequirementsMayNameLaterBuildingsAndUnknownNamesAreSkipped) {
  cBatimentRules R("; buildings\r\n" + RECORD(0, "Alpha", "beta") + "\r\n" +
                   RECORD(1, "beta", "ALPHA", "4", "Archer") + RECORD(2, "c", "") +
                   RECORD(3, "d", "c-nowhere-beta-alpha"));
  EXPECT_EQ(R.NEEDS("alpha"), "beta");
  EXPECT_EQ(R.NEEDS("beta"), "alpha");
  EXPECT_EQ(R.NEEDS("c"), "none");
  EXPECT_EQ(R.NEEDS("d"), "alpha-beta-c") << "identifier order, whatever the file's";
  EXPECT_FALSE(JEUBATIMENTS->SEARCHBATIMENT("d")->REQUIRES(5));
  EXPECT_EQ(JEUBATIMENTS->SEARCHBATIMENT("alpha")->FRECRUIT, nullptr);
  EXPECT_EQ(JEUBATIMENTS->SEARCHBATIMENT("beta")->FRECRUIT, R.ARCHER);
}

TEST(Batiments, ALongConstructionChargesItsPriceAndNoMore) {
  // 512 turns: "or" is raised to 2, paid 1 every 256 turns; "bois" to 4, 1 every 128.
  cBatimentRules R(RECORD(0, "muraille", "none", "512", "none", "1/3/0"));
  cJoueur J{0, "alice"};
  J.CARTE.ADD(1, 1);
  J.CAPITAL.FROMSTRING("1000/1000/0");
  ASSERT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(JEUBATIMENTS->BATIMENTBYUID(0), COORDMAP(1, 1)),
            sBuildOK);
  for (int32_t TURN = 1; TURN <= 512; ++TURN) {
    EXPECT_EQ(J.VILLES->COUNT(), 0) << "turn " << TURN;
    J.CONSTRUCTIONS->PASSTURN();
  }
  EXPECT_EQ(J.VILLES->COUNT(), 1);
  EXPECT_EQ(J.CAPITAL.TOSTRING(), "998/996/0");
}
