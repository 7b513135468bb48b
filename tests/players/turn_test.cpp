#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/console.h"
#include "base/random.h"
#include "forces/batiment.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "protocol/interpreter.h"
#include "server/startup.h"
#include "support/fixtures.h"
#include "world/world.h"

namespace {

using tRess = std::vector<uint16_t>;  // or, bois, pierre, fer, cristal

const char* const NOTURN = "ERREUR: Pas de tour disponible";

// The shipped game with a world whose deposits the tests set, and a player
// with nothing in stock.
class Turns : public ::testing::Test {
 protected:
  Turns() {
    INITGAME();
    WORLDMAP->CREATEWORLD();
    RANDOMGEN().SEED(7);
    J = NewPlayer("alice");
    J->WIZCAPITAL(0);
  }
  ~Turns() override { FREEGAME(); }

  cJoueur* NewPlayer(const std::string& NAME) {
    auto P = std::make_unique<cJoueur>();
    EXPECT_TRUE(P->NEWPLAYER());
    P->FNAME = NAME;
    return JEUJOUEURS->ADD(std::move(P));
  }

  // A building of the catalogue with the values given in the file's forms;
  // each turn of its construction costs GOLD.
  cBatiment* Building(const std::string& CARACTS, const std::string& TERRAIN,
                      const std::string& JOUEUR, const std::string& PROD, uint16_t GOLD = 0,
                      cCreature* RECRUIT = nullptr) {
    auto B = std::make_unique<cBatiment>();
    B->FUID = JEUBATIMENTS->FINDAVAILUID();
    B->FNAME = "test" + std::to_string(B->FUID);
    B->PRELOADING(false);
    B->FNBTOURSNEC = 1;
    B->FCARACTS.FROMSTRING(CARACTS);
    B->RESSSURTERRAIN.FROMSTRING(TERRAIN);
    B->RESSSURJOUEUR.FROMSTRING(JOUEUR);
    B->RESSPRODUITES.FROMSTRING(PROD);
    B->FRESSPARTOUR.CTRLRESSTOUR[0] = tAssocRessTour{GOLD, 0, 1};
    B->FRECRUIT = RECRUIT;
    return JEUBATIMENTS->ADD(std::move(B));
  }

  void Stand(cBatiment* B, int32_t X, int32_t Y) { J->VILLES->WIZARDBATIMENT(B, COORDMAP(X, Y)); }

  static tRess& Ground(int32_t X, int32_t Y) { return WORLDMAP->GETSQUARE(X, Y)->RESSDISPO; }

  static void EveryGround(const tRess& D) {
    for (int32_t X = 1; X <= 10; ++X) {
      for (int32_t Y = 1; Y <= 10; ++Y) {
        Ground(X, Y) = D;
      }
    }
  }

  testsupport::cShippedGameDir GAME;
  cConsoleCapture CONSOLELOG;
  cJoueur* J = nullptr;
};

}  // namespace

TEST_F(Turns, RecruitmentsThenConstructionsPayBeforeTheBuildingsProduce) {
  const tcoordMap HOME = J->CHAMPIONS->ITEM(0)->FPOSITION;
  auto C = std::make_unique<cCreature>();
  C->FUID = JEUCREATURES->FINDAVAILUID();
  C->FNAME = "recrue";
  C->FNBTOURSNEC = 1;
  C->FNBUNITS = 1;
  C->FRESSPARTOUR.CTRLRESSTOUR[0] = tAssocRessTour{40, 0, 1};
  cCreature* RECRUE = JEUCREATURES->ADD(std::move(C));
  cBatiment* HALL = Building("none", "0/0/0/0/0", "40/0/0/0/0", "0/0/0/0/0", 0, RECRUE);
  cBatiment* SHOP = Building("none", "0/0/0/0/0", "7/0/0/0/0", "0/0/0/0/0", 40);
  Stand(HALL, HOME.X, HOME.Y);
  ASSERT_EQ(J->RECRUTEMENTS->BUILDNEWCREATURE(1, RECRUE, HOME), sBuildOK);
  ASSERT_EQ(J->CONSTRUCTIONS->BUILDNEWBATIMENT(SHOP, HOME), sBuildOK);
  J->SETGOLD(40);

  // The 40 in stock go to the recruitment; the construction waits; the hall
  // then pays 40.
  J->PASSTURN();
  EXPECT_EQ(J->TROUPES->COUNT(), 1);
  EXPECT_EQ(J->CONSTRUCTIONS->COUNT(), 1);
  EXPECT_EQ(J->GETGOLD(), 40);
  // The shop, paid and finished, pays its 7 in the turn it stands.
  J->PASSTURN();
  EXPECT_EQ(J->CONSTRUCTIONS->COUNT(), 0);
  EXPECT_EQ(J->GETGOLD(), 47);
}

