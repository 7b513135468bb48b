#include "forces/championpos.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <limits>
#include <set>
#include <utility>

#include "base/console.h"
#include "base/random.h"
#include "forces/rules_fixtures.h"
#include "players/joueur.h"
#include "world/grid.h"
#include "world/terrain.h"
#include "world/world.h"

using testsupport::cScopedGlobal;

namespace {

// Aldric (0): att 4, def 2, depl 3, scout 2. Borin (1): no "depl".
const std::string HEROS =
    "#0\r\naldric\r\nrace:humains\r\nclass:guerrier\r\ncaracts:att:4-def:2-depl:3-scout:2\r\n"
    "ressNec:100/0/0\r\nressMaintient:2/0/0\r\nressProduite:0/0/0\r\n"
    "#1\r\nborin\r\nrace:orques\r\nclass:mage\r\ncaracts:att:1\r\n"
    "ressNec:0/0/0\r\nressMaintient:0/0/0\r\nressProduite:0/0/0\r\n";

// A world of terrain 0 (costs 2 to leave; terrain 1 is free), a soldier, the
// two champions, a player, and battles that are counted and run HOOK.
class ChampionsInPlay : public ::testing::Test {
 protected:
  cConsoleCapture QUIET;
  rulesfixtures::cForcesRules RULES;
  cCreature* SOLDAT = RULES.CREATURE(0, "soldat", 1, 1, "att:2-def:1-vit:1-pdv:3");
  cScopedGlobal<cListeTerrains> TERRAINS{
      JEUTERRAINS, RULES.FILE<cListeTerrains>("t",
                                              "#0:a\nmove:2\ncar:.\nor:\nbois:\npierre:\n"
                                              "#1:b\nmove:0\ncar:~\nor:\nbois:\npierre:\n")};
  cScopedGlobal<cSquaresCache> CACHE{CACHEWORLD, nullptr};
  cScopedGlobal<cSquaresFile> WORLD{WORLDMAP, nullptr};
  cScopedGlobal<cListeChampions> HEROES{
      JEUCHAMPIONS, std::make_unique<cListeChampions>(RULES.DIR.WRITE("heros.zrk", HEROS), "")};
  cJoueur J{1, "alice"};
  static inline int32_t BATTLES = 0;
  static inline std::function<void(cChampionPosition&)> HOOK;

  void SetUp() override {
    // 101 records of terrain 0 and no resources.
    OPENWORLD(RULES.DIR.WRITE("world.wld", std::string(101 * 7, '\0')));
    ASSERT_TRUE(TERRAINS->LOADTERRAINS() && HEROES->LOADCHAMPIONS());
    BATTLES = 0;
    HOOK = [](cChampionPosition&) {};
    BATTLELINKS.TESTWAR = [](cChampionPosition& C) {
      ++BATTLES;
      HOOK(C);
    };
  }
  ~ChampionsInPlay() override { BATTLELINKS.TESTWAR = nullptr; }

  // Squares FROM to TO (indices) of terrain TERRAIN.
  static void PAINT(int32_t FROM, int32_t TO, int8_t TERRAIN) {
    for (int32_t I = FROM; I <= TO; ++I) {
      WORLDMAP->GETSQUARE(I)->TYPETERRAIN = TERRAIN;
    }
  }
  static cChampion* HERO(int32_t UID) { return JEUCHAMPIONS->FIND(UID); }
  std::unique_ptr<cCreaturePosition> TROOP(int32_t NB) const {
    auto T = std::make_unique<cCreaturePosition>(SOLDAT);
    T->FNBTROUPES = NB;
    return T;
  }
  // A champion of nobody standing on (X, Y), held by the test.
  static std::unique_ptr<cChampionPosition> PLACED(int32_t UID, int32_t X, int32_t Y) {
    auto C = std::make_unique<cChampionPosition>(HERO(UID));
    C->SETPOSITION(COORDMAP(X, Y));
    return C;
  }
  // A champion of J put on (X, Y) without battle, held by J's list.
  cChampionPosition* OWNED(int32_t UID, int32_t X, int32_t Y) {
    HERO(UID)->FJOUEUR = &J;
    auto C = std::make_unique<cChampionPosition>(HERO(UID));
    return cChampionPosition::TOMAP(C, COORDMAP(X, Y), false);
  }
};

}  // namespace

