#include "forces/championpos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <limits>
#include <set>
#include <utility>

#include "base/console.h"
#include "base/errors.h"
#include "base/random.h"
#include "forces/creature.h"
#include "forces/rules_fixtures.h"
#include "forces/troupe.h"
#include "players/joueur.h"
#include "world/terrain.h"
#include "world/world.h"

using rulesfixtures::cBaseRules;
using testsupport::cScopedGlobal;

namespace {

// Terrain 0 costs 2 to leave, terrain 1 costs nothing, terrain 2 costs 1.
std::unique_ptr<cListeTerrains> TERRAINS() {
  auto L = std::make_unique<cListeTerrains>("");
  const uint8_t COSTS[] = {2, 0, 1};
  for (int32_t I = 0; I < 3; ++I) {
    auto T = std::make_unique<cTerrain>();
    T->FUID = I;
    T->FNEEDMOVE = COSTS[I];
    L->ADD(std::move(T));
  }
  return L;
}

// Aldric (0): att 4, def 2, depl 3, scout 2. Borin (1): no movement at all.
const std::string HEROS =
    "#0\r\naldric\r\nrace:humains\r\nclass:guerrier\r\ncaracts:att:4-def:2-depl:3-scout:2\r\n"
    "ressNec:100/0/0\r\nressMaintient:2/0/0\r\nressProduite:0/0/0\r\n"
    "#1\r\nborin\r\nrace:orques\r\nclass:mage\r\ncaracts:att:1\r\n"
    "ressNec:0/0/0\r\nressMaintient:0/0/0\r\nressProduite:0/0/0\r\n";

// The rules, a world of terrain 0 everywhere, a soldier creature (att 2, def 1,
// vit 1, pdv 3) and the two champions.
class ChampionsInPlay : public ::testing::Test {
 protected:
  cConsoleCapture QUIET;
  cBaseRules RULES;
  cScopedGlobal<cListeTerrains> TERRAINLIST{JEUTERRAINS, TERRAINS()};
  cScopedGlobal<cSquaresCache> CACHE{CACHEWORLD, nullptr};
  cScopedGlobal<cSquaresFile> WORLD{WORLDMAP, nullptr};
  cScopedGlobal<cListeCreatures> CREATURES{JEUCREATURES, std::make_unique<cListeCreatures>("")};
  cScopedGlobal<cListeChampions> HEROES{
      JEUCHAMPIONS, std::make_unique<cListeChampions>(RULES.DIR.WRITE("heros.zrk", HEROS), "")};

  void SetUp() override {
    OPENWORLD((RULES.DIR.PATH() / "world.wld").string());
    WORLDMAP->CREATEWORLD();
    for (int32_t I = 1; I <= TXMAP * TYMAP; ++I) {
      cSquareMemory* S = WORLDMAP->GETSQUARE(I);
      S->TYPETERRAIN = 0;
      WORLDMAP->SETSQUARE(*S);
    }
    CACHEWORLD->CLEAR();
    ASSERT_TRUE(HEROES->LOADCHAMPIONS());
    auto SOLDAT = std::make_unique<cCreature>();
    SOLDAT->FUID = 0;
    SOLDAT->FNAME = "soldat";
    SOLDAT->FCARACTS.FROMSTRING("att:2-def:1-vit:1-pdv:3");
    CREATURES->ADD(std::move(SOLDAT));
  }

