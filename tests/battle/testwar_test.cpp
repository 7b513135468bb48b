#include "battle/testwar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "battle/battle_fixtures.h"

namespace {

using battlefixtures::Lines;

// Arrivals fight their battles; creatures "p" are worth 5 a unit and strike
// for nothing, so that a battle between them is one round that hurts nobody.
class Arrivals : public battlefixtures::Battles {
 protected:
  Arrivals() { INSTALLBATTLES(); }

  cCreature* P = KIND("p", "pdv:5");

  // The opening lines of the battles in J's log.
  static Lines OPENINGS(const cJoueur* J) {
    Lines R;
    std::ranges::copy_if(LOG(J), std::back_inserter(R),
                         [](const std::string& L) { return L.rfind("Attaquant : ", 0) == 0; });
    return R;
  }
};

}  // namespace

TEST_F(
    Arrivals,
    AnArrivalFightsTheOtherPlayersChampionsThenTheirGuardsWhichNeverBreakAndStopsWithItsChampion) {
  cJoueur* CAROL = BAREPLAYER("carol");
  STACK(HERO(BOB, "b1", "def:1"), P, 1, 1);
  STACK(HERO(BOB, "b2", "def:1", 0, 6, 6), P, 1, 1);
  STACK(HERO(CAROL, "c1", "def:1"), P, 2, 1);
  TROOP(BOB, P, 3);
  TROOP(CAROL, P, 1);
  TROOP(CAROL, P, 1);
  STACK(HERO(ALICE, "ami", "def:1"), P, 1, 1);
  TROOP(ALICE, P, 1);
  cChampionPosition* ALDRIC = HERO(ALICE, "aldric", "att:0", 0, 4, 5);
  STACK(ALDRIC, P, 1, 1);

  ALDRIC->RELOCATE(COORDMAP(5, 5), true);
  EXPECT_EQ(OPENINGS(ALICE), (Lines{"Attaquant : alice:5   Defendant : bob:6",
                                    "Attaquant : alice:5   Defendant : carol:12",
                                    "Attaquant : alice:5   Defendant : bob:15",
                                    "Attaquant : alice:5   Defendant : carol:10"}));
  EXPECT_EQ(OPENINGS(BOB), (Lines{"Attaquant : alice:5   Defendant : bob:6",
                                  "Attaquant : alice:5   Defendant : bob:15"}));
  // The guards are back on their square.
  EXPECT_EQ(BOB->TROUPES->GETLIST(5, 5).COUNT(), 1);
  EXPECT_EQ(CAROL->TROUPES->GETLIST(5, 5).COUNT(), 2);
  EXPECT_EQ(BOB->TROUPES->ITEM(0)->FNBTROUPES, 3);

  // A champion that dies in its first battle fights no other.
  cChampionPosition* DOOMED = HERO(ALICE, "doomed", "att:0", 101, 4, 5);
  STACK(DOOMED, P, 4, 2);
  ALICE->OUTPUT.CLEAR();
  DOOMED->RELOCATE(COORDMAP(5, 5), true);
  EXPECT_EQ(OPENINGS(ALICE), Lines{"Attaquant : alice:20   Defendant : bob:6"});
  EXPECT_EQ(LOG(ALICE).back(), "Champion doomed (alice) est mort sur le champ de bataille");
  EXPECT_EQ(ALICE->CIMETIERE->ITEM(0), DOOMED);
  EXPECT_EQ(ALICE->TROUPES->GETLIST(5, 5).COUNT(), 2) << "its troops stay on the square";

  // Seven troops guard in lines of 7 div 3 + 1 troops, line 3 the rest.
  for (int I = 0; I < 7; ++I) {
    TROOP(BOB, P, 1, 1, 2);
  }
  STACK(ALDRIC, P, 1, 1);
  BOB->OUTPUT.CLEAR();
  ALDRIC->RELOCATE(COORDMAP(1, 2), true);
  const Lines REPORT = LOG(BOB);
  ASSERT_GE(REPORT.size(), 11u);
  EXPECT_EQ(Lines(REPORT.begin() + 8, REPORT.begin() + 11),
            (Lines{"1:1 p   1 p   1 p   ", "2:1 p   1 p   1 p   ", "3:1 p   "}));

  // A guard destroyed to its last troop neither dies nor flees.
  TROOP(BOB, P, 2, 9, 9);
  TROOP(BOB, P, 1, 9, 9);
  cChampionPosition* STRONG = HERO(ALICE, "fort", "att:0", 0, 9, 8);
  STACK(STRONG, KIND("fort", "att:20-pdv:5"), 1, 1);
  ALICE->OUTPUT.CLEAR();
  STRONG->RELOCATE(COORDMAP(9, 9), true);
  EXPECT_EQ(BOB->TROUPES->GETLIST(9, 9).COUNT(), 0);
  EXPECT_EQ(COUNTOF(LOG(ALICE), "Champion"), 0);
  EXPECT_EQ(STRONG->MODELE()->EXPERIENCE, 15);
  EXPECT_EQ(STRONG->FPOSITION, COORDMAP(9, 9));
}

TEST_F(Arrivals, FlightsThatLandInBattlesStopAfterTheBound) {
  // Bob's champions everywhere, and one of alice without troops that flees
  // every battle (even one that lands it back on its own square).
  for (int32_t X = 1; X <= 10; ++X) {
    for (int32_t Y = 1; Y <= 10; ++Y) {
      HERO(BOB, "garde", "def:1", 0, X, Y);
    }
  }
  cChampionPosition* FUYARD = HERO(ALICE, "fuyard", "att:0", 50, 4, 5);
  FUYARD->RELOCATE(COORDMAP(5, 5), true);
  EXPECT_EQ(COUNTOF(LOG(ALICE), "Champion fuyard (alice) a fuit"), MAXFLIGHTCHAIN + 1);
  EXPECT_EQ(OPENINGS(ALICE).size(), static_cast<std::size_t>(MAXFLIGHTCHAIN + 1));
  // The next arrival has its own bound.
  FUYARD->RELOCATE(COORDMAP(FUYARD->FPOSITION.X == 1 ? 2 : 1, 1), true);
  EXPECT_EQ(COUNTOF(LOG(ALICE), "a fuit"), 2 * (MAXFLIGHTCHAIN + 1));
}
