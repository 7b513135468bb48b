#include "battle/war.h"

#include <gtest/gtest.h>

#include <limits>

#include "battle/battle_fixtures.h"

namespace {

using battlefixtures::Lines;

class War : public battlefixtures::Battles {
 protected:
  cChampionPosition* ALDRIC = HERO(ALICE, "aldric", "att:0-def:0");
  cChampionPosition* BORIN = HERO(BOB, "borin", "att:0-def:0");
};

}  // namespace

TEST_F(War, TheReportOfASmallBattleIsTheOneWorkedOutByHand) {
  ALDRIC->MODELE()->FCARACTS.FROMSTRING("att:1-def:0");
  BORIN->MODELE()->FCARACTS.FROMSTRING("att:0-def:1");
  BORIN->MODELE()->WIMPY = 70;
  STACK(ALDRIC, KIND("lancier", "att:1-def:1-vit:1-pdv:6"), 2, 1);
  STACK(ALDRIC, KIND("soldat", "att:3-def:1-vit:2-pdv:10"), 3, 1);
  STACK(ALDRIC, KIND("archer", "att:3-def:0-vit:3-pdv:4-rng:2-stay:1"), 2, 2);
  cCreature* GARDE = KIND("garde", "att:1-def:2-vit:1-pdv:8");
  STACK(BORIN, KIND("loup", "att:2-def:1-vit:4-pdv:6"), 2, 1);
  STACK(BORIN, GARDE, 2, 1);
  STACK(BORIN, GARDE, 4, 2);
  RANDOMGEN().SEED(1);
  ALICE->TAKECHANGES();
  BOB->TAKECHANGES();
  cWar WAR(*ALDRIC, *BORIN);
  // Both sides change: the next save pass looks at them.
  EXPECT_TRUE(ALICE->MARKED() && BOB->MARKED());
  EXPECT_EQ(WAR.BATTLE(), swDefenderFled);
  WAR.REPORT();

  // Powers: alice 3 x 25 + 2 x 14 + 2 x 23 = 149, bob 2 x 30 + 6 x 17 = 162. The archer
  // (reach 2 from line 2) hits the guards of line 2 for 2 x 4 x 4 / 3 = 10; the wolves,
  // faster, strike the strongest stack not stronger than themselves (pikemen, 34 <= 44)
  // for 2 x 2 x 2 / 1 = 8; the soldiers destroy the guards of line 1 (3 x 4 x 4 / 3 =
  // 16 = 2 x 8), which then do not strike; the pikeman, weaker than the wolves, hits them
  // for 2. The dead guards are buried, the staying archers wait, bob's guards move up.
  // Bob keeps 111 of 162 (68 %), below his threshold of 70: he flees.
  const Lines EXPECTED{
      "Attaquant : alice:149   Defendant : bob:162",
      "DEBUT TOUR",
      "ARMEE DE alice",
      "3:",
      "2:2 archer   ",
      "1:3 soldat   2 lancier   ",
      "------------------------------------",
      "ARMEE DE bob",
      "1:2 loup   2 garde   ",
      "2:4 garde   ",
      "3:",
      "archer (alice) --> garde (bob) dommage: 10   1 morts",
      "loup (bob) --> lancier (alice) dommage: 8   1 morts",
      "soldat (alice) --> garde (bob) dommage: 16   2 morts",
      "Unite morte: garde (bob)",
      "lancier (alice) --> loup (bob) dommage: 2   0 morts",
      "DEBUT TOUR",
      "ARMEE DE alice",
      "3:",
      "2:2 archer   ",
      "1:3 soldat   1 lancier   ",
      "------------------------------------",
      "ARMEE DE bob",
      "1:2 loup   3 garde   ",
      "2:",
      "3:",
      "Champion borin (bob) a fuit le champ de bataille",
  };
  EXPECT_EQ(LOG(ALICE), EXPECTED);
  EXPECT_EQ(ALDRIC->MODELE()->EXPERIENCE, 162 - 111);
  EXPECT_EQ(BORIN->MODELE()->EXPERIENCE, 149 - 135);
  EXPECT_NE(BORIN->FPOSITION, COORDMAP(5, 5)) << "fled";
}