  static void PAINT(int32_t X, int32_t Y, int8_t TERRAIN) {
    cSquareMemory* S = WORLDMAP->GETSQUARE(X, Y);
    S->TYPETERRAIN = TERRAIN;
    WORLDMAP->SETSQUARE(*S);
    CACHEWORLD->CLEAR();
  }
  static cChampion* HERO(int32_t UID) { return static_cast<cChampion*>(JEUCHAMPIONS->SEARCH(UID)); }
  static std::unique_ptr<cCreaturePosition> TROOP(int32_t NB) {
    auto T = std::make_unique<cCreaturePosition>(static_cast<cCreature*>(JEUCREATURES->GET(0)));
    T->FUID = NB;
    T->FNBTROUPES = NB;
    return T;
  }
  // A champion of HERO(UID) standing on (X, Y), held by the test.
  static std::unique_ptr<cChampionPosition> PLACED(int32_t UID, int32_t X, int32_t Y) {
    auto C = std::make_unique<cChampionPosition>(HERO(UID));
    C->SETPOSITION(COORDMAP(X, Y));
    return C;
  }
  static std::string RECORD(cChampionPosition& C) {
    cBuffer B;
    C.TOBUFFER(B);
    std::string S;
    for (const auto& L : B.LINES()) {
      S += L + "\n";
    }
    return S;
  }
};

}  // namespace

TEST_F(ChampionsInPlay, CreationTakesTheCatalogueChampion) {
  cChampionPosition C(HERO(0));
  EXPECT_EQ(C.FUID, 0);
  EXPECT_EQ(C.FNAME, "aldric");
  EXPECT_EQ(HERO(0)->STATE, sChampionInGame);
  EXPECT_EQ(C.FPOSITION, COORDMAP(-1, -1));
  EXPECT_EQ(C.ENDMOVE, COORDMAP(-1, -1));
  EXPECT_EQ(C.GETATTACK(), 4);

  cChampionPosition BARE;
  EXPECT_EQ(BARE.FPOSITION, COORDMAP(-1, -1));
  EXPECT_EQ(BARE.GETATTACK(), 1);
  EXPECT_EQ(BARE.GETDEFENSE(), 0);
  EXPECT_EQ(BARE.GETCARACT("att"), nullptr);
  EXPECT_EQ(BARE.GETPUISSANCE(), 0);
}

TEST_F(ChampionsInPlay, PowerCountsEveryTroopWithTheChampion) {
  cChampionPosition C(HERO(0));
  EXPECT_EQ(C.GETPUISSANCE(), 0);
  C.ARMEES.APPEND(TROOP(10), 1);
  C.ARMEES.APPEND(TROOP(10), 3);
  EXPECT_EQ(C.GETPUISSANCE(), 340);

  // Far beyond 32 bits: kept at the largest value instead of wrapping.
  C.ARMEES.APPEND(TROOP(std::numeric_limits<int32_t>::max()), 2);
  EXPECT_EQ(C.GETPUISSANCE(), std::numeric_limits<int32_t>::max());
}

TEST_F(ChampionsInPlay, LeftoverPointsAreCreditedAgainstTheNextExit) {
  auto C = PLACED(0, 1, 1);
  ASSERT_TRUE(C->MOVETO(COORDMAP(5, 1)));
  EXPECT_EQ(C->MOVEMENTS.size(), 4u);
  EXPECT_EQ(C->MVNECEXIT, 2);

  // 3 points: leaving (1,1) costs 2, the 1 left does not pay the next 2.
  EXPECT_EQ(C->MOVE(), stMoving);
  EXPECT_EQ(C->FPOSITION, COORDMAP(2, 1));
  EXPECT_EQ(C->MVNECEXIT, 1);
  // 1 to leave (2,1), 2 to leave (3,1).
  EXPECT_EQ(C->MOVE(), stMoving);
  EXPECT_EQ(C->FPOSITION, COORDMAP(4, 1));
  EXPECT_EQ(C->MVNECEXIT, 2);
  EXPECT_EQ(C->MOVE(), stArrived);
  EXPECT_EQ(C->FPOSITION, COORDMAP(5, 1));
  EXPECT_EQ(C->FINDEX, 5);
  EXPECT_EQ(C->ENDMOVE, COORDMAP(-1, -1));
  EXPECT_EQ(C->MOVE(), stNotMoving);
}

