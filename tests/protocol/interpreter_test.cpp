#include "protocol/interpreter.h"

#include <gtest/gtest.h>

#include "support/game_in_play.h"

namespace {

using Interpreter = testsupport::cGameInPlay;

const char* const HELP =
    "RETURN HELP\r\nADMIN [KEYWORD]\r\nSERVER [KEYWORD]\r\nGET [KEYWORD]\r\nBUILD [KEYWORD]\r\n"
    "RECRUIT [KEYWORD]\r\nORDER [KEYWORD]\r\nTURN [NB_TURNS]\r\nEND RETURN\r\n";
const char* const BADTURN =
    "TURN PASSED\r\nerreur: nombre de tours invalide, aucun tour joue\r\nEND RETURN\r\n";

}  // namespace

TEST_F(Interpreter, EachLineAnswersItsOwnReplyAndUnknownKeywordsNothing) {
  // A client of the account demo in play without a player. Each line answering
  // nothing follows one answering something: no reply carries over.
  SESSION.LOGON("demo");
  SESSION.CHGSTATE(CON_PLAYING);
  const std::pair<const char*, std::string> CASES[] = {
      {"help", HELP},
      {"Help me", HELP},
      {"server help", "RETURN SERVER HELP\r\nWHOAMI\r\nQUIT\r\nEND RETURN\r\n"},
      {"admin shutdown", "stop\r\n"},
      // Without a player, TURN passes no turn and shows no message.
      {"TURN 3", "TURN PASSED\r\nEND RETURN\r\n"},
      {"TURN -2", "TURN PASSED\r\nEND RETURN\r\n"},
      {"TURN X", BADTURN},
      {"TURN 1X", BADTURN},
      {"TURN 99999999999", BADTURN},
  };
  for (const auto& [LINE, REPLY] : CASES) {
    EXPECT_EQ(RUN(LINE), REPLY) << LINE;
    EXPECT_EQ(SESSION.FSTATE, CON_PLAYING) << LINE;
  }
  for (const char* LINE :
       {"DANCE", " HELP", "HELPX", "SERVERHELP", "SERVER  HELP", "ADMIN", "ADMIN SHUTDOWN NOW",
        "SERVER NOTHING", "\xE9", "GET NOTHING", "GET GAME NOTHING", "GET GAME RESSOURCES X",
        "GETGAME", "GET  GAME RACES"}) {
    RUN("HELP");
    EXPECT_EQ(RUN(LINE), "") << LINE;
  }
}
