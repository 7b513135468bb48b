// The client library without a server: when a reply is complete, the login
// dialogue against scripted lines, the option reader, and the game copy's
// generated accounts and champions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "args.h"
#include "gamecopy.h"
#include "line.h"

using Lines = std::vector<std::string>;

TEST(ClientReply, CompleteAtTheRightLineOrNever) {
  const struct {
    std::string COMMAND;
    Lines LINES;
    int AFTER;  // lines fed before complete; -1: never
  } CASES[] = {
      {"  server   whoami ", {"END RETURN-not", "x"}, 1},
      {"GET GAME GRID", {"RETURN GAME RACES", "WIDTH:10", "END RETURN"}, 3},
      {"TURN 0", {"TURN PASSED", "END RETURN ", "end return", "#INFO: END RETURN"}, -1},
      {"get game ressources", {"R", "0:or", "END RETURN", "R2", "1/0", "END RETURN"}, 6},
  };
  for (const auto& C : CASES) {
    cReplyReader R(ENDBLOCKSOF(C.COMMAND));
    int AFTER = -1;
    for (std::size_t I = 0; I < C.LINES.size() && AFTER < 0; ++I) {
      AFTER = R.FEED(C.LINES[I]) ? static_cast<int>(I) + 1 : -1;
    }
    EXPECT_EQ(AFTER, C.AFTER) << C.COMMAND;
  }
}

TEST(ClientReply, CountsAndRecordsRefuseWhatIsNotTheirShape) {
  for (const std::string BAD : {"nbLines:", "nbLines:-1", "nbLines:x", "nbLines:1234567"}) {
    cCountedReader R;
    EXPECT_FALSE(R.FEED(BAD)) << BAD;
    EXPECT_FALSE(R.ERROR().empty()) << BAD;
  }
  for (const Lines& BAD :
       {Lines{"#1", "[MAP]", "runs:2"}, Lines{"#1", "[MAP]", "count:1", "1-3", "#2"}}) {
    cRecordReader R;
    for (const auto& L : BAD) {
      EXPECT_FALSE(R.FEED(L));
    }
    EXPECT_FALSE(R.ERROR().empty());
  }
}

TEST(ClientLogin, AnswersEachQuestionOnceAndStopsAtTheFirstSurprise) {
  const Lines MENU{"Race :", "nbLines:2", "0:a", "1:b"};
  const Lines RECORD{"#0", "name:x", "", "[MAP]", "count:1", "1-3", ""};
  Lines NEWPLAYER{"Welcome", "login", "mot de passe", "en jeu"};
  NEWPLAYER.insert(NEWPLAYER.end(), MENU.begin(), MENU.end());
  NEWPLAYER.insert(NEWPLAYER.end(), RECORD.begin(), RECORD.end());
  Lines NEWANY = NEWPLAYER;
  NEWANY.push_back("x");
  const struct {
    cLogin::sPlayer PLAYER;
    Lines SERVER;
    std::string SENT;
    bool DONE;
    std::size_t RECORDLINES;
  } CASES[] = {
      {cLogin::NEW, NEWPLAYER, "n\r\np\r\n1\r\n", true, RECORD.size()},
      {cLogin::ANY, NEWANY, "n\r\np\r\n1\r\nSERVER WHOAMI\r\n", true, RECORD.size()},
      {cLogin::ANY,
       {"Welcome", "login", "mot de passe", "en jeu", "x"},
       "n\r\np\r\n1\r\nSERVER WHOAMI\r\n",
       true,
       0},
      {cLogin::NEW, {"Welcome", "login", "mot de passe", "en jeu", "x"}, "n\r\np\r\n", false, 0},
      {cLogin::ANY, {"Welcome", "login", "compte inconnu", "mot de passe"}, "n\r\n", false, 0},
      {cLogin::ANY, {"login"}, "", false, 0},
      {cLogin::NEW,
       {"Welcome", "login", "mot de passe", "en jeu", "Race :", "nbLines:x"},
       "n\r\np\r\n",
       false,
       0},
  };
  for (const auto& C : CASES) {
    cLogin L("n", "p", C.PLAYER, "1");
    std::string SENT;
    for (const auto& LINE : C.SERVER) {
      SENT += L.FEED(LINE);
    }
    EXPECT_EQ(SENT, C.SENT) << C.SERVER.back();
    EXPECT_EQ(L.DONE(), C.DONE) << C.SERVER.back();
    EXPECT_EQ(L.FAILED(), !C.DONE) << C.SERVER.back();
    EXPECT_EQ(L.RECORD().size(), C.RECORDLINES) << C.SERVER.back();
  }
}

TEST(ClientArgs, BothFormsRepeatsWordsAndRefusals) {
  const cArgs A({"-h", "w1", "--n=5", "--e", "A=1", "--e=B=2", "w2", "--n", "--x"}, {"--n", "--e"},
                {"-h"});
  EXPECT_EQ(A.ERROR(), "");
  EXPECT_TRUE(A.HAS("-h"));
  EXPECT_EQ(A.VALUE("--n"), "--x");  // the last one given, taken as it is
  EXPECT_EQ(A.VALUES("--e"), (Lines{"A=1", "B=2"}));
  EXPECT_EQ(A.WORDS(), (Lines{"w1", "w2"}));
  long N = 7;
  EXPECT_TRUE(cArgs({}, {"--n"}, {}).NUMBER("--n", 0, 9, N));
  EXPECT_EQ(N, 7);
  for (const std::string BAD : {"", "10", "-1", "1x", " 1", "99999999999999999999"}) {
    EXPECT_FALSE(cArgs({"--n", BAD}, {"--n"}, {}).NUMBER("--n", 0, 9, N)) << BAD;
  }
  EXPECT_EQ(N, 7);
  EXPECT_EQ(cArgs({"--n"}, {"--n"}, {}).ERROR(), "--n needs a value");
  EXPECT_EQ(cArgs({"--h=1"}, {}, {"--h"}).ERROR(), "--h takes no value");
  EXPECT_EQ(cArgs({"--nn", "1"}, {"--n"}, {}).ERROR(), "unknown option \"--nn\"");
}

TEST(ClientGameCopy, GeneratedAccountsFitALineAndChampionsAreCopiedInTurn) {
  // Longer lines would be cut by the server, and the password with them.
  EXPECT_EQ(ACCOUNTLINE(9999999), "9999999;b9999999;p9999999;null;M;e;0");
  const std::string CATALOGUE =
      "; c\r\n\r\n#0\r\naldric\r\nrace:A\r\n\r\n#7\r\nberthe\r\nrace:B\r\n";
  EXPECT_EQ(WITHEXTRACHAMPIONS(CATALOGUE, 3),
            CATALOGUE + "\r\n#8\r\nbench1\r\nrace:A\r\n\r\n#9\r\nbench2\r\nrace:B\r\n" +
                "\r\n#10\r\nbench3\r\nrace:A\r\n");
  // Without a final line end, with plain LF ends.
  EXPECT_EQ(WITHEXTRACHAMPIONS("#0\nx\nrace:A", 1), "#0\nx\nrace:A\n\n#1\nbench1\nrace:A\n");
  EXPECT_THROW(WITHEXTRACHAMPIONS("; only a comment\n", 1), cClientError);
}