TEST_F(ChampionsInPlay, ExitCostIsThatOfTheSquareLeft) {
  for (int32_t X = 1; X <= 9; ++X) {
    PAINT(X, 1, 1);
  }
  auto C = PLACED(0, 1, 1);
  ASSERT_TRUE(C->MOVETO(COORDMAP(10, 1)));
  EXPECT_EQ(C->MOVE(), stArrived);
  EXPECT_EQ(C->FPOSITION, COORDMAP(10, 1));

  // (10,1) costs 2, (10,2) nothing, (10,3) 2, (10,4) nothing: with 3 points the
  // champion leaves (10,1) and (10,2), then lacks 1 point to leave (10,3).
  PAINT(10, 2, 1);
  PAINT(10, 4, 1);
  ASSERT_TRUE(C->MOVETO(COORDMAP(10, 5)));
  EXPECT_EQ(C->MOVE(), stMoving);
  EXPECT_EQ(C->FPOSITION, COORDMAP(10, 3));
  EXPECT_EQ(C->MVNECEXIT, 1);
}

TEST_F(ChampionsInPlay, RefusedTargetsLeaveNoPath) {
  auto C = PLACED(0, 5, 5);
  ASSERT_TRUE(C->MOVETO(COORDMAP(5, 8)));
  for (tcoordMap BAD : {COORDMAP(11, 5), COORDMAP(0, 3), COORDMAP(-1, -1), COORDMAP(5, 11)}) {
    EXPECT_FALSE(C->MOVETO(BAD));
    EXPECT_TRUE(C->MOVEMENTS.empty());
    EXPECT_EQ(C->ENDMOVE, COORDMAP(5, 8)) << "the old target stays for the next load";
  }
  EXPECT_EQ(C->MOVE(), stNotMoving);

  auto STILL = PLACED(1, 5, 5);
  EXPECT_FALSE(STILL->MOVETO(COORDMAP(6, 6)));
  EXPECT_TRUE(STILL->MOVEMENTS.empty());

  // Off the map itself: there is no square to walk from.
  auto NOWHERE = std::make_unique<cChampionPosition>(HERO(0));
  EXPECT_FALSE(NOWHERE->MOVETO(COORDMAP(2, 2)));
  EXPECT_TRUE(NOWHERE->MOVEMENTS.empty());
}

TEST_F(ChampionsInPlay, UnknownSquaresAndTerrainsCostNothing) {
  PAINT(3, 3, 9);
  cConsoleCapture LOG;
  EXPECT_EQ(MOVECOSTAT(COORDMAP(3, 3)), 0);
  EXPECT_EQ(MOVECOSTAT(COORDMAP(4, 3)), 2);
  EXPECT_EQ(MOVECOSTAT(COORDMAP(0, 3)), 0);
  EXPECT_EQ(LOG.LINES().size(), 2u);
}

TEST_F(ChampionsInPlay, RecordReadsBackByteForByte) {
  auto C = PLACED(0, 2, 3);
  C->ARMEES.APPEND(TROOP(10), 1);
  C->ARMEES.APPEND(TROOP(4), 1);
  C->ARMEES.APPEND(TROOP(7), 3);
  ASSERT_TRUE(C->MOVETO(COORDMAP(6, 3)));
  const std::string FIRST = RECORD(*C);
  EXPECT_NE(FIRST.find("\nposition:2,3\nmoveTo:6,3\n"), std::string::npos);

  cBuffer B;
  C->TOBUFFER(B);
  B.REWIND();
  cListeChampionsPosition L("champions");
  std::unique_ptr<cMobile> M = L.INPUTMOBILE(B);
  auto& BACK = static_cast<cChampionPosition&>(*M);
  EXPECT_TRUE(B.ISEOF());
  EXPECT_EQ(BACK.MODELE(), HERO(0));
  EXPECT_EQ(BACK.ARMEES.GETCOUNT(), 3);
  EXPECT_EQ(RECORD(BACK), FIRST);

  auto IDLE = PLACED(1, 4, 4);
  EXPECT_NE(RECORD(*IDLE).find("\nposition:4,4\nmoveTo:-1,-1\nendUnits\n"), std::string::npos);
}