TEST_F(War, ShootersStrikeFirstThenCatapultsThenTheFrontLine) {
  STACK(ALDRIC, KIND("s", "att:1-def:1-pdv:100-vit:9"), 1, 1);
  STACK(ALDRIC, KIND("c", "att:1-def:1-pdv:100-ctplt:2"), 1, 2);
  STACK(ALDRIC, KIND("r", "att:1-def:1-pdv:100-rng:2"), 1, 2);
  STACK(BORIN, KIND("cible", "def:1-pdv:100"), 1, 1);
  STACK(BORIN, KIND("cible", "def:1-pdv:100"), 1, 2);
  cWar WAR(*ALDRIC, *BORIN);
  WAR.BATTLE();
  std::string ORDER;  // the first letter of each striker
  for (const std::string& S : WAR.BUFFERATTAQUANT.LINES()) {
    ORDER += S.find(" --> ") != std::string::npos ? S.substr(0, 1) : "";
  }
  EXPECT_EQ(ORDER.substr(0, 3), "rcs");
}

TEST_F(War, ABlowKillsTheUnitsItsDamageCoversAndAttackAndDefenceStayInTheirRange) {
  const struct {
    int ATT, CATT, DEF, CDEF, UNITS;
    int DAMAGE, LEFT;
  } CASES[] = {
      {0, 0, 1, 0, 1, 0, 5},   {10, 0, 10, 0, 1, 10, 4}, {15, 0, 5, 0, 1, 45, 1},
      {10, 0, 2, 0, 1, 50, 0}, {20, 0, 1, 0, 1, 400, 0}, {3, 0, 2, 0, 1, 4, 5},  // 4.5
      {3, 2, 1, 4, 2, 10, 4},   // the champions' values count for their troops
      {4, 0, 0, 0, 1, 16, 4},   // a defence of 0 counts as 1
      {2, 0, -5, 0, 3, 12, 4},  // and so does one below it: the blow never heals
      {-6, 0, 1, 0, 1, 0, 5},   // an attack below 0 strikes for nothing
  };
  for (const auto& C : CASES) {
    cChampionPosition* A = HERO(ALICE, "a", "att:" + std::to_string(C.CATT));
    cChampionPosition* D = HERO(BOB, "d", "def:" + std::to_string(C.CDEF));
    cCreaturePosition* B = STACK(A, KIND("soldat", "att:" + std::to_string(C.ATT)), C.UNITS, 1);
    cCreaturePosition* V = STACK(D, KIND("cible", "pdv:10-def:" + std::to_string(C.DEF)), 5, 1);
    cWar WAR(*A, *D);
    EXPECT_EQ(WAR.ATTACK(*B, *V, *A, *D), C.LEFT == 0);
    EXPECT_EQ(V->FNBTROUPES, C.LEFT);
    EXPECT_EQ(WAR.BUFFERDEFENDANT.LINES(),
              Lines{"soldat (alice) --> cible (bob) dommage: " + std::to_string(C.DAMAGE) + "   " +
                    std::to_string(5 - C.LEFT) + " morts"});
  }
}

