#include "protocol/nanny.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "entities/account.h"
#include "entities/race.h"
#include "forces/champion.h"
#include "forces/championpos.h"
#include "players/joueur.h"
#include "server/startup.h"
#include "support/fixtures.h"
#include "world/world.h"

using testsupport::cScopedGlobal;

namespace {

class Nanny : public ::testing::Test {
 protected:
  Nanny() : ACCOUNTS(JEUACCOUNTS, std::make_unique<cListeAccounts>("")) {
    cBuffer B;
    B.WRITELN("1;Alice;Secret;null;F;e;0");
    B.WRITELN("2;bob;pw;null;M;e;0");
    ACCOUNTS->LOADACCOUNTS(B);
  }

  // Hands LINE to the dialogue and returns what it sent.
  std::string Say(const std::string& LINE) {
    C.CLEAROUTPUT();
    C.FCOMMAND = LINE;
    NANNY(C);
    EXPECT_EQ(C.FCOMMAND, "");
    return C.OUTPUT();
  }

  cScopedGlobal<cListeAccounts> ACCOUNTS;
  cSession C;
  cConsoleCapture CONSOLELOG;
};

}  // namespace

TEST_F(Nanny, AnUnknownAccountLeavesTheClientClosedAndDeaf) {
  EXPECT_EQ(Say("carol"), "compte inconnu\r\n");
  EXPECT_EQ(C.FSTATE, CON_CLOSE);
  EXPECT_EQ(Say("alice"), "");
  EXPECT_EQ(Say("Secret"), "");
  EXPECT_EQ(C.FSTATE, CON_CLOSE);
}

TEST_F(Nanny, TheAccountNameIgnoresCaseButThePasswordDoesNot) {
  EXPECT_EQ(Say("ALICE"), "mot de passe\r\n");
  EXPECT_EQ(C.FSTATE, CON_PASSWORD);
  EXPECT_EQ(Say("secret"), "erreur passe\r\n");
  EXPECT_EQ(Say("Secret "), "erreur passe\r\n");
  EXPECT_EQ(C.FSTATE, CON_PASSWORD);
  // The console tells of the mistake, never the text tried.
  EXPECT_EQ(CONSOLELOG.LINES(), (std::vector<std::string>{"erreur commande:", "erreur commande:"}));
}

TEST_F(Nanny, EachWrongPasswordAfterTheSecondHoldsTheNextLineLonger) {
  const std::string T = "alice\rw1\rw2\rw3\rw4\rw5\rw6\rw7\rw8\r";
  C.RECEIVEBYTES(T.data(), T.size());
  // Tick at which each line is taken, and the hold that follows it.
  const std::vector<std::pair<uint32_t, uint32_t>> STEPS{{1000, 0},    {1000, 0},    {1000, 0},
                                                         {1000, 250},  {1250, 500},  {1750, 1000},
                                                         {2750, 2000}, {4750, 4000}, {8750, 4000}};
  for (const auto& [TICK, HOLD] : STEPS) {
    if (TICK > 1000) {
      EXPECT_FALSE(C.TAKELINE(TICK - 1)) << TICK;
    }
    ASSERT_TRUE(C.TAKELINE(TICK)) << TICK;
    NANNY(C);
    EXPECT_EQ(C.HELD(TICK + HOLD - 1), HOLD > 0) << TICK;
    EXPECT_FALSE(C.HELD(TICK + HOLD)) << TICK;
  }
  EXPECT_EQ(C.FWRONGPASSWORDS, 8);
}

TEST_F(Nanny, LinesOfClientsOnTheirWayOutAreIgnored) {
  for (sState S : {CON_PLAYING, CON_DISCONNECT, CON_CLOSING}) {
    C.CHGSTATE(S);
    EXPECT_EQ(Say("alice"), "");
    EXPECT_EQ(C.FSTATE, S);
  }
}

namespace {

// The dialogue on the shipped game, whose races and champions make new players.
class NannyGame : public ::testing::Test {
 protected:
  NannyGame() {
    INITGAME();
    WORLDMAP->CREATEWORLD();
    CONSOLELOG.CLEAR();
  }
  ~NannyGame() override {
    C.TAKENEWJOUEUR();  // a player still at the race question goes before the game
    FREEGAME();
  }

  std::string Say(const std::string& LINE) {
    C.CLEAROUTPUT();
    C.FCOMMAND = LINE;
    NANNY(C);
    return C.OUTPUT();
  }

  std::string RaceMenu() {
    cBuffer B;
    JEURACES->SORT(sSortByUID);
    JEURACES->TOBUFFER(B);
    std::string R = "Race :\r\n";
    for (const auto& LINE : B.LINES()) {
      R += LINE + "\r\n";
    }
    return R;
  }

  testsupport::cShippedGameDir GAME;
  cConsoleCapture CONSOLELOG;
  cSession C;
};

}  // namespace

