#include "server/nanny.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "base/startup.h"
#include "entities/account.h"
#include "entities/race.h"
#include "forces/champion.h"
#include "forces/championpos.h"
#include "players/joueur.h"
#include "world/world.h"
#include "support/fixtures.h"

using testsupport::cScopedGlobal;

namespace {

class Nanny : public ::testing::Test {
 protected:
  Nanny() : ACCOUNTS(JEUACCOUNTS, std::make_unique<cListeAccounts>("")), C(nullptr, 0) {
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
  cClientInfos C;
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
  EXPECT_EQ(CONSOLELOG.LINES(),
            (std::vector<std::string>{"erreur commande:secret", "erreur commande:Secret "}));
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
  NannyGame() : C(nullptr, 0) {
    INITGAME();
    WORLDMAP->CREATEWORLD();
    CONSOLELOG.CLEAR();
  }
  ~NannyGame() override { FREEGAME(); }

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
  cClientInfos C;
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
  EXPECT_EQ(Say("elfe"), RaceMenu());
  EXPECT_EQ(C.FSTATE, CON_RACE);

  const std::string RECORD = Say("1");
  EXPECT_EQ(C.FSTATE, CON_PLAYING);
  ASSERT_EQ(JEUJOUEURS->COUNT(), 1);
  cJoueur* J = JEUJOUEURS->GETJOUEUR(0);
  EXPECT_EQ(C.FJOUEUR, J);
  EXPECT_EQ(J->FNAME, "alice");
  ASSERT_NE(J->RACE, nullptr);
  EXPECT_EQ(J->RACE->FUID, 1);
  EXPECT_EQ(J->AVAILTURNS, 200);
  EXPECT_EQ(J->GETGOLD(), 3000);
  cBuffer EXPECTED;
  J->TOBUFFER(EXPECTED);
  std::string TEXT;
  for (const auto& LINE : EXPECTED.LINES()) {
    TEXT += LINE + "\r\n";
  }
  EXPECT_EQ(RECORD, TEXT);
  EXPECT_EQ(RECORD.rfind("#0\r\nname:alice\r\nnbTurns:0\r\navailTurns:200\r\n", 0), 0u) << RECORD;

  // The same account later goes straight to play with the same player.
  cClientInfos AGAIN(nullptr, 0);
  AGAIN.FCOMMAND = "ALICE";
  NANNY(AGAIN);
  AGAIN.FCOMMAND = "merveille";
  NANNY(AGAIN);
  EXPECT_EQ(AGAIN.FSTATE, CON_PLAYING);
  EXPECT_EQ(AGAIN.FJOUEUR, J);
}

TEST_F(NannyGame, ARaceNoRaceHasStillCompletesTheDialogue) {
  Say("bob");
  Say("secret");
  const std::string RECORD = Say("77");
  EXPECT_EQ(C.FSTATE, CON_PLAYING);
  EXPECT_EQ(C.FJOUEUR->RACE, nullptr);
  EXPECT_NE(RECORD.find("\r\nrace:\r\n"), std::string::npos) << RECORD;
}

TEST_F(NannyGame, WithoutAFreeChampionThePlayerIsNotCreated) {
  for (int32_t I = 0; I < JEUCHAMPIONS->COUNT(); ++I) {
    JEUCHAMPIONS->GETCHAMPION(I)->STATE = sChampionDead;
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
    cClientInfos GONE(nullptr, 0);
    GONE.FCOMMAND = "bob";
    NANNY(GONE);
    GONE.FCOMMAND = "secret";
    NANNY(GONE);
    ASSERT_EQ(GONE.FSTATE, CON_RACE);
    MODEL = static_cast<cChampionPosition*>(GONE.FJOUEUR->CHAMPIONS->GET(0))->MODELE();
    EXPECT_EQ(MODEL->STATE, sChampionInGame);
  }
  EXPECT_EQ(JEUJOUEURS->COUNT(), 0);
  // Its champion is free again for the next new player.
  EXPECT_EQ(MODEL->FJOUEUR, nullptr);
  EXPECT_EQ(MODEL->STATE, sChampionNotAssigned);
}