TEST_F(ChampionsInPlay, LeftoverPointsAreCreditedFreeSquaresCrossedAtOnceAndBadTargetsRefused) {
  // "depl" 3, leaving each square costs 2: the point left pays half the next exit.
  auto C = PLACED(0, 1, 1);
  ASSERT_TRUE(C->MOVETO(COORDMAP(5, 1)));
  for (const auto& [RESULT, X] : {std::pair{stMoving, 2}, {stMoving, 4}, {stArrived, 5}}) {
    EXPECT_EQ(C->MOVE(), RESULT);
    EXPECT_EQ(C->FPOSITION, COORDMAP(X, 1));
  }
  EXPECT_EQ(C->ENDMOVE, COORDMAP(-1, -1));
  PAINT(21, 29, 1);
  auto FAST = PLACED(0, 1, 3);
  ASSERT_TRUE(FAST->MOVETO(COORDMAP(10, 3)));
  EXPECT_EQ(FAST->MOVE(), stArrived);

  // A refused target leaves no path and the old target.
  ASSERT_TRUE(C->MOVETO(COORDMAP(5, 8)));
  for (tcoordMap BAD : {COORDMAP(11, 5), COORDMAP(0, 3), COORDMAP(-1, -1), COORDMAP(5, 11)}) {
    EXPECT_FALSE(C->MOVETO(BAD));
    EXPECT_TRUE(C->MOVEMENTS.empty() && C->ENDMOVE == COORDMAP(5, 8));
  }
  EXPECT_EQ(C->MOVE(), stNotMoving);
  // No "depl", or no square to walk from.
  EXPECT_FALSE(PLACED(1, 5, 5)->MOVETO(COORDMAP(6, 6)));
  EXPECT_FALSE(cChampionPosition(HERO(0)).MOVETO(COORDMAP(2, 2)));
  // Squares the world or the terrain catalogue lacks cost nothing rather than fail.
  PAINT(23, 23, 9);
  EXPECT_EQ(MOVECOSTAT(COORDMAP(3, 3)), 0);
  EXPECT_EQ(MOVECOSTAT(COORDMAP(0, 3)), 0);
}

TEST_F(ChampionsInPlay, SavedChampionKeepsItsWayAndArmyButPaysTheFullExit) {
  auto C = PLACED(0, 1, 1);
  C->ARMEES.APPEND(TROOP(10), 1);
  C->ARMEES.APPEND(TROOP(std::numeric_limits<int32_t>::max()), 3);
  EXPECT_EQ(C->GETPUISSANCE(), std::numeric_limits<int32_t>::max()) << "held, not wrapped";
  ASSERT_TRUE(C->MOVETO(COORDMAP(5, 1)));
  ASSERT_EQ(C->MOVE(), stMoving);
  cBuffer B;
  C->TOBUFFER(B);
  B.REWIND();
  const std::unique_ptr<cMobile> M = cListeChampionsPosition().INPUTMOBILE(B);
  auto& BACK = static_cast<cChampionPosition&>(*M);
  EXPECT_TRUE(B.ISEOF());
  EXPECT_EQ(BACK.ARMEES.GETCOUNT(), 2);
  EXPECT_EQ(BACK.MOVE(), stMoving);
  EXPECT_EQ(BACK.FPOSITION, COORDMAP(3, 1)) << "the full exit cost of (2,1) is due again";
}