TEST_F(ChampionsInPlay, LoadedChampionKeepsItsWayButPaysTheFullExit) {
  auto C = PLACED(0, 1, 1);
  ASSERT_TRUE(C->MOVETO(COORDMAP(5, 1)));
  ASSERT_EQ(C->MOVE(), stMoving);
  ASSERT_EQ(C->MVNECEXIT, 1);

  cBuffer B;
  C->TOBUFFER(B);
  B.REWIND();
  cListeChampionsPosition L;
  std::unique_ptr<cMobile> M = L.INPUTMOBILE(B);
  auto& BACK = static_cast<cChampionPosition&>(*M);
  EXPECT_EQ(BACK.FPOSITION, COORDMAP(2, 1));
  EXPECT_EQ(BACK.ENDMOVE, COORDMAP(5, 1));
  EXPECT_EQ(BACK.MOVEMENTS,
            (std::deque<tcoordMap>{COORDMAP(3, 1), COORDMAP(4, 1), COORDMAP(5, 1)}));
  EXPECT_EQ(BACK.MVNECEXIT, 2);
  EXPECT_EQ(BACK.MOVE(), stMoving);
  EXPECT_EQ(BACK.FPOSITION, COORDMAP(3, 1));
}

TEST_F(ChampionsInPlay, ListReadsItsChampionsAndRefusesUnknownOnes) {
  cListeChampionsPosition L("champions");
  L.ADD(PLACED(0, 7, 7));
  L.ADD(PLACED(1, 2, 2));
  EXPECT_EQ(L.GETCHAMPION(0)->FUID, 1) << "kept in square order";
  cBuffer B;
  L.TOBUFFER(B);
  cBuffer COPY = B;
  B.REWIND();
  cListeChampionsPosition BACK;
  BACK.FROMBUFFER(B);
  ASSERT_EQ(BACK.COUNT(), 2);
  cBuffer AGAIN;
  BACK.TOBUFFER(AGAIN);
  EXPECT_EQ(AGAIN.LINES(), COPY.LINES());

  cBuffer BAD;
  BAD.WRITELN("#42");
  BAD.WRITELN("nobody");
  BAD.REWIND();
  try {
    (void)BACK.INPUTMOBILE(BAD);
    FAIL() << "an unknown champion must not load";
  } catch (const cLoadError& E) {
    EXPECT_NE(std::string(E.what()).find("#42"), std::string::npos) << E.what();
  }
}

TEST_F(ChampionsInPlay, TurnMovesEachChampionOnceAndNotTheRemovedOnes) {
  cListeChampionsPosition L;
  cChampionPosition* A = L.ADD(PLACED(0, 1, 1));
  cChampionPosition* B = L.ADD(PLACED(0, 1, 5));
  ASSERT_TRUE(A->MOVETO(COORDMAP(1, 4)));
  ASSERT_TRUE(B->MOVETO(COORDMAP(1, 8)));

  // A battle where A arrives takes B out of play.
  static cListeChampionsPosition* LIST = nullptr;
  static std::unique_ptr<cChampionPosition> TAKEN;
  static cChampionPosition* VICTIM = nullptr;
  static int32_t BATTLES = 0;
  LIST = &L;
  VICTIM = B;
  BATTLES = 0;
  BATTLELINKS.TESTWAR = [](cChampionPosition& ARRIVING) {
    ++BATTLES;
    if (&ARRIVING != VICTIM && LIST->INDEXOF(VICTIM) >= 0) {
      TAKEN = LIST->EXTRACTAS<cChampionPosition>(VICTIM);
    }
  };
  L.PASSTURN();
  BATTLELINKS.TESTWAR = nullptr;

  EXPECT_EQ(BATTLES, 1);
  EXPECT_EQ(A->FPOSITION, COORDMAP(1, 2));
  ASSERT_EQ(TAKEN.get(), B);
  EXPECT_EQ(B->FPOSITION, COORDMAP(1, 5)) << "out of play: not moved";
  EXPECT_EQ(L.COUNT(), 1);
  TAKEN.reset();
}

