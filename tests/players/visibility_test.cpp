#include <gtest/gtest.h>

#include "support/game_in_play.h"

namespace {

using tLines = std::vector<std::string>;

const char* const SIGHT = "depl:3-scout:1";  // a champion sees one square around it

// The shipped game on a world of meadows (terrain 0, sign '.') except square 10
// (forest, 'f'), 11 (hills, 'n') and 50 ('f'), 51 ('n'); players alice, carol
// and bob, in that list order, who know nothing yet.
class Visibility : public testsupport::cGameInPlay {
 protected:
  Visibility() {
    for (int32_t I = 1; I <= 100; ++I) {
      WORLDMAP->GETSQUARE(I)->TYPETERRAIN = 0;
      WORLDMAP->GETSQUARE(I)->RESSDISPO = {1, 2, 3, 4, 5};
    }
    for (const auto& [I, T] : {std::pair{10, 1}, {11, 2}, {50, 1}, {51, 2}}) {
      WORLDMAP->GETSQUARE(I)->TYPETERRAIN = static_cast<int8_t>(T);
    }
    for (const char* NAME : {"alice", "carol", "bob"}) {
      PLAYERS.push_back(BAREPLAYER(NAME));
    }
  }

  template <class REPORT>
  static tLines Report(REPORT&& WRITE) {
    cBuffer B;
    WRITE(B);
    return B.LINES();
  }

  std::vector<cJoueur*> PLAYERS;
};

}  // namespace

TEST_F(Visibility, MappedSquaresComeRunByRunInRowsOfFiftySigns) {
  cJoueur& A = *PLAYERS[0];
  const std::vector<std::pair<std::vector<tMAT>, tLines>> CASES{
      {{}, {}},
      // Not cut at the edge of the map (square 10 ends the first row of the map).
      {{{1, 60}},
       {"1", "(*", ".........fn" + std::string(38, '.') + "f", "n" + std::string(9, '.'), "*)"}},
      {{{9, 11}, {50, 50}}, {"9", "(*", ".fn", "*)", "50", "(*", "f", "*)"}},
      // Touching runs stay two runs; a run reaching past the map stops at 100.
      {{{98, 99}, {100, 250}}, {"98", "(*", "..", "*)", "100", "(*", ".", "*)"}},
      {{{101, 2000000000}}, {}},
  };
  for (const auto& [RUNS, EXPECTED] : CASES) {
    A.CARTE.MAP = RUNS;
    EXPECT_EQ(Report([&A](cBuffer& B) { A.MAPPEDSQUARESTOBUFFER(B); }), EXPECTED)
        << (RUNS.empty() ? -1 : RUNS.front().START);
  }
}

TEST_F(Visibility, AKnownSquareIsWrittenOnRequestAndNoOtherIs) {
  cJoueur& A = *PLAYERS[0];
  EXPECT_EQ(Report([&A](cBuffer& B) { A.SQUARESTOBUFFER(B); }), tLines{});
  A.CARTE.MAP = {{10, 11}, {100, 130}};
  const tLines UNKNOWN{"ERROR: PLAYER DON'T KNOWN THIS SQUARE"};
  const std::vector<std::pair<tcoordMap, tLines>> CASES{
      {COORDMAP(10, 1), {"#10 (10,1)", "terrain:1", "ressource:1/2/3/4/5"}},
      {COORDMAP(1, 2), {"#11 (1,2)", "terrain:2", "ressource:1/2/3/4/5"}},
      {COORDMAP(10, 10), {"#100 (10,10)", "terrain:0", "ressource:1/2/3/4/5"}},
      // 0,2 and 11,0 would have the indices of known squares if they were on the map.
      {COORDMAP(0, 2), UNKNOWN},
      {COORDMAP(11, 0), UNKNOWN},
      {COORDMAP(-1, -1), UNKNOWN},
  };
  for (const auto& [AT, EXPECTED] : CASES) {
    EXPECT_EQ(Report([&A, AT](cBuffer& B) { A.SQUARETOBUFFER(B, AT); }), EXPECTED)
        << COORDTOSTRING(AT);
  }
}

TEST_F(Visibility, PiecesOnKnownSquaresAreListedPlayerByPlayer) {
  cJoueur& A = *PLAYERS[0];
  cJoueur& C = *PLAYERS[1];
  cJoueur& B = *PLAYERS[2];
  cBatiment* BOURG = JEUBATIMENTS->SEARCHBATIMENT("bourg");
  cCreature* MILICIEN = JEUCREATURES->SEARCHCREATURE("milicien");

  // Nothing known: no line, whatever stands where.
  cChampionPosition* SCOUT = HERO(&A, "eclaireur", SIGHT, 0, 2, 2);
  A.CARTE.CLEAR();
  for (const sTypeMobile K : {sNone, sCreature, sChampion, sVille}) {
    EXPECT_EQ(Report([&](cBuffer& OUT) { JEUJOUEURS->VISIBLEMOBILES(K, OUT, A); }), tLines{});
  }

  // Alice knows rows 1 to 3; her champion then leaves them for 9,9, from where
  // it sees 8,8 to 10,10 too.
  A.CARTE.MAP = {{1, 30}};
  HERO(&C, "corbeau", SIGHT, 0, 5, 3);
  HERO(&B, "brute", SIGHT, 0, 4, 1);
  HERO(&B, "lointain", SIGHT, 0, 5, 8);
  C.TROUPES->WIZARD(MILICIEN, 5, JEUCREATURES.get(), COORDMAP(1, 3));
  B.TROUPES->WIZARD(MILICIEN, 7, JEUCREATURES.get(), COORDMAP(3, 3));
  B.TROUPES->WIZARD(MILICIEN, 9, JEUCREATURES.get(), COORDMAP(3, 4));
  // A troop taken into an army stands off the map.
  cCreaturePosition* ARMY = B.TROUPES->WIZARD(MILICIEN, 2, JEUCREATURES.get(), COORDMAP(4, 1));
  cChampionPosition& BRUTE = *B.CHAMPIONS->ITEM(0);
  B.GETCREATURE(ARMY->FUID, BRUTE, 1);
  A.VILLES->WIZARDBATIMENT(BOURG, COORDMAP(2, 2));
  B.VILLES->WIZARDBATIMENT(BOURG, COORDMAP(10, 3));
  B.VILLES->WIZARDBATIMENT(BOURG, COORDMAP(1, 4));
  SCOUT->RELOCATE(COORDMAP(9, 9), false);

  const std::vector<std::pair<std::pair<sTypeMobile, bool>, tLines>> CASES{
      {{sChampion, false},
       {"Champion eclaireur (alice) visible a 9,9", "Champion corbeau (carol) visible a 5,3",
        "Champion brute (bob) visible a 4,1"}},
      {{sChampion, true},
       {"Champion corbeau (carol) visible a 5,3", "Champion brute (bob) visible a 4,1"}},
      // No champion of alice's is near 3,3 any more: the square is known all the same.
      {{sCreature, true},
       {"Creature milicien (carol) visible a 1,3", "Creature milicien (bob) visible a 3,3"}},
      {{sVille, false},
       {"Batiment bourg (alice) visible a 2,2", "Batiment bourg (bob) visible a 10,3"}},
  };
  for (const auto& [WHAT, EXPECTED] : CASES) {
    cBuffer OUT;
    JEUJOUEURS->VISIBLEMOBILES(WHAT.first, OUT, A, WHAT.second);
    EXPECT_EQ(OUT.LINES(), EXPECTED) << WHAT.first << " " << WHAT.second;
  }
}
