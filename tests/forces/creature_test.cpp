#include "forces/creature.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "forces/costs.h"
#include "forces/rules_fixtures.h"

namespace {
std::string RECORD(const std::string& UID, const std::string& NAME, const std::string& RACE,
                   const std::string& TURNS, const std::string& COST, const std::string& CARACTS) {
  return "#" + UID + "\r\n" + NAME + "\r\nrace:" + RACE + "\r\nturns:" + TURNS +
         "\r\nnbUnites:10\r\nressNec:" + COST +
         "\r\nressParTour:0/1/0\r\nressProd:0/0/2\r\ncaracts:" + CARACTS + "\r\n";
}
}  // namespace

TEST(Creatures, LoadsRecordsBetweenOtherLinesWithTheirSchedules) {
  rulesfixtures::cBaseRules RULES;
  cListeCreatures L(RULES.DIR.WRITE(
      "Creatures.zrk",
      "; creatures\r\n" + RECORD("0", "Archer", "HUMAINS", "4", "10/0/3", "att:3-def:-1-rng:2") +
          "\r\nfree text\r\n" + RECORD("1", "milicien", "elfes", "1", "5/3/0", "")));
  ASSERT_TRUE(L.LOADCREATURES());
  ASSERT_EQ(L.COUNT(), 2);
  cCreature* ARCHER = L.SEARCHCREATURE("ARCHER");
  ASSERT_NE(ARCHER, nullptr);
  EXPECT_EQ(ARCHER->GETDEFENSE(), -1);
  EXPECT_EQ(ARCHER->FRESSPARTOUR.TOSTRING(), "5:2/0:1/1:1");  // 10 and 3 raised to 4
  cBuffer OUT;
  ARCHER->TOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES(),
            (std::vector<std::string>{"#0", "archer", "race:Humains", "turns:4", "nbUnites:10",
                                      "ressNec:10/0/4", "ressParTour:0/1/0", "ressProd:0/0/2",
                                      "caracts:att:3-def:-1-rng:2"}));
  cCreature* MILICIEN = L.SEARCHCREATURE("milicien");
  ASSERT_NE(MILICIEN, nullptr);
  EXPECT_EQ(MILICIEN->RACE, nullptr) << "no such race";
  EXPECT_EQ(MILICIEN->RESSNEC.TOSTRING(), "5/3/0");
  EXPECT_EQ(MILICIEN->FRESSPARTOUR.TOSTRING(), "5:1/3:1/0:1") << "one turn pays at once";
}

TEST(CostSchedule, CostsRiseToWhatTheTurnsDivideWithoutWrapping) {
  testsupport::cThreeRessources RESS;
  const struct {
    const char* COST;
    int32_t TURNS;
    const char* RAISED;
    const char* SCHEDULE;
  } CASES[] = {
      {"10/7/0", 3, "12/9/0", "4:1/3:1/0:1"},
      {"7/10/4", 5, "10/10/5", "2:1/2:1/1:1"},
      {"7/3/1", 1, "7/3/1", "7:1/3:1/1:1"},  // nothing shares a divisor with 1
      {"7/3/1", 0, "7/3/1", "0:0/0:0/0:0"},
      {"7/3/1", -1, "7/3/1", "0:0/0:0/0:0"},
      {"65535/65534/0", 2, "65534/65534/0", "32767:1/32767:1/0:1"},  // lowered, not 0
  };
  for (const auto& C : CASES) {
    cArrayRessources COST;
    cRessParTour SCHEDULE;
    COST.FROMSTRING(C.COST);
    CALCULCOSTSCHEDULE(COST, SCHEDULE, C.TURNS);
    EXPECT_EQ(COST.TOSTRING(), C.RAISED) << C.COST << " in " << C.TURNS;
    EXPECT_EQ(SCHEDULE.TOSTRING(), C.SCHEDULE) << C.COST << " in " << C.TURNS;
  }
}
