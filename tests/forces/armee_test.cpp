#include "forces/armee.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "forces/holdings_fixtures.h"

using holdingsfixtures::cForcesRules;

namespace {

struct ArmyTest : ::testing::Test {
  cForcesRules RULES;
  cCreature* ARCHER = RULES.CREATURE(4, "archer", 2, 10, "att:3");
  cCreature* LOUP = RULES.CREATURE(7, "loup", 1, 5, "def:1");
  cArmee ARMY;

  /// A troop of C carrying UID, with NB creatures, standing on (2, 3).
  std::unique_ptr<cCreaturePosition> TROOP(int32_t UID, cCreature* C = nullptr, int32_t NB = 1) {
    auto T = std::make_unique<cCreaturePosition>(C != nullptr ? C : ARCHER);
    T->FUID = UID;
    T->FNBTROUPES = NB;
    T->SETPOSITION(COORDMAP(2, 3));
    return T;
  }
  /// Identifiers of line Y in order.
  std::vector<int32_t> UIDS(int32_t Y) const {
    std::vector<int32_t> R;
    for (int32_t X = 1; ARMY.GETARMEE(X, Y) != nullptr; ++X) {
      R.push_back(ARMY.GETARMEE(X, Y)->FUID);
    }
    return R;
  }
};

}  // namespace

