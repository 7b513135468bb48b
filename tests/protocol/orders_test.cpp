#include "protocol/orders.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

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

// A client in play on the shipped game, with a new player and its champion.
class Orders : public ::testing::Test {
 protected:
  Orders() {
    INITGAME();
    WORLDMAP->CREATEWORLD();
    RANDOMGEN().SEED(2026);
    C.LOGON("demo");
    C.CHGSTATE(CON_PLAYING);
    auto J = std::make_unique<cJoueur>();
    EXPECT_TRUE(J->NEWPLAYER());
    J->FNAME = "demo";
    P = JEUJOUEURS->ADD(std::move(J));
    C.FJOUEUR = P;
    HERO = P->CHAMPIONS->ITEM(0);
    HOME = HERO->FPOSITION;
    NAME = UPPERCASE(HERO->FNAME);
  }
  ~Orders() override { FREEGAME(); }

  std::string Run(const std::string& LINE) {
    C.CLEAROUTPUT();
    C.FCOMMAND = LINE;
    INTERPRETER(C);
    return C.OUTPUT();
  }

  std::string Home() const { return COORDTOSTRING(HOME); }

  testsupport::cShippedGameDir GAME;
  cConsoleCapture CONSOLELINES;
  cSession C;
  cJoueur* P = nullptr;
  cChampionPosition* HERO = nullptr;
  tcoordMap HOME;
  std::string NAME;
};

// The lines as the client receives them.
std::string Reply(std::initializer_list<const char*> LINES) {
  std::string R;
  for (const char* L : LINES) {
    R += std::string(L) + "\r\n";
  }
  return R;
}

const std::string BUILDHELP = Reply({"RETURN BUILD HELP", "BUILD [BAT_NAME] [X,Y]", "END RETURN"});
const std::string RECRUITHELP = Reply({"RETURN RECRUIT HELP", "RECRUIT AVAIL [X,Y]",
                                       "RECRUIT [NB_TROOPS] [NAME_TROOP] [X,Y]", "END RETURN"});
const std::string ORDERHELP =
    Reply({"RETURN ORDER HELP", "ORDER [CHAMPION] MOVE [X,Y]", "ORDER [CHAMPION] GET #[NUM_TROOP]",
           "ORDER [CHAMPION] GET #[NUM_TROOP] [NUM_LINE]",
           "ORDER [CHAMPION] DROP [X_POS_TROOP_INARMY,Y_POS_TROOP_INARMY,]", "END RETURN"});
const std::string ORDERCOMMAND = Reply({"RETURN ORDER COMMAND", "END RETURN"});

}  // namespace

TEST_F(Orders, HelpsAndRefusalsAreExactBlocks) {
  const struct {
    std::string LINE;
    std::string REPLY;
  } CASES[] = {
      {"BUILD", BUILDHELP},
      {"build help", BUILDHELP},
      {"RECRUIT", RECRUITHELP},
      {"RECRUIT HELP", RECRUITHELP},
      {"ORDER", ORDERHELP},
      {"ORDER HELP", ORDERHELP},
      {"ORDER X HELP", ORDERHELP},
      {"order " + NAME + " help", ORDERHELP},
      {"ORDER " + NAME, ORDERHELP},
      {"BUILD BOURG 3 4",
       Reply({"RETURN BUILD BATIMENT", "ERREUR DE COMMANDE: BUILD [NOM] [X,Y]", "END RETURN"})},
      {"BUILD BOURG 3,4,5",
       Reply({"RETURN BUILD BATIMENT", "ERREUR DE COMMANDE: BUILD [NOM] [X,Y]", "END RETURN"})},
      {"BUILD CHATEAU 3,4",
       Reply({"RETURN BUILD BATIMENT", "NOM DE BATIMENT INVALIDE", "END RETURN"})},
      {"RECRUIT 2 DRAGON 3,4",
       Reply({"RETURN RECRUIT TROOPS", "NOM D'UNITE INVALIDE", "END RETURN"})},
      {"RECRUIT MILICIEN 3,4",
       Reply({"RETURN RECRUIT TROOPS", "ERREUR DE COMMANDE", "END RETURN"})},
      {"RECRUIT AVAIL 3 4", Reply({"RETURN RECRUIT TROOPS", "ERREUR DE COMMANDE", "END RETURN"})},
      {"ORDER NOBODY MOVE 3,4", Reply({"ERROR: CHAMPION UNKNOWN", "END RETURN"})},
      {"ORDER NOBODY GET #1", Reply({"ERROR: CHAMPION UNKNOWN", "END RETURN"})},
      {"ORDER " + NAME + " DANCE", ORDERCOMMAND},
      {"ORDER " + NAME + " MOVE 3 4", ORDERCOMMAND},
  };
  for (const auto& K : CASES) {
    EXPECT_EQ(Run(K.LINE), K.REPLY) << K.LINE;
  }
  EXPECT_EQ(P->CONSTRUCTIONS->COUNT() + P->RECRUTEMENTS->COUNT(), 0);
}

