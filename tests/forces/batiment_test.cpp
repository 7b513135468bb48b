#include "forces/batiment.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "forces/creature.h"
#include "forces/rules_fixtures.h"

using rulesfixtures::cBaseRules;
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

// The rules plus a creature catalogue holding "archer", and an empty JEUBATIMENTS on FILE.
struct cBatimentRules : cBaseRules {
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
};
}  // namespace

TEST(Batiments, RequirementsMayNameLaterBuildings) {
  cBatimentRules R("; buildings\r\n" + RECORD(0, "Alpha", "beta") + "\r\n" +
                   RECORD(1, "beta", "ALPHA", "4", "Archer"));
  ASSERT_TRUE(R.BATIMENTS->LOADBATIMENTS());
  EXPECT_EQ(ULNBBATIMENTS, 2);
  cBatiment* ALPHA = R.BATIMENTS->SEARCHBATIMENT("alpha");
  cBatiment* BETA = R.BATIMENTS->SEARCHBATIMENT("BETA");
  ASSERT_NE(ALPHA, nullptr);
  ASSERT_NE(BETA, nullptr);
  EXPECT_EQ(ALPHA->BATNEC, (std::vector<bool>{false, true}));
  EXPECT_EQ(BETA->BATNEC, (std::vector<bool>{true, false}));
  EXPECT_TRUE(BETA->REQUIRES(0));
  EXPECT_FALSE(BETA->REQUIRES(5));
  EXPECT_EQ(ALPHA->BATIMENTSNECTOSTRING(), "beta");
  EXPECT_EQ(ALPHA->FRECRUIT, nullptr);
  ASSERT_NE(BETA->FRECRUIT, nullptr);
  EXPECT_EQ(BETA->FRECRUIT->FNAME, "archer");
  ASSERT_NE(BETA->RACENEC, nullptr);
  EXPECT_EQ(BETA->RACENEC->FNAME, "Humains");
  ASSERT_NE(BETA->GETCARACT("exploit"), nullptr);
  EXPECT_EQ(BETA->GETCARACT("exploit")->VALUE, 2);
  EXPECT_FALSE(BETA->FPRELOADING);
}

TEST(Batiments, RequirementTextForms) {
  cBatimentRules R(RECORD(0, "a", "none") + RECORD(1, "b", "") + RECORD(2, "c", "a-nowhere-c") +
                   RECORD(3, "d", "c-b-a"));
  ASSERT_TRUE(R.BATIMENTS->LOADBATIMENTS());
  EXPECT_FALSE(R.BATIMENTS->SEARCHBATIMENT("a")->REQUIRESANY());
  EXPECT_EQ(R.BATIMENTS->SEARCHBATIMENT("a")->BATIMENTSNECTOSTRING(), "none");
  EXPECT_EQ(R.BATIMENTS->SEARCHBATIMENT("b")->BATIMENTSNECTOSTRING(), "none");
  EXPECT_EQ(R.BATIMENTS->SEARCHBATIMENT("c")->BATNEC,
            (std::vector<bool>{true, false, true, false}));
  // Written in identifier order, whatever the order of the file.
  EXPECT_EQ(R.BATIMENTS->SEARCHBATIMENT("d")->BATIMENTSNECTOSTRING(), "a-b-c");
}

TEST(Batiments, WritingBackGivesTheRecordWithRaisedCosts) {
  cBatimentRules R(RECORD(0, "Scierie", "none", "3", "archer", "10/0/4"));
  ASSERT_TRUE(R.BATIMENTS->LOADBATIMENTS());
  auto* B = R.BATIMENTS->BATIMENTBYUID(0);
  cBuffer OUT;
  B->TOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES(),
            (std::vector<std::string>{"#0", "scierie", "race:Humains", "batNec:none", "turns:3",
                                      "caracts:exploit:2", "ressNec:12/0/6", "ressTerrain:0/2/0",
                                      "ressJoueur:5/0/0", "ressProd:0/1/0", "recruit:archer"}));
  EXPECT_EQ(B->FRESSPARTOUR.TOSTRING(), "4:1/0:1/2:1");
}

TEST(Batiments, ZeroAndOneTurn) {
  cBatimentRules R(RECORD(0, "zero", "none", "0", "none", "7/3/1") +
                   RECORD(1, "one", "none", "1", "none", "7/3/1"));
  ASSERT_TRUE(R.BATIMENTS->LOADBATIMENTS());
  auto* ZERO = R.BATIMENTS->BATIMENTBYUID(0);
  EXPECT_EQ(ZERO->RESSNEC.TOSTRING(), "7/3/1");
  EXPECT_EQ(ZERO->FRESSPARTOUR.TOSTRING(), "0:0/0:0/0:0");
  auto* ONE = R.BATIMENTS->BATIMENTBYUID(1);
  EXPECT_EQ(ONE->RESSNEC.TOSTRING(), "7/3/1");
  EXPECT_EQ(ONE->FRESSPARTOUR.TOSTRING(), "7:1/3:1/1:1");
}

TEST(Batiments, UnsoundFilesAreRejected) {
  {
    cBatimentRules R(RECORD(0, "a", "none") + RECORD(0, "b", "none"));
    try {
      R.BATIMENTS->LOADBATIMENTS();
      FAIL() << "a duplicate identifier loaded";
    } catch (const cLoadError& E) {
      EXPECT_NE(std::string(E.what()).find("Batiments.zrk, line 12"), std::string::npos)
          << E.what();
    }
  }
  {
    cBatimentRules R(RECORD(0, "a", "none") + RECORD(5, "b", "none"));
    EXPECT_THROW(R.BATIMENTS->LOADBATIMENTS(), cLoadError);
  }
  {
    cBatimentRules R(RECORD(0, "a", "none") + RECORD(1, "b", "none", "-2"));
    try {
      R.BATIMENTS->LOADBATIMENTS();
      FAIL() << "negative turns loaded";
    } catch (const cLoadError& E) {
      EXPECT_NE(std::string(E.what()).find("Batiments.zrk, line 16"), std::string::npos)
          << E.what();
    }
  }
  {
    cBatimentRules R(RECORD(0, "a", "none", "x"));
    EXPECT_THROW(R.BATIMENTS->LOADBATIMENTS(), cLoadError);
  }
  cBatimentRules R("");
  cListeBatiments MISSING((R.DIR.PATH() / "none.zrk").string());
  EXPECT_FALSE(MISSING.LOADBATIMENTS());
}
