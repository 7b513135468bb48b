#include "protocol/interpreter.h"

#include <gtest/gtest.h>

#include "entities/account.h"
#include "support/fixtures.h"

using testsupport::cScopedGlobal;

namespace {

class Interpreter : public ::testing::Test {
 protected:
  Interpreter()
      : ACCOUNTS(JEUACCOUNTS, std::make_unique<cListeAccounts>("")),
        REPLY(BUF, std::make_unique<cBuffer>()) {
    cBuffer B;
    B.WRITELN("1;Alice;Secret;null;F;e;0");
    ACCOUNTS->LOADACCOUNTS(B);
    C.LOGON("alice");
    C.CHGSTATE(CON_PLAYING);
  }

  std::string Run(const std::string& LINE) {
    C.CLEAROUTPUT();
    C.FCOMMAND = LINE;
    INTERPRETER(C);
    EXPECT_EQ(C.FCOMMAND, "");
    return C.OUTPUT();
  }

  cScopedGlobal<cListeAccounts> ACCOUNTS;
  cScopedGlobal<cBuffer> REPLY;
  cSession C;
};

const char* const HELP =
    "RETURN HELP\r\nADMIN [KEYWORD]\r\nSERVER [KEYWORD]\r\nGET [KEYWORD]\r\nBUILD [KEYWORD]\r\n"
    "RECRUIT [KEYWORD]\r\nORDER [KEYWORD]\r\nTURN [NB_TURNS]\r\nEND RETURN\r\n";

}  // namespace

TEST_F(Interpreter, HelpListsEveryKeywordWhateverTheCase) {
  EXPECT_EQ(Run("HELP"), HELP);
  EXPECT_EQ(Run("help"), HELP);
  EXPECT_EQ(Run("Help me"), HELP);
}

TEST_F(Interpreter, LinesThatNameNoKeywordAnswerNothing) {
  for (const char* LINE : {"DANCE", " HELP", "HELPX", "SERVERHELP", "SERVER  HELP", "ADMIN",
                           "ADMIN SHUTDOWN NOW", "SERVER NOTHING", "\xE9"}) {
    EXPECT_EQ(Run(LINE), "") << LINE;
  }
}

TEST_F(Interpreter, ServerAloneOrServerHelpGiveTheServerHelp) {
  const char* const SERVERHELP = "RETURN SERVER HELP\r\nWHOAMI\r\nQUIT\r\nEND RETURN\r\n";
  EXPECT_EQ(Run("SERVER"), SERVERHELP);
  EXPECT_EQ(Run("server help"), SERVERHELP);
}

TEST_F(Interpreter, WhoamiAnswersTheAccountNameAsTheFileWritesIt) {
  EXPECT_EQ(Run("server whoami"), "Alice\r\n");
}

TEST_F(Interpreter, QuitSaysGoodbyeAndMarksTheClientClosing) {
  EXPECT_EQ(Run("SERVER QUIT"), "Bye bye\r\n");
  EXPECT_EQ(C.FSTATE, CON_CLOSING);
}

TEST_F(Interpreter, AdminShutdownOnlyAnswersStop) {
  EXPECT_EQ(Run("admin shutdown"), "stop\r\n");
  EXPECT_EQ(C.FSTATE, CON_PLAYING);
}

TEST_F(Interpreter, TurnWithoutAPlayerPassesNothingAndShowsNoMessages) {
  EXPECT_EQ(Run("TURN 0"), "TURN PASSED\r\nEND RETURN\r\n");
  EXPECT_EQ(Run("TURN 3"), "TURN PASSED\r\nEND RETURN\r\n");
  EXPECT_EQ(Run("TURN -2"), "TURN PASSED\r\nEND RETURN\r\n");
}

TEST_F(Interpreter, TurnWithoutANumberSaysSoInsideTheBlock) {
  for (const char* LINE : {"TURN", "TURN X", "TURN 1X", "TURN 99999999999"}) {
    const std::string R = Run(LINE);
    ASSERT_EQ(R.rfind("TURN PASSED\r\nerreur", 0), 0u) << LINE << ": " << R;
    EXPECT_EQ(R.substr(R.size() - 12), "END RETURN\r\n") << LINE;
    EXPECT_EQ(std::count(R.begin(), R.end(), '\n'), 3) << LINE;
  }
}

TEST_F(Interpreter, EachReplyHoldsOnlyItsOwnCommand) {
  Run("HELP");
  EXPECT_EQ(Run("TURN 0"), "TURN PASSED\r\nEND RETURN\r\n");
  EXPECT_EQ(BUF->READCOUNT(), 2);
  Run("DANCE");
  EXPECT_EQ(BUF->READCOUNT(), 0);
}