TEST_F(ArmyTest, AddFillsFromTheChosenLineOnward) {
  for (int32_t I = 1; I <= 6; ++I) {
    auto T = TROOP(I);
    EXPECT_EQ(ARMY.FREELINE(), I <= 5 ? 1 : 2);
    EXPECT_TRUE(ARMY.ADD(T));
    EXPECT_EQ(T, nullptr);
  }
  EXPECT_EQ(UIDS(1), (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(UIDS(2), (std::vector<int32_t>{6}));
  EXPECT_EQ(ARMY.GETCOUNT(), 6);

  // A troop never goes before its line.
  auto T = TROOP(7);
  EXPECT_TRUE(ARMY.ADD(T, 3));
  EXPECT_EQ(UIDS(3), (std::vector<int32_t>{7}));
}

TEST_F(ArmyTest, FullLineThreeRefusesEvenWithRoomBefore) {
  for (int32_t I = 1; I <= 5; ++I) {
    auto T = TROOP(I);
    ASSERT_TRUE(ARMY.ADD(T, 3));
  }
  EXPECT_EQ(ARMY.FREELINE(3), 0);
  EXPECT_EQ(ARMY.FREELINE(1), 1);
  auto EXTRA = TROOP(9);
  EXPECT_FALSE(ARMY.ADD(EXTRA, 3));
  ASSERT_NE(EXTRA, nullptr);  // still the caller's
  EXPECT_EQ(EXTRA->FUID, 9);
  EXPECT_EQ(ARMY.GETCOUNT(), 5);
  EXPECT_TRUE(UIDS(1).empty());
}

TEST_F(ArmyTest, LinesOutsideOneToThree) {
  auto T = TROOP(1);
  EXPECT_EQ(ARMY.FREELINE(0), 0);
  EXPECT_EQ(ARMY.FREELINE(4), 0);
  EXPECT_FALSE(ARMY.ADD(T, 4));
  EXPECT_FALSE(ARMY.ADD(T, 0));
  EXPECT_FALSE(ARMY.ADD(T, -1));
  EXPECT_NE(T, nullptr);
  EXPECT_EQ(ARMY.GETCOUNT(), 0);
  std::unique_ptr<cCreaturePosition> NONE;
  EXPECT_FALSE(ARMY.ADD(NONE));
  EXPECT_EQ(ARMY.GETCOUNT(), 0);

  EXPECT_THROW(ARMY.LINE(0), std::out_of_range);
  EXPECT_THROW(ARMY.LINE(4), std::out_of_range);
  ASSERT_TRUE(ARMY.ADD(T, 2));
  EXPECT_EQ(ARMY.GETARMEE(1, 2)->FUID, 1);
  EXPECT_EQ(ARMY.GETARMEE(0, 2), nullptr);
  EXPECT_EQ(ARMY.GETARMEE(1, 0), nullptr);
  EXPECT_EQ(ARMY.GETARMEE(1, 4), nullptr);
}

TEST_F(ArmyTest, GetArmeeBeyondTheEndOfALine) {
  auto A = TROOP(1);
  auto B = TROOP(2);
  ASSERT_TRUE(ARMY.ADD(A, 2));
  ASSERT_TRUE(ARMY.ADD(B, 2));
  EXPECT_EQ(ARMY.GETARMEE(2, 2)->FUID, 2);
  EXPECT_EQ(ARMY.GETARMEE(3, 2), nullptr);
}

TEST_F(ArmyTest, AppendIgnoresTheLimitAndClampsTheLine) {
  for (int32_t I = 1; I <= 7; ++I) {
    ARMY.APPEND(TROOP(I), 2);
  }
  ARMY.APPEND(TROOP(8), 9);
  ARMY.APPEND(TROOP(9), 0);
  ARMY.APPEND(nullptr, 1);
  EXPECT_EQ(UIDS(2), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(UIDS(3), (std::vector<int32_t>{8}));
  EXPECT_EQ(UIDS(1), (std::vector<int32_t>{9}));
  EXPECT_EQ(ARMY.GETCOUNT(), 9);
}

TEST_F(ArmyTest, RemoveKeepsTheOthersInOrder) {
  for (int32_t I = 1; I <= 7; ++I) {
    auto T = TROOP(I);
    ASSERT_TRUE(ARMY.ADD(T));
  }
  cCreaturePosition* THIRD = ARMY.GETARMEE(3, 1);
  auto OUT = ARMY.REMOVE(THIRD);
  ASSERT_EQ(OUT.get(), THIRD);
  EXPECT_EQ(UIDS(1), (std::vector<int32_t>{1, 2, 4, 5}));
  EXPECT_EQ(UIDS(2), (std::vector<int32_t>{6, 7}));

  auto LAST = ARMY.REMOVE(ARMY.GETARMEE(2, 2));
  ASSERT_NE(LAST, nullptr);
  EXPECT_EQ(LAST->FUID, 7);
  EXPECT_EQ(UIDS(2), (std::vector<int32_t>{6}));

  // Troops the army does not hold: nothing changes.
  auto STRANGER = TROOP(42);
  EXPECT_EQ(ARMY.REMOVE(STRANGER.get()), nullptr);
  EXPECT_EQ(ARMY.REMOVE(OUT.get()), nullptr);
  EXPECT_EQ(ARMY.REMOVE(nullptr), nullptr);
  EXPECT_EQ(ARMY.GETCOUNT(), 5);
  EXPECT_EQ(UIDS(1), (std::vector<int32_t>{1, 2, 4, 5}));
}

TEST_F(ArmyTest, RecordRoundTrip) {
  auto A = TROOP(3, ARCHER, 30);
  auto B = TROOP(1, LOUP, 5);
  auto C = TROOP(8, ARCHER, 12);
  ASSERT_TRUE(ARMY.ADD(A, 1));
  ASSERT_TRUE(ARMY.ADD(B, 3));
  ASSERT_TRUE(ARMY.ADD(C, 3));
  ARMY.GETARMEE(1, 1)->STACKPDV = 99;
  ARMY.GETARMEE(1, 1)->NUMLINE = 2;
  ARMY.GETARMEE(1, 1)->POISONNED = 1;
  ARMY.GETARMEE(1, 1)->BLINDED = 1;

  cBuffer OUT;
  ARMY.TOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES(),
            (std::vector<std::string>{"#3", "archer:4", "position:2,3", "nbTroupes:30", "line:1",
                                      "col:1", "#1", "loup:7", "position:2,3", "nbTroupes:5",
                                      "line:3", "col:1", "#8", "archer:4", "position:2,3",
                                      "nbTroupes:12", "line:3", "col:2", "endUnits"}));

  OUT.WRITELN("after");
  OUT.REWIND();
  cArmee BACK;
  BACK.FROMBUFFER(OUT);
  EXPECT_EQ(OUT.READLN(), "after");  // stops right after "endUnits"

  ASSERT_EQ(BACK.GETCOUNT(), 3);
  const cCreaturePosition* T1 = BACK.GETARMEE(1, 1);
  ASSERT_NE(T1, nullptr);
  EXPECT_EQ(T1->FUID, 3);
  EXPECT_EQ(T1->FMODELE, ARCHER);
  EXPECT_EQ(T1->FNAME, "archer");
  EXPECT_EQ(T1->FNBTROUPES, 30);
  EXPECT_EQ(T1->FPOSITION, COORDMAP(-1, -1));
  EXPECT_EQ(T1->STACKPDV, 0);
  EXPECT_EQ(T1->NUMLINE, 0);
  EXPECT_EQ(T1->POISONNED, 0);
  EXPECT_EQ(T1->BLINDED, 0);
  EXPECT_EQ(BACK.GETARMEE(1, 2), nullptr);
  ASSERT_NE(BACK.GETARMEE(2, 3), nullptr);
  EXPECT_EQ(BACK.GETARMEE(1, 3)->FMODELE, LOUP);
  EXPECT_EQ(BACK.GETARMEE(1, 3)->FUID, 1);
  EXPECT_EQ(BACK.GETARMEE(2, 3)->FUID, 8);
  EXPECT_EQ(BACK.GETARMEE(2, 3)->FNBTROUPES, 12);
  EXPECT_EQ(BACK.GETARMEE(2, 3)->FPOSITION, COORDMAP(-1, -1));

  cBuffer EMPTY;
  cArmee NOTHING;
  NOTHING.TOBUFFER(EMPTY);
  EXPECT_EQ(EMPTY.LINES(), (std::vector<std::string>{"endUnits"}));
}

TEST_F(ArmyTest, ReadingOddRecords) {
  // Line 7 and a malformed line land in the nearest line; an unknown creature
  // is read past and dropped; the column is not used.
  cBuffer IN;
  for (const char* L : {"#1", "archer:4", "position:1,1", "nbTroupes:2", "line:7", "col:1", "#2",
                        "dragon:99", "position:1,1", "nbTroupes:3", "line:1", "col:1", "#3",
                        "loup:7", "position:1,1", "nbTroupes:4", "line:x", "col:9", "endUnits"}) {
    IN.WRITELN(L);
  }
  IN.REWIND();
  ARMY.FROMBUFFER(IN);
  EXPECT_TRUE(IN.ISEOF());
  EXPECT_EQ(ARMY.GETCOUNT(), 2);
  EXPECT_EQ(UIDS(3), (std::vector<int32_t>{1}));
  EXPECT_EQ(UIDS(1), (std::vector<int32_t>{3}));

  // A record cut before "endUnits" ends at the end of the buffer.
  cBuffer CUT;
  for (const char* L : {"#5", "loup:7", "position:1,1", "nbTroupes:4", "line:2", "col:1"}) {
    CUT.WRITELN(L);
  }
  CUT.REWIND();
  cArmee PART;
  PART.FROMBUFFER(CUT);
  EXPECT_EQ(PART.GETCOUNT(), 1);
  EXPECT_EQ(PART.GETARMEE(1, 2)->FUID, 5);
}