TEST_F(War, ShootersAimByLineFlyersFirstCatapultsNeverAtTheFrontAndFrontBlowsMayBeParried) {
  // The enemy lines 1 to 3: '.' empty, 's' a stack, 'f' a flyer, 'x' a stack
  // that parries every blow it can, 'y' one that never does, 'd' a destroyed
  // stack not yet buried. HIT: the stack struck (p1: the stack of line 1, f1:
  // the flyer), "~ 3" for a parry, "" for no blow, "idle" for nothing to strike.
  const struct {
    const char* CARACTS;
    int LINE;
    const char* ENEMY;
    const char* HIT;
  } CASES[] = {
      {"rng:1", 3, "sss", ""},   {"rng:1", 2, "sss", "p1"},           {"rng:2", 2, "sss", "p2"},
      {"rng:2", 3, "sss", "p1"}, {"rng:9", 2, "sss", "p3"},           {"rng:3", 2, "fss", "f1"},
      {"rng:2", 2, "ssf", "p2"}, {"rng:3", 2, ".s.", "p2"},           {"ctplt:1", 2, "sss", ""},
      {"ctplt:3", 3, "s..", ""}, {"ctplt:3", 2, "sfs", "p3"},         {"ctplt:2", 2, "sss", "p2"},
      {"rng:2", 1, "sss", "p1"}, {"rng:2", 2, "d..", "idle"},         {"att:1", 1, ".ss", ""},
      {"att:1", 1, "s..", "p1"}, {"att:1", 1, "x..", "~ 3"},          {"rng:1", 2, "x..", "p1"},
      {"att:1", 1, "y..", "p1"}, {"rng:1-nopare:1", 2, "x..", "~ 3"},
  };
  for (const auto& C : CASES) {
    cChampionPosition* A = HERO(ALICE, "a", "att:0");
    cChampionPosition* D = HERO(BOB, "d", "att:0");
    for (int32_t Y = 1; Y <= 3; ++Y) {
      const char K = C.ENEMY[Y - 1];
      const std::string EXTRA = K == 'f'   ? "-fly:1"
                                : K == 'x' ? "-pare:100"
                                : K == 'y' ? "-pare:-1"
                                           : "";
      if (K != '.') {
        STACK(D, KIND((K == 'f' ? "f" : "p") + std::to_string(Y), "def:1-pdv:100" + EXTRA), 1, Y)
            ->FNBTROUPES = K == 'd' ? 0 : 1;
      }
    }
    cCreaturePosition* B = STACK(A, KIND("tireur", std::string("att:1-") + C.CARACTS), 1, C.LINE);
    cWar WAR(*A, *D);
    WAR.LANCEACTION(*B, *A, *D);
    const std::string HIT = C.HIT;
    const Lines SEEN = WAR.BUFFERATTAQUANT.LINES();
    const std::string CASE = std::string(C.CARACTS) + " " + std::to_string(C.LINE) + " " + C.ENEMY;
    ASSERT_EQ(SEEN.size(), HIT.empty() ? 0u : 1u) << CASE;
    // Nothing to strike is told in the attacker's report only.
    EXPECT_EQ(WAR.BUFFERDEFENDANT.LINES(), HIT == "idle" ? Lines{} : SEEN) << CASE;
    if (!HIT.empty()) {
      const std::string SAID =
          HIT == "idle" ? "tireur n'a rien a taper !" : "tireur (alice) --> " + HIT + " (bob)";
      EXPECT_EQ(SEEN[0].substr(0, SAID.size()), SAID) << CASE;
    }
  }

  // A defender's stack with nothing to strike is told in the attacker's report too.
  cCreaturePosition* IDLE = STACK(BORIN, KIND("veilleur", "att:1"), 1, 1);
  STACK(ALDRIC, KIND("mort", "pdv:1"), 1, 1)->FNBTROUPES = 0;
  cWar WAR(*ALDRIC, *BORIN);
  WAR.LANCEACTION(*IDLE, *BORIN, *ALDRIC);
  EXPECT_EQ(WAR.BUFFERATTAQUANT.LINES(), Lines{"veilleur n'a rien a taper !"});
  EXPECT_TRUE(WAR.BUFFERDEFENDANT.LINES().empty());
}

