#include "forces/creature.h"

#include <gtest/gtest.h>

#include <tuple>

#include "forces/costs.h"
#include "forces/rules_fixtures.h"

TEST(Creatures, LoadWithLowerCaseNamesAndTheirCostSpreadOverTheirTurns) {
  rulesfixtures::cBaseRules RULES;
  cListeCreatures L(RULES.DIR.WRITE("Creatures.zrk",
                                    "#0\r\nArcher\r\nrace:HUMAINS\r\nturns:4\r\nnbUnites:10\r\n"
                                    "ressNec:10/0/3\r\nressParTour:0/1/0\r\nressProd:0/0/2\r\n"
                                    "caracts:att:3\r\n"));
  ASSERT_TRUE(L.LOADCREATURES());
  const cCreature* C = L.ITEM(0);
  EXPECT_EQ(C->FNAME, "archer");
  EXPECT_EQ(C->RACE, JEURACES->FIND("humains"));
  EXPECT_EQ(C->FRESSPARTOUR.TOSTRING(), "5:2/0:1/1:1");
}

TEST(CostSchedule, CostsRiseToWhatTheTurnsDivideWithoutWrapping) {
  testsupport::cThreeRessources RESS;
  for (auto [FROM, TURNS, RAISED, SCHEDULE] : {
           std::tuple{"10/7/0", 3, "12/9/0", "4:1/3:1/0:1"},
           {"7/10/4", 5, "10/10/5", "2:1/2:1/1:1"},
           {"7/3/1", 1, "7/3/1", "7:1/3:1/1:1"},  // nothing shares a divisor with 1
           {"7/3/1", 0, "7/3/1", "0:0/0:0/0:0"},
           {"7/3/1", -1, "7/3/1", "0:0/0:0/0:0"},
           {"1/3/0", 512, "2/4/0", "1:256/1:128/0:1"},                    // intervals past 8 bits
           {"65535/65534/0", 2, "65534/65534/0", "32767:1/32767:1/0:1"},  // lowered, not 0
       }) {
    cArrayRessources COST;
    cRessParTour PAID;
    COST.FROMSTRING(FROM);
    CALCULCOSTSCHEDULE(COST, PAID, TURNS);
    EXPECT_EQ(COST.TOSTRING(), RAISED) << FROM << " in " << TURNS;
    EXPECT_EQ(PAID.TOSTRING(), SCHEDULE) << FROM << " in " << TURNS;
  }
}