TEST_F(Turns, ExploitBuildingsOfASquarePoolTheirAmountsOverTheLargestRange) {
  Stand(Building("exploit:2", "0/1/0/0/0", "0/0/0/0/0", "0/3/0/0/0"), 5, 5);
  Stand(Building("exploit:1", "0/2/0/0/0", "0/0/0/0/0", "0/1/0/0/0"), 5, 5);
  EveryGround({10, 10, 10, 10, 10});
  J->EXPLOITRESSOURCES();
  EXPECT_EQ(J->CAPITAL.RESSOURCE, (tRess{0, 25 * 4, 0, 0, 0}));
  for (int32_t X = 1; X <= 10; ++X) {
    for (int32_t Y = 1; Y <= 10; ++Y) {
      const bool INRANGE = X >= 3 && X <= 7 && Y >= 3 && Y <= 7;
      EXPECT_EQ(Ground(X, Y)[1], INRANGE ? 7 : 10) << X << "," << Y;
    }
  }
}

TEST_F(Turns, ASquareHoldingLessThanTheTakingGivesNothingOfItAndKeepsIt) {
  // Takes 5 bois for 2, and nothing of pierre for 1.
  cBatiment* B = Building("exploit:0", "0/5/0/0/0", "0/0/0/0/0", "0/2/1/0/0");
  struct tCase {
    uint16_t HELD, GIVEN, LEFT;
  };
  for (const tCase& T : {tCase{3, 0, 3}, tCase{5, 2, 0}, tCase{6, 2, 1}, tCase{0, 0, 0}}) {
    J->VILLES->CLEAR();
    J->WIZCAPITAL(0);
    Stand(B, 4, 6);
    Ground(4, 6) = {0, T.HELD, 0, 0, 0};
    J->EXPLOITRESSOURCES();
    EXPECT_EQ(J->CAPITAL.RESSOURCE, (tRess{0, T.GIVEN, 1, 0, 0})) << T.HELD;
    EXPECT_EQ(Ground(4, 6), (tRess{0, T.LEFT, 0, 0, 0})) << T.HELD;
  }
}

TEST_F(Turns, BuildingsOnTwoSquaresEachExploitTheirOwnAndTheTownsStayInSquareOrder) {
  cBatimentPosition* FAR = J->VILLES->WIZARDBATIMENT(
      Building("exploit:0", "0/0/0/0/1", "0/0/0/0/0", "0/0/0/0/5"), COORDMAP(7, 7));
  J->VILLES->WIZARDBATIMENT(Building("exploit:0", "0/0/0/2/0", "0/0/0/0/0", "0/0/0/3/0"),
                            COORDMAP(2, 2));
  // A search leaves the towns in identifier order: (7,7) first.
  ASSERT_EQ(J->VILLES->FIND(FAR->FUID), FAR);
  ASSERT_EQ(J->VILLES->ITEM(0), FAR);
  EveryGround({4, 4, 4, 4, 4});
  J->EXPLOITRESSOURCES();
  EXPECT_EQ(J->CAPITAL.RESSOURCE, (tRess{0, 0, 0, 3, 5}));
  EXPECT_EQ(Ground(2, 2), (tRess{4, 4, 4, 2, 4}));
  EXPECT_EQ(Ground(7, 7), (tRess{4, 4, 4, 4, 3}));
  EXPECT_EQ(J->VILLES->ITEM(1), FAR);
}

TEST_F(Turns, OtherBuildingsPayThePlayerDirectlyAndTakeNothingFromTheGround) {
  Stand(Building("exploit:0", "0/2/0/0/0", "0/0/0/0/0", "0/1/0/0/0"), 3, 8);
  Stand(Building("none", "5/5/5/5/5", "10/0/0/0/0", "0/0/3/0/0"), 3, 8);
  EveryGround({9, 9, 9, 9, 9});
  J->EXPLOITRESSOURCES();
  EXPECT_EQ(J->CAPITAL.RESSOURCE, (tRess{10, 1, 3, 0, 0}));
  EXPECT_EQ(Ground(3, 8), (tRess{9, 7, 9, 9, 9}));
}