TEST_F(ChampionsInPlay, FleeingStaysWithinTwoSquaresAndNeverTwoTwo) {
  RANDOMGEN().SEED(7);
  std::set<std::pair<int32_t, int32_t>> SEEN;
  auto C = PLACED(0, 5, 5);
  for (int32_t I = 0; I < 400; ++I) {
    C->SETPOSITION(COORDMAP(5, 5));
    C->FLEE();
    SEEN.insert({C->FPOSITION.X - 5, C->FPOSITION.Y - 5});
  }
  EXPECT_EQ(SEEN.size(), 24u) << "every displacement of -2..2 but (2,2)";
  EXPECT_EQ(SEEN.count({2, 2}), 0u);

  for (int32_t I = 0; I < 100; ++I) {
    C->SETPOSITION(COORDMAP(10, 10));
    C->FLEE();
    EXPECT_TRUE(C->FPOSITION.X >= 8 && C->FPOSITION.X <= 10 && C->FPOSITION.Y >= 8 &&
                C->FPOSITION.Y <= 10);
  }

  // Off the map there is nowhere to flee to: it stays put.
  C->SETPOSITION(COORDMAP(-1, -1));
  C->FLEE();
  EXPECT_EQ(C->FPOSITION, COORDMAP(-1, -1));
}

namespace {

int32_t KNOWNCOUNT(const cMAT& M) {
  int32_t N = 0;
  for (int32_t X = 1; X <= TXMAP; ++X) {
    for (int32_t Y = 1; Y <= TYMAP; ++Y) {
      N += M.INMAT(X, Y) ? 1 : 0;
    }
  }
  return N;
}

bool HASLINE(const cBuffer& B, const std::string& LINE) {
  return std::find(B.LINES().begin(), B.LINES().end(), LINE) != B.LINES().end();
}

// Counts the battle tests and, when SENDTO is set, buries the arriving
// champion in that list as a battle that kills it would.
struct cBattleSpy {
  static inline int32_t CALLS = 0;
  static inline cListeChampionsPosition* SENDTO = nullptr;
  cBattleSpy() {
    CALLS = 0;
    SENDTO = nullptr;
    BATTLELINKS.TESTWAR = [](cChampionPosition& C) {
      ++CALLS;
      if (SENDTO != nullptr) {
        if (auto DEAD = C.FROMMAP()) {
          SENDTO->ADD(std::move(DEAD));
        }
      }
    };
  }
  ~cBattleSpy() { BATTLELINKS.TESTWAR = nullptr; }
  cBattleSpy(const cBattleSpy&) = delete;
  cBattleSpy& operator=(const cBattleSpy&) = delete;
};

}  // namespace

TEST_F(ChampionsInPlay, OwnerHoldsItsChampionsThroughTomapAndFrommap) {
  cJoueur J(1, "alice");
  HERO(0)->FJOUEUR = &J;
  cBattleSpy SPY;
  auto HELD = std::make_unique<cChampionPosition>(HERO(0));
  cChampionPosition* C = cChampionPosition::TOMAP(HELD, COORDMAP(4, 6));
  EXPECT_EQ(HELD, nullptr) << "the owner's list took it";
  ASSERT_EQ(J.CHAMPIONS->COUNT(), 1);
  EXPECT_EQ(J.CHAMPIONS->GETCHAMPION(0), C);
  EXPECT_EQ(C->FINDEX, 54);
  EXPECT_EQ(SPY.CALLS, 1);

  std::unique_ptr<cChampionPosition> OUT = C->FROMMAP();
  EXPECT_EQ(OUT.get(), C);
  EXPECT_EQ(J.CHAMPIONS->COUNT(), 0);
  EXPECT_EQ(C->FROMMAP(), nullptr) << "no list holds it any more";
  cChampionPosition::TOMAP(OUT, COORDMAP(4, 7), false);
  EXPECT_EQ(SPY.CALLS, 1) << "no battle asked for";
  EXPECT_EQ(J.CHAMPIONS->COUNT(), 1);

  // Nobody's champion: placed and left with its holder.
  auto STRAY = std::make_unique<cChampionPosition>(HERO(1));
  cChampionPosition::TOMAP(STRAY, COORDMAP(2, 2));
  ASSERT_NE(STRAY, nullptr);
  EXPECT_EQ(STRAY->FPOSITION, COORDMAP(2, 2));
  EXPECT_EQ(STRAY->MVNECEXIT, 2);
}