TEST_F(Orders, BuildAnswersItsLineWhetherOrNotTheConstructionStarts) {
  // The bourg needs the champion on its square; the sawmill needs a bourg there.
  const struct {
    std::string ARGS;
    std::string ECHO;
    std::vector<std::string> LOG;
  } CASES[] = {
      {"SCIERIE " + Home(),
       "SCIERIE AT " + Home(),
       {"#INFO: construction scierie impossible \xE0 " + Home()}},
      {"bourg " + Home(),
       "BOURG AT " + Home(),
       {"#INFO: d\xE9marrage construction bourg \xE0 " + Home()}},
      {"BOURG 11,1", "BOURG AT 11,1", {"#INFO: construction bourg impossible \xE0 11,1"}},
      {"BOURG +99999,-99999",
       "BOURG AT 99999,-99999",
       {"#INFO: construction bourg impossible \xE0 32767,-32768"}},
  };
  for (const auto& K : CASES) {
    P->OUTPUT.CLEAR();
    EXPECT_EQ(Run("BUILD " + K.ARGS),
              "RETURN BUILD BATIMENT\r\nBUILD " + K.ECHO + "\r\nEND RETURN\r\n");
    EXPECT_EQ(P->OUTPUT.LINES(), K.LOG) << K.ARGS;
  }
  ASSERT_EQ(P->CONSTRUCTIONS->COUNT(), 1);
  EXPECT_EQ(P->CONSTRUCTIONS->ITEM(0)->FPOSITION, HOME);
}

TEST_F(Orders, RecruitAvailListsWhatTheSquaresBuildingsRecruit) {
  // Two bourgs recruit the same creature: it comes twice. Sawmills recruit nothing.
  for (const char* B : {"bourg", "scierie", "caserne", "bourg"}) {
    P->VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT(B), COORDMAP(1, 2));
  }
  P->VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("caserne"), COORDMAP(2, 2));
  const struct {
    const char* SQUARE;
    std::string LIST;
  } CASES[] = {
      {"1,2", "#0:milicien\r\n#1:piquier\r\n#0:milicien\r\n"},
      {"2,2", "#1:piquier\r\n"},
      {"2,1", ""},
      {"11,1", ""},  // would be read as 1,2
      {"1999999999,1999999999", ""},
  };
  for (const auto& K : CASES) {
    EXPECT_EQ(Run(std::string("RECRUIT AVAIL ") + K.SQUARE),
              "RETURN RECRUIT AVAIL\r\n" + K.LIST + "END RETURN\r\n")
        << K.SQUARE;
  }

  EXPECT_EQ(Run("RECRUIT 2 PIQUIER 2,2"),
            Reply({"RETURN RECRUIT TROOPS", "RECRUIT PIQUIER AT 2,2", "END RETURN"}));
  P->OUTPUT.CLEAR();
  Run("RECRUIT 1 MILICIEN 11,1");
  EXPECT_EQ(P->OUTPUT.LINES(),
            std::vector<std::string>{"#INFO: recrutement milicien impossible \xE0 11,1"});
  ASSERT_EQ(P->RECRUTEMENTS->COUNT(), 1);
  EXPECT_EQ(P->RECRUTEMENTS->ITEM(0)->FNBTROUPES, 2);
}