TEST_F(Turns, ProductionStopsTheStockAt65535) {
  Stand(Building("none", "0/0/0/0/0", "10/0/0/0/0", "0/0/0/0/0"), 5, 5);
  Stand(Building("exploit:1", "0/0/0/0/0", "0/0/0/0/0", "0/1/0/0/0"), 5, 5);
  Stand(Building("exploit:0", "0/0/0/0/0", "0/0/0/0/0", "0/0/40000/0/0"), 8, 8);
  Stand(Building("exploit:0", "0/0/0/0/0", "0/0/0/0/0", "0/0/40000/0/0"), 8, 8);
  J->WIZCAPITAL(65530);
  J->CAPITAL.RESSOURCE[2] = 0;
  J->EXPLOITRESSOURCES();
  EXPECT_EQ(J->CAPITAL.RESSOURCE, (tRess{65535, 65535, 65535, 65530, 65530}));
}

TEST_F(Turns, TurnPassesTheTurnsLeftAndRefusesOnceWhenThereAreNoMore) {
  cSession S;
  S.FJOUEUR = J;
  struct tCase {
    const char* COMMAND;
    int32_t TURNLINES;  // turn lines this command writes
    bool REFUSED;       // then one refusal line
  };
  for (const tCase& T :
       {tCase{"TURN 0", 0, false}, tCase{"turn -3", 0, false}, tCase{"TURN 2", 2, false},
        tCase{"TURN 197", 197, false}, tCase{"TURN 1", 1, false}, tCase{"TURN 1", 0, true},
        tCase{"TURN 5", 0, true}, tCase{"TURN 2000000000", 0, true}}) {
    const int32_t DONE = J->NBTURNS;
    const int32_t BEFORE = J->OUTPUT.READCOUNT();
    S.CLEAROUTPUT();
    S.FCOMMAND = T.COMMAND;
    INTERPRETER(S);
    EXPECT_EQ(J->NBTURNS, DONE + T.TURNLINES) << T.COMMAND;
    EXPECT_EQ(J->AVAILTURNS, 200 - J->NBTURNS) << T.COMMAND;
    std::vector<std::string> ADDED(J->OUTPUT.LINES().begin() + BEFORE, J->OUTPUT.LINES().end());
    std::vector<std::string> EXPECTED;
    for (int32_t I = 1; I <= T.TURNLINES; ++I) {
      EXPECTED.push_back("Turn: " + std::to_string(DONE + I) + "  / avail " +
                         std::to_string(200 - DONE - I));
    }
    if (T.REFUSED) {
      EXPECTED.emplace_back(NOTURN);
    }
    ASSERT_EQ(ADDED, EXPECTED) << T.COMMAND;
    // The reply repeats every message the player has had.
    std::string REPLY = "TURN PASSED\r\n";
    for (const auto& L : J->OUTPUT.LINES()) {
      REPLY += L + "\r\n";
    }
    EXPECT_EQ(S.OUTPUT(), REPLY + "END RETURN\r\n") << T.COMMAND;
  }
  // A player that keeps asking once its turns are spent: the log keeps its
  // newest lines, and every reply stays that size.
  for (int32_t I = 0; I < MAXLOGLINES + 10; ++I) {
    S.CLEAROUTPUT();
    S.FCOMMAND = "TURN 1";
    INTERPRETER(S);
  }
  EXPECT_EQ(J->OUTPUT.READCOUNT(), MAXLOGLINES);
  EXPECT_EQ(J->OUTPUT.LINES().front(), NOTURN) << "the turn lines were the oldest";
  EXPECT_EQ(S.OUTPUT().size(), std::string("TURN PASSED\r\nEND RETURN\r\n").size() +
                                   MAXLOGLINES * (std::string(NOTURN).size() + 2));
  // Beyond the turns of a new player: all of them, then one refusal.
  cJoueur* BOB = NewPlayer("bob");
  const int32_t BEFORE = BOB->OUTPUT.READCOUNT();
  cBuffer OUT;
  PASSPLAYERTURNS(*BOB, 201, OUT);
  EXPECT_EQ(BOB->OUTPUT.READCOUNT() - BEFORE, 201);
  EXPECT_EQ(BOB->OUTPUT.LINES().end()[-2], "Turn: 200  / avail 0");
  EXPECT_EQ(BOB->OUTPUT.LINES().back(), NOTURN);
}
