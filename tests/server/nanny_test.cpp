#include "server/nanny.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "entities/account.h"
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

TEST_F(Nanny, TheRightPasswordAfterWrongOnesLeadsToPlayWithoutAPlayerYet) {
  Say("alice");
  for (int I = 0; I < 5; ++I) {
    Say("nope");
  }
  EXPECT_EQ(Say("Secret"), "en jeu\r\n");
  EXPECT_EQ(C.FSTATE, CON_PLAYING);
  EXPECT_EQ(C.FJOUEUR, nullptr);
  EXPECT_EQ(C.GETNAME(), "Alice");
}

TEST_F(Nanny, ARaceLineThatIsNoIntegerAsksAgain) {
  C.CHGSTATE(CON_RACE);
  for (const char* BAD : {"elfe", "1x", "99999999999"}) {
    EXPECT_EQ(Say(BAD), "Race :\r\n") << BAD;
    EXPECT_EQ(C.FSTATE, CON_RACE);
  }
  Say("2");
  EXPECT_EQ(C.FSTATE, CON_PLAYING);
}

TEST_F(Nanny, LinesOfClientsOnTheirWayOutAreIgnored) {
  for (sState S : {CON_PLAYING, CON_DISCONNECT, CON_CLOSING}) {
    C.CHGSTATE(S);
    EXPECT_EQ(Say("alice"), "");
    EXPECT_EQ(C.FSTATE, S);
  }
}