TEST_F(Orders, AMoveAnswersTwoBlocksWhetherOrNotTheChampionCanGo) {
  const struct {
    tcoordMap TARGET;
    tcoordMap ENDMOVE;
  } CASES[] = {
      {COORDMAP(HOME.X == 5 ? 6 : 5, 5), COORDMAP(HOME.X == 5 ? 6 : 5, 5)},
      {COORDMAP(0, 5), COORDMAP(HOME.X == 5 ? 6 : 5, 5)},  // refused: the target stays
  };
  for (const auto& K : CASES) {
    EXPECT_EQ(Run("ORDER " + NAME + " MOVE " + COORDTOSTRING(K.TARGET)),
              Reply({"RETURN ORDER MOVE", "END RETURN", "RETURN ORDER COMMAND", "END RETURN"}));
    EXPECT_EQ(HERO->ENDMOVE, K.ENDMOVE);
  }
  EXPECT_EQ(P->OUTPUT.LINES().back(), "ERROR: INVALID COORDS");
}

TEST_F(Orders, TroopsGoIntoTheArmyLineAskedAndBackToTown) {
  for (int32_t I = 0; I < 6; ++I) {
    P->TROUPES->WIZARD(JEUCREATURES->SEARCHCREATURE(I % 2 == 0 ? "milicien" : "archer"), 10,
                       JEUCREATURES.get(), HOME);
  }
  ASSERT_NE(P->TROUPES->FIND(5), nullptr);
  const struct {
    std::string ORDER;
    int32_t TROOP;
    int32_t LINE;  // 0: still in town
  } CASES[] = {
      {"GET #5 2", 5, 2}, {"GET #4", 4, 1},   {"GET #3 0", 3, 0},
      {"GET #3 4", 3, 0}, {"GET #2 3", 2, 3},
  };
  for (const auto& K : CASES) {
    EXPECT_EQ(Run("ORDER " + NAME + " " + K.ORDER), ORDERCOMMAND) << K.ORDER;
    cCreaturePosition* T = P->TROUPES->FIND(K.TROOP);
    if (K.LINE == 0) {
      EXPECT_NE(T, nullptr) << K.ORDER;
    } else {
      EXPECT_EQ(T, nullptr) << K.ORDER;
      const cCreaturePosition* IN = HERO->ARMEES.GETARMEE(1, K.LINE);
      ASSERT_NE(IN, nullptr) << K.ORDER;
      EXPECT_EQ(IN->FUID, K.TROOP) << K.ORDER;
    }
  }
  EXPECT_EQ(P->OUTPUT.LINES().back(), "wrong line number (max:3)");

  EXPECT_EQ(Run("ORDER " + NAME + " DROP 1,2"), ORDERCOMMAND);
  EXPECT_EQ(HERO->ARMEES.GETARMEE(1, 2), nullptr);
  const cCreaturePosition* BACK = P->TROUPES->FIND(5);
  ASSERT_NE(BACK, nullptr);
  EXPECT_EQ(BACK->FPOSITION, HOME);
  EXPECT_EQ(HERO->ARMEES.GETCOUNT(), 2);
  // An empty place of the army changes nothing.
  EXPECT_EQ(Run("ORDER " + NAME + " DROP 5,1"), ORDERCOMMAND);
  EXPECT_EQ(HERO->ARMEES.GETCOUNT(), 2);
}