TEST_F(War, StacksMoveUpWhileTheLineAheadHoldsFewerThanThreeAndOnlyTheAttackersStay) {
  // Nobody hurts anybody: one round, then the battle ends. Lines 1 to 3 of
  // the side tried: 'p' a stack, 's' a stack that stays.
  const std::tuple<bool, std::vector<std::string>, std::vector<int>> CASES[] = {
      {true, {"p", "s", ""}, {1, 1, 0}},  {false, {"p", "s", ""}, {2, 0, 0}},
      {true, {"", "s", ""}, {1, 0, 0}},   {true, {"pp", "ppp", ""}, {3, 2, 0}},
      {false, {"", "p", "p"}, {1, 1, 0}}, {true, {"ppp", "pp", "pp"}, {3, 3, 1}},
  };
  for (const auto& [ATTACKER, LINES, AFTER] : CASES) {
    cChampionPosition* A = HERO(ALICE, "a", "att:0");
    cChampionPosition* D = HERO(BOB, "d", "att:0");
    cChampionPosition* TRIED = ATTACKER ? A : D;
    STACK(ATTACKER ? D : A, KIND("p", "pdv:5"), 1, 1);
    for (int32_t Y = 1; Y <= 3; ++Y) {
      for (const char K : LINES[static_cast<std::size_t>(Y - 1)]) {
        STACK(TRIED, KIND("p", K == 's' ? "pdv:5-stay:1" : "pdv:5"), 1, Y);
      }
    }
    cWar WAR(*A, *D);
    WAR.BATTLE();
    std::vector<int> SEEN;
    for (int32_t Y = 1; Y <= 3; ++Y) {
      SEEN.push_back(TRIED->ARMEES.LINE(Y).COUNT());
      for (int32_t I = 0; I < TRIED->ARMEES.LINE(Y).COUNT(); ++I) {
        EXPECT_EQ(TRIED->ARMEES.LINE(Y).ITEM(I)->NUMLINE, Y);
      }
    }
    EXPECT_EQ(SEEN, AFTER) << ATTACKER << " " << LINES[0] << "/" << LINES[1];
  }
}

TEST_F(War, ABattleEndsWithASideOrAfterAHundredRoundsOrARoundThatChangesNothing) {
  // One striker of attack ATT against UNITS pawns: the armies drawn, and what is left.
  const std::tuple<int, int, int, int> CASES[] = {
      {1, 1000, 101, 900}, {1, 5, 6, 0}, {0, 1000, 2, 1000}};
  for (const auto& [ATT, UNITS, DISPLAYS, LEFT] : CASES) {
    cChampionPosition* A = HERO(ALICE, "a", "att:0");
    cChampionPosition* D = HERO(BOB, "d", "att:0");
    STACK(A, KIND("frappeur", "pdv:5-att:" + std::to_string(ATT)), 1, 1);
    STACK(D, KIND("pion", "pdv:1"), UNITS, 1);
    cWar WAR(*A, *D);
    EXPECT_EQ(WAR.BATTLE(), swNobodyBroke);
    EXPECT_EQ(COUNTOF(WAR.BUFFERATTAQUANT.LINES(), "DEBUT TOUR"), DISPLAYS);
    EXPECT_EQ(D->GETPUISSANCE(), LEFT);
  }
}

TEST_F(War, ASideBelowItsThresholdDiesOnARollAboveEightyPercentElseFlees) {
  // The breaking side holds two stacks of creatures worth 1 each; the other
  // side destroys the second in the first round, which leaves KEPT percent.
  // No draw comes before the roll, so the roll is the seed's first number.
  const std::tuple<bool, int, int, bool> CASES[] = {
      {true, 90, 85, true}, {false, 90, 85, true}, {true, 50, 40, false}, {true, 90, 80, false}};
  for (const auto& [ATTACKERBREAKS, WIMPY, KEPT, ROLLS] : CASES) {
    int32_t DEATHS = 0;
    for (uint64_t SEED = 1; SEED <= 40; ++SEED) {
      cJoueur* LOSER = ATTACKERBREAKS ? ALICE : BOB;
      cChampionPosition* BREAKER = HERO(LOSER, "perdant", "att:0", WIMPY);
      cChampionPosition* OTHER = HERO(ATTACKERBREAKS ? BOB : ALICE, "autre", "att:0");
      STACK(BREAKER, KIND("un", "pdv:1"), KEPT, 1);
      STACK(BREAKER, KIND("un", "pdv:1"), 100 - KEPT, 1);
      // Worth as much as the second stack: the strongest it may strike.
      STACK(OTHER, KIND("tueur", "att:4-pdv:1"), (100 - KEPT) / 5, 1);
      RANDOMGEN().SEED(SEED);
      const bool DIES = ROLLS && RANDOMGEN().RANDOM(101) <= KEPT;
      DEATHS += DIES ? 1 : 0;
      RANDOMGEN().SEED(SEED);
      cWar WAR(ATTACKERBREAKS ? *BREAKER : *OTHER, ATTACKERBREAKS ? *OTHER : *BREAKER);
      const sWarOutcome DIED = ATTACKERBREAKS ? swAttackerDied : swDefenderDied;
      EXPECT_EQ(WAR.BATTLE(), DIES ? DIED : ATTACKERBREAKS ? swAttackerFled : swDefenderFled);
      WAR.REPORT();
      EXPECT_EQ(LOG(BOB).back(), "Champion perdant (" + LOSER->FNAME + ") " +
                                     (DIES ? "est mort sur" : "a fuit") + " le champ de bataille");
      EXPECT_EQ(BREAKER->MODELE()->STATE, DIES ? sChampionDead : sChampionInGame);
    }
    EXPECT_TRUE(ROLLS ? DEATHS > 0 && DEATHS < 40 : DEATHS == 0) << DEATHS;
  }
}