TEST_F(ChampionsInPlay, ScoutingRevealsASquareAroundTheChampionWithinTheMap) {
  cJoueur J(1, "alice");
  HERO(0)->FJOUEUR = &J;
  auto HELD = std::make_unique<cChampionPosition>(HERO(0));
  cChampionPosition* C = cChampionPosition::TOMAP(HELD, COORDMAP(5, 5), false);
  EXPECT_EQ(KNOWNCOUNT(J.CARTE), 25);
  EXPECT_TRUE(J.CARTE.INMAT(3, 3));
  EXPECT_TRUE(J.CARTE.INMAT(7, 7));
  EXPECT_FALSE(J.CARTE.INMAT(8, 5));
  EXPECT_FALSE(J.CARTE.INMAT(5, 2));

  J.CARTE.CLEAR();
  C->RELOCATE(COORDMAP(1, 1), false);
  EXPECT_EQ(KNOWNCOUNT(J.CARTE), 9);
  EXPECT_TRUE(J.CARTE.INMAT(3, 3));

  // Only the characteristic whose short name is "scout" reveals, whatever
  // name it is asked by.
  J.CARTE.CLEAR();
  C->RUNCARACTS("depl");
  EXPECT_EQ(KNOWNCOUNT(J.CARTE), 0);
  C->RUNCARACTS("eclaireur");
  EXPECT_EQ(KNOWNCOUNT(J.CARTE), 9);
}

TEST_F(ChampionsInPlay, OwnerReadsWhereItsChampionWentAndWhatWasRefused) {
  cJoueur J(1, "alice");
  HERO(0)->FJOUEUR = &J;
  HERO(1)->FJOUEUR = &J;
  auto HELD = std::make_unique<cChampionPosition>(HERO(0));
  cChampionPosition* C = cChampionPosition::TOMAP(HELD, COORDMAP(1, 1), false);
  auto HELD2 = std::make_unique<cChampionPosition>(HERO(1));
  cChampionPosition* STILL = cChampionPosition::TOMAP(HELD2, COORDMAP(9, 9), false);

  EXPECT_FALSE(C->MOVETO(COORDMAP(11, 1)));
  EXPECT_TRUE(HASLINE(J.OUTPUT, "ERROR: INVALID COORDS"));
  EXPECT_FALSE(STILL->MOVETO(COORDMAP(9, 8)));
  EXPECT_TRUE(HASLINE(J.OUTPUT, "ERROR: NO MOVEMENTS CARACT"));

  ASSERT_TRUE(C->MOVETO(COORDMAP(3, 3)));
  J.CHAMPIONS->PASSTURN();
  EXPECT_TRUE(HASLINE(J.OUTPUT, "Deplacement de aldric : 1,1 -> 2,2"));
  EXPECT_EQ(J.CHAMPIONS->COUNT(), 2) << "the walker stays in its owner's list";
  EXPECT_EQ(J.CHAMPIONS->GETCHAMPION(0), C) << "and the list stays in square order";
  EXPECT_EQ(STILL->FPOSITION, COORDMAP(9, 9));
}