TEST_F(ChampionsInPlay, ATurnMovesEachChampionOnceAndNotTheOnesTakenOutOrKilled) {
  cListeChampionsPosition L;
  cChampionPosition* A = L.ADD(PLACED(0, 1, 1));
  cChampionPosition* B = L.ADD(PLACED(0, 1, 5));
  ASSERT_TRUE(A->MOVETO(COORDMAP(1, 4)));
  ASSERT_TRUE(B->MOVETO(COORDMAP(1, 8)));
  // A's arrival starts a battle that takes B out of play.
  std::unique_ptr<cChampionPosition> TAKEN;
  HOOK = [&](cChampionPosition&) { TAKEN = L.EXTRACT(B); };
  L.PASSTURN();
  EXPECT_EQ(BATTLES, 1);
  EXPECT_EQ(A->FPOSITION, COORDMAP(1, 2));
  ASSERT_EQ(TAKEN.get(), B);
  EXPECT_EQ(B->FPOSITION, COORDMAP(1, 5));

  // Killed in the battle of its first step: it walks no further.
  PAINT(91, 99, 1);
  cChampionPosition* C = OWNED(0, 1, 10);
  ASSERT_TRUE(C->MOVETO(COORDMAP(6, 10)));
  HOOK = [&](cChampionPosition& DYING) { J.CIMETIERE->ADD(DYING.FROMMAP()); };
  EXPECT_EQ(C->MOVE(), stNotMoving);
  EXPECT_EQ(BATTLES, 2);
  EXPECT_EQ(C->FPOSITION, COORDMAP(2, 10));
}

TEST_F(ChampionsInPlay, ChampionAndTroopsChangeHandsWithoutBeingLostAndOnlyScoutReveals) {
  cChampionPosition* C = OWNED(0, 5, 5);
  EXPECT_TRUE(J.CARTE.INMAT(3, 3) && J.CARTE.INMAT(7, 7) && !J.CARTE.INMAT(8, 5));
  J.CARTE.CLEAR();
  C->RUNCARACTS("depl");
  EXPECT_TRUE(J.CARTE.MAP.empty());
  C->ARMEES.APPEND(TROOP(7), 3);
  C->ARMEES.APPEND(TROOP(10), 1);
  C->DROPTROUPES();
  ASSERT_TRUE(C->ARMEES.GETCOUNT() == 0 && J.TROUPES->COUNT() == 2);
  EXPECT_EQ(J.TROUPES->ITEM(0)->FNBTROUPES, 10) << "line 1 first";
  EXPECT_EQ(J.TROUPES->ITEM(1)->FPOSITION, COORDMAP(5, 5));

  cJoueur BOB(2, "bob");
  EXPECT_EQ(C->ASSIGNPLAYER(&BOB), nullptr);
  EXPECT_TRUE(J.CHAMPIONS->COUNT() == 0 && BOB.CHAMPIONS->COUNT() == 1);
  EXPECT_TRUE(BOB.CARTE.INMAT(4, 4));
  EXPECT_EQ(BATTLES, 0);
  std::unique_ptr<cChampionPosition> BACK = C->ASSIGNPLAYER(nullptr);
  EXPECT_EQ(BACK.get(), C) << "given to nobody: handed back";
  BACK->ARMEES.APPEND(TROOP(5), 2);
  BACK->DROPTROUPES();
  EXPECT_EQ(BACK->ARMEES.GETCOUNT(), 1) << "nobody to drop them to";
}

TEST_F(ChampionsInPlay, FleeingStaysWithinTwoSquaresOnTheMapButNeverTwoTwo) {
  RANDOMGEN().SEED(7);
  std::set<std::pair<int32_t, int32_t>> SEEN;
  auto C = PLACED(0, 5, 5);
  for (int32_t I = 0; I < 600; ++I) {
    const int32_t FROM = I % 3 == 0 ? 10 : 5;
    C->SETPOSITION(COORDMAP(FROM, FROM));
    C->FLEE();
    const std::pair D{C->FPOSITION.X - FROM, C->FPOSITION.Y - FROM};
    EXPECT_TRUE(INMAP(C->FPOSITION) && std::abs(D.first) <= 2 && std::abs(D.second) <= 2);
    SEEN.insert(D);
  }
  EXPECT_EQ(SEEN.size(), 24u) << "every move of -2..2 but (2,2)";
  EXPECT_EQ(SEEN.count({2, 2}), 0u);
  C->SETPOSITION(COORDMAP(-1, -1));
  C->FLEE();
  EXPECT_EQ(C->FPOSITION, COORDMAP(-1, -1));
}