TEST_F(NannyGame, ANewAccountChoosesARaceAndJoinsTheGame) {
  Say("Alice");
  EXPECT_EQ(Say("merveille"), "en jeu\r\n" + RaceMenu());
  EXPECT_EQ(C.FSTATE, CON_RACE);
  ASSERT_NE(C.FJOUEUR, nullptr);
  EXPECT_EQ(JEUJOUEURS->COUNT(), 0);
  EXPECT_EQ(CONSOLELOG.LINES(),
            (std::vector<std::string>{"personnage inexistant", "Creation du personnage"}));
  // Only the identifier of a race of the catalogue is an answer.
  for (const char* WRONG : {"elfe", "-1", "99", "3", ""}) {
    EXPECT_EQ(Say(WRONG), RaceMenu()) << WRONG;
    EXPECT_EQ(C.FSTATE, CON_RACE) << WRONG;
  }

  const std::string RECORD = Say("1");
  EXPECT_EQ(C.FSTATE, CON_PLAYING);
  ASSERT_EQ(JEUJOUEURS->COUNT(), 1);
  cJoueur* J = JEUJOUEURS->ITEM(0);
  EXPECT_EQ(C.FJOUEUR, J);
  EXPECT_EQ(J->RACE, JEURACES->FIND(1));
  EXPECT_EQ(J->GETGOLD(), 3000);
  EXPECT_EQ(RECORD.rfind("#0\r\nname:alice\r\nnbTurns:0\r\navailTurns:200\r\nrace:Sylvains\r\n", 0),
            0u)
      << RECORD;

  // The same account later goes straight to play with the same player.
  cSession AGAIN;
  for (const char* LINE : {"ALICE", "merveille"}) {
    AGAIN.FCOMMAND = LINE;
    NANNY(AGAIN);
  }
  EXPECT_EQ(AGAIN.FSTATE, CON_PLAYING);
  EXPECT_EQ(AGAIN.FJOUEUR, J);
}

TEST_F(NannyGame, OneAccountMakesOnePlayerWhateverItsConnections) {
  Say("bob");
  Say("secret");
  ASSERT_EQ(C.FSTATE, CON_RACE);
  cSession SECOND;
  const auto SAY2 = [&SECOND](const char* LINE) {
    SECOND.CLEAROUTPUT();
    SECOND.FCOMMAND = LINE;
    NANNY(SECOND);
    return SECOND.OUTPUT();
  };
  SAY2("BOB");
  EXPECT_EQ(SAY2("secret"), "en jeu\r\npersonnage en cours de creation\r\n");
  EXPECT_EQ(SECOND.FSTATE, CON_PASSWORD);
  EXPECT_EQ(SECOND.FJOUEUR, nullptr);
  Say("2");
  // Once the player exists, the second connection plays it too.
  EXPECT_EQ(SAY2("secret"), "en jeu\r\n");
  EXPECT_EQ(SECOND.FJOUEUR, C.FJOUEUR);
  EXPECT_EQ(JEUJOUEURS->COUNT(), 1);
}

TEST_F(NannyGame, PlayersCreatedAtTheSameTimeGetDifferentIdentifiers) {
  cSession OTHER;
  for (const char* LINE : {"alice", "merveille"}) {
    OTHER.FCOMMAND = LINE;
    NANNY(OTHER);
  }
  Say("bob");
  Say("secret");
  Say("0");
  OTHER.FCOMMAND = "0";
  NANNY(OTHER);
  ASSERT_EQ(JEUJOUEURS->COUNT(), 2);
  EXPECT_NE(C.FJOUEUR->FUID, OTHER.FJOUEUR->FUID);
}

TEST_F(NannyGame, WithoutAFreeChampionThePlayerIsNotCreated) {
  for (int32_t I = 0; I < JEUCHAMPIONS->COUNT(); ++I) {
    JEUCHAMPIONS->ITEM(I)->STATE = sChampionDead;
  }
  Say("bob");
  EXPECT_EQ(Say("secret"), "en jeu\r\nprobleme de creation de perso\r\n");
  EXPECT_EQ(C.FSTATE, CON_PASSWORD);
  EXPECT_EQ(C.FJOUEUR, nullptr);
  EXPECT_EQ(CONSOLELOG.LINES(),
            (std::vector<std::string>{"personnage inexistant", "probleme de creation de perso"}));
  EXPECT_EQ(Say("wrong"), "erreur passe\r\n");
}

TEST_F(NannyGame, AClientThatLeavesBeforeItsRaceLosesItsNewPlayer) {
  cChampion* MODEL = nullptr;
  {
    cSession GONE;
    for (const char* LINE : {"bob", "secret"}) {
      GONE.FCOMMAND = LINE;
      NANNY(GONE);
    }
    ASSERT_EQ(GONE.FSTATE, CON_RACE);
    MODEL = GONE.FJOUEUR->CHAMPIONS->ITEM(0)->MODELE();
    EXPECT_EQ(MODEL->STATE, sChampionInGame);
  }
  EXPECT_EQ(JEUJOUEURS->COUNT(), 0);
  // Its champion is free again for the next new player, and so is the name.
  EXPECT_EQ(MODEL->FJOUEUR, nullptr);
  EXPECT_EQ(MODEL->STATE, sChampionNotAssigned);
  Say("bob");
  EXPECT_EQ(Say("secret"), "en jeu\r\n" + RaceMenu());
}