TEST_F(ChampionsInPlay, ChampionKilledOnTheWayWalksNoFurther) {
  for (int32_t X = 1; X <= 9; ++X) {
    PAINT(X, 1, 1);
  }
  cJoueur J(1, "alice");
  HERO(0)->FJOUEUR = &J;
  auto HELD = std::make_unique<cChampionPosition>(HERO(0));
  cChampionPosition* C = cChampionPosition::TOMAP(HELD, COORDMAP(1, 1), false);
  ASSERT_TRUE(C->MOVETO(COORDMAP(6, 1)));
  cBattleSpy SPY;
  cBattleSpy::SENDTO = J.CIMETIERE.get();
  EXPECT_EQ(C->MOVE(), stNotMoving);
  EXPECT_EQ(SPY.CALLS, 1);
  EXPECT_EQ(C->FPOSITION, COORDMAP(2, 1));
  EXPECT_EQ(J.CHAMPIONS->COUNT(), 0);
  EXPECT_EQ(J.CIMETIERE->COUNT(), 1);
}

TEST_F(ChampionsInPlay, DroppedTroopsStandOnTheChampionsSquareLineByLine) {
  cJoueur J(1, "alice");
  HERO(0)->FJOUEUR = &J;
  auto C = PLACED(0, 3, 4);
  C->ARMEES.APPEND(TROOP(7), 3);
  C->ARMEES.APPEND(TROOP(10), 1);
  C->ARMEES.APPEND(TROOP(4), 1);
  C->DROPTROUPES();
  EXPECT_EQ(C->ARMEES.GETCOUNT(), 0);
  ASSERT_EQ(J.TROUPES->COUNT(), 3);
  for (int32_t I = 0; I < 3; ++I) {
    EXPECT_EQ(J.TROUPES->GETTROUPE(I)->FPOSITION, COORDMAP(3, 4));
    EXPECT_EQ(J.TROUPES->GETTROUPE(I)->FINDEX, 33);
  }
  EXPECT_EQ(J.TROUPES->GETTROUPE(0)->FNBTROUPES, 10);
  EXPECT_EQ(J.TROUPES->GETTROUPE(2)->FNBTROUPES, 7);

  // Nobody to drop them to: the army keeps them.
  HERO(0)->FJOUEUR = nullptr;
  C->ARMEES.APPEND(TROOP(5), 2);
  C->DROPTROUPES();
  EXPECT_EQ(C->ARMEES.GETCOUNT(), 1);
}

TEST_F(ChampionsInPlay, NewOwnerTakesTheChampionOnItsSquareWithoutBattle) {
  cJoueur A(1, "alice");
  cJoueur B(2, "bob");
  HERO(0)->FJOUEUR = &A;
  cBattleSpy SPY;
  auto HELD = std::make_unique<cChampionPosition>(HERO(0));
  cChampionPosition* C = cChampionPosition::TOMAP(HELD, COORDMAP(5, 5), false);
  EXPECT_EQ(C->ASSIGNPLAYER(&B), nullptr);
  EXPECT_EQ(HERO(0)->FJOUEUR, &B);
  EXPECT_EQ(A.CHAMPIONS->COUNT(), 0);
  ASSERT_EQ(B.CHAMPIONS->COUNT(), 1);
  EXPECT_EQ(B.CHAMPIONS->GETCHAMPION(0), C);
  EXPECT_EQ(C->FPOSITION, COORDMAP(5, 5));
  EXPECT_EQ(KNOWNCOUNT(B.CARTE), 25);
  EXPECT_EQ(SPY.CALLS, 0);

  // Given to nobody: handed back instead of lost.
  std::unique_ptr<cChampionPosition> BACK = C->ASSIGNPLAYER(nullptr);
  EXPECT_EQ(BACK.get(), C);
  EXPECT_EQ(B.CHAMPIONS->COUNT(), 0);
}
