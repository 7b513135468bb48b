// The client library without a server: where a reply ends, the login
// dialogue against scripted lines, the option reader, the game copy.

#include <gtest/gtest.h>

#include "args.h"
#include "gamecopy.h"
#include "line.h"

using Lines = std::vector<std::string>;

TEST(Client, AReplyEndsAtItsLastLineAndNearMissesDoNotEndIt) {
  const std::pair<std::string, Lines> CASES[] = {
      {"  server   whoami ", {"END RETURN-not"}},
      {"GET GAME GRID",
       {"RETURN GAME RACES", "END RETURN ", "end return", "#END RETURN", "END RETURN"}},
      {"get game ressources", {"R", "END RETURN", "R2", "1/0", "END RETURN"}},
  };
  for (const auto& [COMMAND, LINES] : CASES) {
    cReplyReader R(ENDBLOCKSOF(COMMAND));
    for (std::size_t I = 0; I < LINES.size(); ++I) {
      EXPECT_EQ(R.FEED(LINES[I]), I + 1 == LINES.size()) << COMMAND << " " << I;
    }
  }
}

TEST(Client, TheLoginAnswersEachQuestionOnceAndStopsAtTheFirstSurprise) {
  const Lines IN{"Welcome", "login", "mot de passe", "en jeu"};
  const Lines MENU{"Race :", "nbLines:1", "0:a"};
  const Lines RECORD{"#0", "", "[MAP]", "count:1", "1-3", ""};
  const auto JOIN = [](std::initializer_list<Lines> PARTS) {
    Lines R;
    for (const Lines& P : PARTS) {
      R.insert(R.end(), P.begin(), P.end());
    }
    return R;
  };
  const std::string ANY = "n\r\np\r\n1\r\nSERVER WHOAMI\r\n";
  const struct {
    cLogin::sPlayer PLAYER;
    Lines SERVER;
    std::string SENT;
    bool DONE;
    std::size_t KEPT;  // lines of the record kept
  } CASES[] = {
      {cLogin::NEW, JOIN({IN, MENU, RECORD}), "n\r\np\r\n1\r\n", true, 6},
      {cLogin::ANY, JOIN({IN, MENU, RECORD, {"n"}}), ANY, true, 6},
      {cLogin::ANY, JOIN({IN, {"n"}}), ANY, true, 0},
      {cLogin::NEW, JOIN({IN, {"n"}}), "n\r\np\r\n", false, 0},
      {cLogin::ANY, {"Welcome", "login", "compte inconnu", "mot de passe"}, "n\r\n", false, 0},
      {cLogin::NEW, JOIN({IN, MENU, {"#0", "[MAP]", "count:x"}}), "n\r\np\r\n1\r\n", false, 3},
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
    EXPECT_EQ(L.RECORD().size(), C.KEPT) << C.SERVER.back();
  }
}

TEST(Client, OptionsInBothFormsRepeatedOrRefused) {
  const cArgs A({"-h", "w1", "--n=5", "--e", "A=1", "--e=B=2", "--n", "--x"}, {"--n", "--e"},
                {"-h"});
  EXPECT_EQ(A.ERROR(), "");
  EXPECT_TRUE(A.HAS("-h"));
  EXPECT_EQ(A.VALUE("--n"), "--x");  // the last one given, whatever it looks like
  EXPECT_EQ(A.VALUES("--e"), (Lines{"A=1", "B=2"}));
  EXPECT_EQ(A.WORDS(), Lines{"w1"});
  long N = 7;
  for (const std::string BAD : {"", "10", "-1", "1x", " 1", "99999999999999999999"}) {
    EXPECT_FALSE(cArgs({"--n", BAD}, {"--n"}, {}).NUMBER("--n", 0, 9, N)) << BAD;
  }
  EXPECT_EQ(N, 7);
  EXPECT_EQ(cArgs({"--n"}, {"--n"}, {}).ERROR(), "--n needs a value");
  EXPECT_EQ(cArgs({"--h=1"}, {}, {"--h"}).ERROR(), "--h takes no value");
  EXPECT_EQ(cArgs({"--nn"}, {"--n"}, {}).ERROR(), "unknown option \"--nn\"");
}

TEST(Client, TheGameCopysAccountsFitALineAndItsChampionsAreCopiedInTurn) {
  // Longer lines would be cut by the server, and the password with them.
  EXPECT_EQ(ACCOUNTLINE(9999999), "9999999;b9999999;p9999999;null;M;e;0");
  const std::string CATALOGUE = "; c\r\n\r\n#0\r\na\r\nrace:A\r\n\r\n#7\r\nb\r\nrace:B\r\n";
  EXPECT_EQ(WITHEXTRACHAMPIONS(CATALOGUE, 3),
            CATALOGUE + "\r\n#8\r\nbench1\r\nrace:A\r\n\r\n#9\r\nbench2\r\nrace:B\r\n" +
                "\r\n#10\r\nbench3\r\nrace:A\r\n");
  EXPECT_EQ(WITHEXTRACHAMPIONS("#0\nx\nrace:A", 1), "#0\nx\nrace:A\n\n#1\nbench1\nrace:A\n");
  EXPECT_THROW(WITHEXTRACHAMPIONS("; only a comment\n", 1), cClientError);

  // A generated player: renamed, without its champion, its works and turns as asked.
  const std::string RECORD =
      "#1\r\nname:B1\r\nnbTurns:0\r\navailTurns:9\r\nrace:Elfe\r\ncapital:9/9\r\n[towns]\r\n"
      "nbLines:0\r\n[under construction]\r\nnbLines:0\r\n[troops]\r\nnbLines:0\r\n[champions]"
      "\r\nnbLines:1\r\n#5\r\nx\r\nposition:3,4\r\nendUnits\r\n[MAP]\r\ncount:0\r\n";
  tPlayerShape SHAPE;
  SHAPE.WORKS = 2;
  SHAPE.LEADINGZERO = true;
  EXPECT_EQ(PLAYERRECORD(RECORD, "B77", 77, SHAPE),
            "#77\r\nname:B77\r\nnbTurns:0\r\navailTurns:09\r\nrace:Elfe\r\ncapital:9/9\r\n"
            "[towns]\r\nnbLines:0\r\n[under construction]\r\nnbLines:2\r\n#0\r\nbourg:0\r\n"
            "position:3,4\r\nturn:1000000\r\nressPerTurn:150:1/75:1/75:1/0:1/0:1\r\n#1\r\n"
            "bourg:0\r\nposition:3,4\r\nturn:1000000\r\nressPerTurn:150:1/75:1/75:1/0:1/0:1\r\n"
            "[troops]\r\nnbLines:0\r\n[champions]\r\nnbLines:0\r\n[MAP]\r\ncount:0\r\n");
  EXPECT_THROW(PLAYERRECORD("#1\nname:B1\n", "B2", 2), cClientError);
}
