#include "forces/batiment.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "forces/creature.h"
#include "forces/rules_fixtures.h"
#include "forces/ville.h"
#include "players/joueur.h"

using testsupport::cScopedGlobal;

namespace {

std::string RECORD(int UID, const std::string& NAME, const std::string& BATNEC,
                   const std::string& TURNS = "4", const std::string& RECRUIT = "none",
                   const std::string& COST = "10/0/3") {
  return "#" + std::to_string(UID) + "\r\n" + NAME + "\r\nrace:humains\r\nbatNec:" + BATNEC +
         "\r\nturns:" + TURNS + "\r\ncaracts:exploit:2\r\nressNec:" + COST +
         "\r\nressTerrain:0/2/0\r\nressJoueur:5/0/0\r\nressProd:0/1/0\r\nrecruit:" + RECRUIT +
         "\r\n";
}

// The rules, a creature catalogue holding "archer", and JEUBATIMENTS read from TEXT.
struct cBatimentRules : rulesfixtures::cBaseRules {
  cScopedGlobal<cListeCreatures> CREATURES{
      JEUCREATURES, std::make_unique<cListeCreatures>(
                        DIR.WRITE("Creatures.zrk",
                                  "#0\r\narcher\r\nrace:humains\r\nturns:2\r\n"
                                  "nbUnites:5\r\nressNec:2/0/0\r\nressParTour:0/0/0\r\n"
                                  "ressProd:0/0/0\r\ncaracts:rng:2\r\n"))};
  cScopedGlobal<cListeBatiments> BATIMENTS;
  explicit cBatimentRules(const std::string& TEXT)
      : BATIMENTS(JEUBATIMENTS,
                  std::make_unique<cListeBatiments>(DIR.WRITE("Batiments.zrk", TEXT))) {
    EXPECT_TRUE(CREATURES->LOADCREATURES());
  }
  std::string NEEDS(const char* NAME) const {
    return BATIMENTS->SEARCHBATIMENT(NAME)->BATIMENTSNECTOSTRING();
  }
};

}  // namespace

TEST(Batiments, RequirementsMayNameLaterBuildingsAndUnknownNamesAreSkipped) {
  cBatimentRules R("; buildings\r\n" + RECORD(0, "Alpha", "beta") + "\r\n" +
                   RECORD(1, "beta", "ALPHA", "4", "Archer") + RECORD(2, "c", "") +
                   RECORD(3, "d", "c-nowhere-beta-alpha"));
  ASSERT_TRUE(R.BATIMENTS->LOADBATIMENTS());
  EXPECT_EQ(R.NEEDS("alpha"), "beta");
  EXPECT_EQ(R.NEEDS("beta"), "alpha");
  EXPECT_EQ(R.NEEDS("c"), "none");
  EXPECT_EQ(R.NEEDS("d"), "alpha-beta-c") << "identifier order, whatever the file's";
  EXPECT_FALSE(R.BATIMENTS->SEARCHBATIMENT("d")->REQUIRES(5));
  EXPECT_EQ(R.BATIMENTS->SEARCHBATIMENT("alpha")->FRECRUIT, nullptr);
  ASSERT_NE(R.BATIMENTS->SEARCHBATIMENT("beta")->FRECRUIT, nullptr);
  EXPECT_EQ(R.BATIMENTS->SEARCHBATIMENT("beta")->FRECRUIT->FNAME, "archer");
}

TEST(Batiments, CostsRiseToWhatTheTurnsDivideAndOneTurnPaysAtOnce) {
  cBatimentRules R(RECORD(0, "Scierie", "none", "3", "archer", "10/0/4") +
                   RECORD(1, "zero", "none", "0", "none", "7/3/1") +
                   RECORD(2, "one", "none", "1", "none", "7/3/1"));
  ASSERT_TRUE(R.BATIMENTS->LOADBATIMENTS());
  cBuffer OUT;
  R.BATIMENTS->BATIMENTBYUID(0)->TOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES(),
            (std::vector<std::string>{"#0", "scierie", "race:Humains", "batNec:none", "turns:3",
                                      "caracts:exploit:2", "ressNec:12/0/6", "ressTerrain:0/2/0",
                                      "ressJoueur:5/0/0", "ressProd:0/1/0", "recruit:archer"}));
  EXPECT_EQ(R.BATIMENTS->BATIMENTBYUID(0)->FRESSPARTOUR.TOSTRING(), "4:1/0:1/2:1");
  EXPECT_EQ(R.BATIMENTS->BATIMENTBYUID(1)->FRESSPARTOUR.TOSTRING(), "0:0/0:0/0:0");
  EXPECT_EQ(R.BATIMENTS->BATIMENTBYUID(2)->RESSNEC.TOSTRING(), "7/3/1");
  EXPECT_EQ(R.BATIMENTS->BATIMENTBYUID(2)->FRESSPARTOUR.TOSTRING(), "7:1/3:1/1:1");
}

TEST(Batiments, ALongConstructionChargesItsPriceAndNoMore) {
  // 512 turns: "or" is raised to 2, paid 1 every 256 turns; "bois" to 4, 1 every 128.
  cBatimentRules R(RECORD(0, "muraille", "none", "512", "none", "1/3/0"));
  ASSERT_TRUE(R.BATIMENTS->LOADBATIMENTS());
  cBatiment* B = R.BATIMENTS->BATIMENTBYUID(0);
  EXPECT_EQ(B->RESSNEC.TOSTRING(), "2/4/0");
  EXPECT_EQ(B->FRESSPARTOUR.TOSTRING(), "1:256/1:128/0:1");
  cJoueur J{0, "alice"};
  J.CARTE.ADD(1, 1);
  J.CAPITAL.FROMSTRING("1000/1000/0");
  ASSERT_EQ(J.CONSTRUCTIONS->BUILDNEWBATIMENT(B, COORDMAP(1, 1)), sBuildOK);
  for (int32_t TURN = 1; TURN <= 512; ++TURN) {
    EXPECT_EQ(J.VILLES->COUNT(), 0) << "turn " << TURN;
    J.CONSTRUCTIONS->PASSTURN();
  }
  EXPECT_EQ(J.VILLES->COUNT(), 1);
  EXPECT_EQ(J.CAPITAL.TOSTRING(), "998/996/0");
}
