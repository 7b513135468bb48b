#include "forces/creature.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "forces/costs.h"
#include "forces/rules_fixtures.h"

using rulesfixtures::cBaseRules;

namespace {
std::string RECORD(const std::string& UID, const std::string& NAME, const std::string& RACE,
                   const std::string& TURNS, const std::string& COST, const std::string& CARACTS) {
  return "#" + UID + "\r\n" + NAME + "\r\nrace:" + RACE + "\r\nturns:" + TURNS +
         "\r\nnbUnites:10\r\nressNec:" + COST +
         "\r\nressParTour:0/1/0\r\nressProd:0/0/2\r\ncaracts:" + CARACTS + "\r\n";
}
}  // namespace

TEST(Creatures, LoadsRecordsBetweenOtherLines) {
  cBaseRules RULES;
  cListeCreatures L(RULES.DIR.WRITE(
      "Creatures.zrk", "; creatures\r\n" +
                           RECORD("0", "Archer", "HUMAINS", "4", "10/0/3", "att:3-def:1-rng:2") +
                           "\r\nfree text\r\n" + RECORD("1", "loup", "elfes", "300", "0/0/0", "")));
  ASSERT_TRUE(L.LOADCREATURES());
  ASSERT_EQ(L.COUNT(), 2);
  auto* ARCHER = L.SEARCHCREATURE("ARCHER");
  ASSERT_NE(ARCHER, nullptr);
  EXPECT_EQ(ARCHER->FNAME, "archer");
  EXPECT_EQ(ARCHER->FUID, 0);
  ASSERT_NE(ARCHER->RACE, nullptr);
  EXPECT_EQ(ARCHER->RACE->FUID, 0);
  EXPECT_EQ(ARCHER->FNBTOURSNEC, 4);
  EXPECT_EQ(ARCHER->FNBUNITS, 10u);
  EXPECT_EQ(ARCHER->GETATTACK(), 3);
  EXPECT_EQ(ARCHER->GETPDV(), 0);
  ASSERT_NE(ARCHER->GETCARACT("RNG"), nullptr);
  EXPECT_EQ(ARCHER->GETCARACT("rng")->VALUE, 2);
  // 4 turns: 10 stays (5 every 2 turns), 3 becomes 4 (1 every turn).
  EXPECT_EQ(ARCHER->RESSNEC.TOSTRING(), "10/0/4");
  EXPECT_EQ(ARCHER->FRESSPARTOUR.TOSTRING(), "5:2/0:1/1:1");

  auto* LOUP = L.SEARCHCREATURE("loup");
  ASSERT_NE(LOUP, nullptr);
  EXPECT_EQ(LOUP->RACE, nullptr);
  EXPECT_EQ(LOUP->FNBTOURSNEC, 44);

  cBuffer OUT;
  ARCHER->TOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES(),
            (std::vector<std::string>{"#0", "archer", "race:Humains", "turns:4", "nbUnites:10",
                                      "ressNec:10/0/4", "ressParTour:0/1/0", "ressProd:0/0/2",
                                      "caracts:att:3-def:1-rng:2"}));
}

TEST(Creatures, MissingFileAndBadNumbers) {
  cBaseRules RULES;
  cListeCreatures MISSING((RULES.DIR.PATH() / "none.zrk").string());
  EXPECT_FALSE(MISSING.LOADCREATURES());
  cListeCreatures BAD(
      RULES.DIR.WRITE("bad.zrk", RECORD("0", "archer", "humains", "deux", "1/1/1", "")));
  try {
    BAD.LOADCREATURES();
    FAIL() << "a bad number of turns loaded";
  } catch (const cLoadError& E) {
    EXPECT_NE(std::string(E.what()).find("bad.zrk, line 4"), std::string::npos) << E.what();
    EXPECT_NE(std::string(E.what()).find("'deux'"), std::string::npos) << E.what();
  }
}

TEST(CostSchedule, CostsRiseToWhatTheTurnsDivide) {
  testsupport::cThreeRessources RESS;
  cArrayRessources COST;
  cRessParTour SCHEDULE;

  COST.FROMSTRING("10/7/0");
  CALCULCOSTSCHEDULE(COST, SCHEDULE, 3);
  EXPECT_EQ(COST.TOSTRING(), "12/9/0");
  EXPECT_EQ(SCHEDULE.TOSTRING(), "4:1/3:1/0:1");

  COST.FROMSTRING("7/10/4");
  CALCULCOSTSCHEDULE(COST, SCHEDULE, 5);
  EXPECT_EQ(COST.TOSTRING(), "10/10/5");
  EXPECT_EQ(SCHEDULE.TOSTRING(), "2:1/2:1/1:1");
}

TEST(CostSchedule, ZeroOneAndHugeCosts) {
  testsupport::cThreeRessources RESS;
  cArrayRessources COST;
  cRessParTour SCHEDULE;

  // No turns: costs stay, no schedule.
  COST.FROMSTRING("7/3/1");
  CALCULCOSTSCHEDULE(COST, SCHEDULE, 0);
  EXPECT_EQ(COST.TOSTRING(), "7/3/1");
  EXPECT_EQ(SCHEDULE.TOSTRING(), "0:0/0:0/0:0");

  // One turn: no quantity shares a divisor with 1; the cost is paid at once.
  CALCULCOSTSCHEDULE(COST, SCHEDULE, 1);
  EXPECT_EQ(COST.TOSTRING(), "7/3/1");
  EXPECT_EQ(SCHEDULE.TOSTRING(), "7:1/3:1/1:1");

  // Negative turns are left alone rather than looping.
  CALCULCOSTSCHEDULE(COST, SCHEDULE, -1);
  EXPECT_EQ(COST.TOSTRING(), "7/3/1");

  // 65535 cannot rise to 65536: it is lowered, not wrapped round to 0.
  COST.FROMSTRING("65535/65534/0");
  CALCULCOSTSCHEDULE(COST, SCHEDULE, 2);
  EXPECT_EQ(COST.TOSTRING(), "65534/65534/0");
  EXPECT_EQ(SCHEDULE.TOSTRING(), "32767:1/32767:1/0:1");
}

TEST(Creatures, OneTurnRecruitmentPaysTheWholeCostAtOnce) {
  cBaseRules RULES;
  cListeCreatures L(RULES.DIR.WRITE("c.zrk", RECORD("0", "milicien", "humains", "1", "5/3/0", "")));
  ASSERT_TRUE(L.LOADCREATURES());
  auto* C = static_cast<cCreature*>(L.GET(0));
  EXPECT_EQ(C->RESSNEC.TOSTRING(), "5/3/0");
  EXPECT_EQ(C->FRESSPARTOUR.TOSTRING(), "5:1/3:1/0:1");
}