TEST_F(War, ASideWithoutPowerFightsNoRoundAndCountsAsHavingNothingLeft) {
  const struct {
    bool ATTTROOPS, DEFTROOPS;
    int ATTWIMPY, DEFWIMPY;
    sWarOutcome OUTCOME;
  } CASES[] = {{false, true, 0, 0, swNobodyBroke},
               {true, false, 0, 50, swDefenderFled},
               {false, false, 50, 50, swAttackerFled},
               {true, false, 50, 0, swNobodyBroke}};
  for (const auto& C : CASES) {
    ALICE->OUTPUT.CLEAR();
    BOB->OUTPUT.CLEAR();
    cChampionPosition* A = HERO(ALICE, "a", "att:3-def:3", C.ATTWIMPY);
    cChampionPosition* D = HERO(BOB, "d", "att:3-def:3", C.DEFWIMPY);
    if (C.ATTTROOPS) {
      STACK(A, KIND("soldat", "att:2-pdv:5"), 4, 1);
    }
    if (C.DEFTROOPS) {
      STACK(D, KIND("soldat", "att:2-pdv:5"), 4, 1);
    }
    cWar WAR(*A, *D);
    EXPECT_EQ(WAR.BATTLE(), C.OUTCOME);
    WAR.REPORT();
    const Lines REPORT = LOG(ALICE);
    EXPECT_EQ(REPORT.size(), C.OUTCOME == swNobodyBroke ? 11u : 12u);
    EXPECT_EQ(REPORT.at(0), std::string("Attaquant : alice:") + (C.ATTTROOPS ? "52" : "0") +
                                "   Defendant : bob:" + (C.DEFTROOPS ? "52" : "0"));
    EXPECT_EQ(LOG(BOB), REPORT);
    EXPECT_EQ(A->MODELE()->EXPERIENCE + D->MODELE()->EXPERIENCE, 0);
  }
}

TEST_F(War, ExtremeValuesKeepEveryCountInItsRange) {
  constexpr int32_t MOST = std::numeric_limits<int32_t>::max();
  const char* const KINDS[] = {"att:32767-def:32767-vit:32767-pdv:32767",
                               "att:32767-def:-32768-vit:-32768-pdv:-32768", "pdv:0-att:-32768"};
  for (const char* A : KINDS) {
    for (const char* D : KINDS) {
      cChampionPosition* CA = HERO(ALICE, "a", "att:32767-def:-32768");
      cChampionPosition* CD = HERO(BOB, "d", "att:-32768-def:32767");
      CA->MODELE()->EXPERIENCE = MOST;
      for (int32_t Y = 1; Y <= 3; ++Y) {
        STACK(CA, KIND("x", A), MOST, Y);
        STACK(CD, KIND("y", D), MOST, Y);
      }
      cWar WAR(*CA, *CD);
      WAR.BATTLE();
      for (const cChampionPosition* C : {CA, CD}) {
        for (int32_t Y = 1; Y <= 3; ++Y) {
          for (int32_t I = 0; I < C->ARMEES.LINE(Y).COUNT(); ++I) {
            const cCreaturePosition* T = C->ARMEES.LINE(Y).ITEM(I);
            EXPECT_TRUE(T->FNBTROUPES > 0 && T->STACKPDV >= 0);
          }
        }
      }
      EXPECT_EQ(COUNTOF(WAR.BUFFERATTAQUANT.LINES(), "dommage: -"), 0);
    }
  }
}
