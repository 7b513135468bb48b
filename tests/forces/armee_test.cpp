#include "forces/armee.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "forces/rules_fixtures.h"

namespace {

struct ArmyTest : ::testing::Test {
  rulesfixtures::cForcesRules RULES;
  cCreature* ARCHER = RULES.CREATURE(4, "archer", 2, 10, "att:3");
  cCreature* LOUP = RULES.CREATURE(7, "loup", 1, 5, "def:1");  // read by its uid
  cArmee ARMY;

  bool ADD(int32_t UID, int32_t LINE = 1) {
    auto T = std::make_unique<cCreaturePosition>(ARCHER);
    T->FUID = UID;
    const bool ADDED = ARMY.ADD(T, LINE);
    EXPECT_EQ(ADDED, T == nullptr) << "a refused troop stays the caller's";
    return ADDED;
  }
  /// Identifiers of line Y in order.
  std::vector<int32_t> UIDS(const cArmee& A, int32_t Y) const {
    std::vector<int32_t> R;
    for (int32_t X = 1; A.GETARMEE(X, Y) != nullptr; ++X) {
      R.push_back(A.GETARMEE(X, Y)->FUID);
    }
    return R;
  }
};

using IDS = std::vector<int32_t>;

}  // namespace

TEST_F(ArmyTest, AddFillsFromTheChosenLineOnwardAndRefusesWhenFull) {
  for (int32_t I = 1; I <= 7; ++I) {
    EXPECT_TRUE(ADD(I));
  }
  EXPECT_EQ(UIDS(ARMY, 1), (IDS{1, 2, 3, 4, 5}));
  EXPECT_EQ(UIDS(ARMY, 2), (IDS{6, 7}));
  for (int32_t I = 8; I <= 12; ++I) {
    EXPECT_TRUE(ADD(I, 3));
  }
  EXPECT_FALSE(ADD(13, 3)) << "line 3 full: room before it does not count";
  for (int32_t BAD : {0, 4, -1}) {
    EXPECT_FALSE(ADD(14, BAD));
    EXPECT_EQ(ARMY.GETARMEE(1, BAD), nullptr);
    EXPECT_THROW(ARMY.LINE(BAD), std::out_of_range);
  }
  std::unique_ptr<cCreaturePosition> NONE;
  EXPECT_FALSE(ARMY.ADD(NONE));

  // Taking a troop out keeps the others in order; a troop not held is refused.
  auto OUT = ARMY.REMOVE(ARMY.GETARMEE(3, 1));
  EXPECT_EQ(UIDS(ARMY, 1), (IDS{1, 2, 4, 5}));
  EXPECT_EQ(ARMY.REMOVE(OUT.get()), nullptr);
}

TEST_F(ArmyTest, ReadingStopsAtItsEndAndSkipsOddTroops) {
  cBuffer END;
  END.WRITELN("endUnits");
  END.WRITELN("after");
  END.REWIND();
  ARMY.FROMBUFFER(END);
  EXPECT_EQ(END.READLN(), "after");
  // Line 7 and a bad line number land in the nearest line, a troop of an
  // unknown creature is dropped, and a record cut short ends with the buffer.
  cBuffer IN;
  for (const char* L : {"#1", "archer:4", "position:1,1", "nbTroupes:2", "line:7", "col:1", "#2",
                        "dragon:99", "position:1,1", "nbTroupes:3", "line:1", "col:1", "#3",
                        "loup:7", "position:1,1", "nbTroupes:4", "line:x", "col:9"}) {
    IN.WRITELN(L);
  }
  IN.REWIND();
  cArmee ODD;
  ODD.FROMBUFFER(IN);
  EXPECT_TRUE(IN.ISEOF());
  EXPECT_EQ(UIDS(ODD, 3), (IDS{1}));
  EXPECT_EQ(UIDS(ODD, 1), (IDS{3}));
  EXPECT_EQ(ODD.GETCOUNT(), 2);
}
