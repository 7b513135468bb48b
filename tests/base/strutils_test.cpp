#include "base/strutils.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/console.h"
#include "base/errors.h"

TEST(StrTok, SplitsAtTheFirstDelimiterOrTakesEverything) {
  std::string S = "GET GAME RACES";
  EXPECT_EQ(STRTOK(S, ' '), "GET");
  EXPECT_EQ(S, "GAME RACES");
  S = "GET";
  EXPECT_EQ(STRTOK(S, ' '), "GET");
  EXPECT_EQ(S, "");
  S = ",x";
  EXPECT_EQ(STRTOK(S, ','), "");
  EXPECT_EQ(S, "x");
}

TEST(StrTok, AfterAndBeforeToken) {
  EXPECT_EQ(AFTERTOKEN("GAME", ' '), "");
  EXPECT_EQ(BEFORETOKEN("GAME", ' '), "GAME");
  EXPECT_EQ(AFTERTOKEN("a:b:c", ':'), "b:c");
  EXPECT_EQ(BEFORETOKEN("a:b:c", ':'), "a");
  EXPECT_EQ(CHARCOUNT("a b  c", ' '), 3);
  EXPECT_EQ(COUNTCHAR('%', "%int,%int"), 2);
}

TEST(Case, OnlyAsciiLettersChange) {
  EXPECT_EQ(LOWERCASE("OrC \xC9T\xC9"), "orc \xC9t\xC9");
  EXPECT_EQ(UPPERCASE("build ferme 3,4 \xE9"), "BUILD FERME 3,4 \xE9");
  EXPECT_TRUE(SAMETEXT("Orc", "oRC"));
  EXPECT_FALSE(SAMETEXT("\xC9", "\xE9"));
  EXPECT_EQ(GSTRING(std::string(50, 'a')).size(), 40u);
}

TEST(IsInteger, AcceptsSignsSpacesAndTenDigitsStartingWithZeroOrOne) {
  EXPECT_TRUE(ISINTEGER("0"));
  EXPECT_TRUE(ISINTEGER("  -12"));
  EXPECT_TRUE(ISINTEGER("+7"));
  EXPECT_TRUE(ISINTEGER("1999999999"));
  EXPECT_TRUE(ISINTEGER("0999999999"));
  EXPECT_TRUE(ISINTEGER("-1999999999"));
  EXPECT_FALSE(ISINTEGER("2000000000"));
  EXPECT_FALSE(ISINTEGER("12345678901"));
  EXPECT_FALSE(ISINTEGER("12 "));
  EXPECT_FALSE(ISINTEGER("12a"));
  EXPECT_FALSE(ISINTEGER("-"));
  EXPECT_FALSE(ISINTEGER(""));
  EXPECT_FALSE(ISINTEGER(" "));
  EXPECT_FALSE(ISINTEGER("- 1"));
}

TEST(StrToInt, ConvertsWithinThirtyTwoBitsOrFails) {
  EXPECT_EQ(STRTOINTERR(" -42", 9), -42);
  EXPECT_EQ(STRTOINTERR("2147483647", 9), 2147483647);
  EXPECT_EQ(STRTOINTERR("-2147483648", 9), INT32_MIN);
  EXPECT_EQ(STRTOINTERR("2147483648", 9), 9);
  EXPECT_EQ(STRTOINTERR("99999999999999999999999", 9), 9);
  EXPECT_EQ(STRTOINTERR("4x", 9), 9);
  EXPECT_EQ(STRTOINTERR("", 9), 9);
  EXPECT_EQ(STRTOINT("300"), 300);
  try {
    STRTOINT("abc");
    FAIL() << "no error raised";
  } catch (const cConversionError& E) {
    EXPECT_EQ(E.BADTEXT(), "abc");
    EXPECT_NE(std::string(E.what()).find("abc"), std::string::npos);
  }
  EXPECT_THROW(STRTOINT(""), cConversionError);
  EXPECT_THROW(STRTOINT("1 "), cConversionError);
}

TEST(DelDup, ReducesRunsWithinTheFirst255Characters) {
  EXPECT_EQ(DELDUPESPACE("a  b   c"), "a b c");
  EXPECT_EQ(DELDUPCH("x,,,y", ','), "x,y");
  const std::string LONG = std::string(300, 'a') + "  b";
  EXPECT_EQ(DELDUPESPACE(LONG), LONG);
}

TEST(ReplaceStr, ReplacesEveryOccurrenceLeftToRight) {
  EXPECT_EQ(REPLACESTR("a-b-c", "-", "+"), "a+b+c");
  EXPECT_EQ(REPLACESTR("aaa", "aa", "b"), "ba");
  EXPECT_EQ(REPLACESTR("abc", "", "x"), "abc");
  // A replacement that contains what it replaces still ends.
  EXPECT_EQ(REPLACESTR("~1 and ~1", "~1", "<~1>"), "<~1> and <~1>");
  EXPECT_EQ(REPLACESTR("x", "x", "xx"), "xx");
}

TEST(BldStr, FillsNumberedMarkers) {
  EXPECT_EQ(BLDSTR("~1 meets ~2", "A|B"), "A meets B");
  EXPECT_EQ(BLDSTR("~1 (~2) --> ~ 3 (~4)", "orc|bob|elfe|ann"), "orc (bob) --> ~ 3 (ann)");
  EXPECT_EQ(BLDSTR("~1/~1", "x"), "x/x");
  // Markers inside pieces are filled by the later pieces, and a piece holding
  // its own marker does not make the fill run forever.
  EXPECT_EQ(BLDSTR("~1 ~2", "~2|z"), "z z");
  EXPECT_EQ(BLDSTR("<~1>", "~1"), "<~1>");
  EXPECT_EQ(BLDSTR("~1,~2", "a;b", ';'), "a,b");
}

TEST(ReadFicStr, SkipsLinesWithSemicolons) {
  std::istringstream IN("; comment\r\na;b\nvalue\r\nnext\n");
  std::string S;
  READFICSTR(IN, S);
  EXPECT_EQ(S, "value");
  std::istringstream ONLY(";a\n;b\n");
  READFICSTR(ONLY, S);
  EXPECT_EQ(S, "");
}

TEST(Format, FillsPlaceholdersInOrder) {
  EXPECT_EQ(FORMAT("#INFO: %d troupes de %s", 3, std::string("orc")), "#INFO: 3 troupes de orc");
  EXPECT_EQ(FORMAT("%s", "x"), "x");
  EXPECT_EQ(FORMAT("%d%%", 50), "50%");
  EXPECT_EQ(FORMAT("%d %d", 1), "1 ");
  EXPECT_EQ(FORMAT("50%"), "50%");
}

TEST(TestPattern, IgnoresRepeatedSpacesButNotCase) {
  EXPECT_TRUE(TESTPATTERN("ENEMY  TROOPS", "ENEMY TROOPS"));
  EXPECT_FALSE(TESTPATTERN("enemy troops", "ENEMY TROOPS"));
  EXPECT_FALSE(TESTPATTERN("ENEMY TROOPS X", "ENEMY TROOPS"));
}

namespace {

struct Match {
  bool OK;
  tParams VALUES;
  std::vector<std::string> CONSOLE;
};

Match MatchOf(const std::string& TEXT, const std::string& PATTERN) {
  cConsoleCapture CAPTURE;
  Match M;
  M.OK = GETPARAM(TEXT, PATTERN, M.VALUES);
  M.CONSOLE = CAPTURE.LINES();
  return M;
}

}  // namespace

TEST(GetParam, MatchesTheCommandPatterns) {
  auto M = MatchOf("TROOP #12", "TROOP #%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMINT(M.VALUES, 0), 12);

  M = MatchOf("SQUARE 3,4", "SQUARE %int,%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMINT(M.VALUES, 0), 3);
  EXPECT_EQ(PARAMINT(M.VALUES, 1), 4);

  M = MatchOf("FERME 3,-4", "%str %int,%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMSTR(M.VALUES, 0), "FERME");
  EXPECT_EQ(PARAMINT(M.VALUES, 1), 3);
  EXPECT_EQ(PARAMINT(M.VALUES, 2), -4);

  M = MatchOf("AVAIL 10,1", "AVAIL %int,%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMINT(M.VALUES, 1), 1);

  M = MatchOf("5 ORC 2,9", "%int %str %int,%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMINT(M.VALUES, 0), 5);
  EXPECT_EQ(PARAMSTR(M.VALUES, 1), "ORC");
  EXPECT_EQ(PARAMINT(M.VALUES, 2), 2);
  EXPECT_EQ(PARAMINT(M.VALUES, 3), 9);

  M = MatchOf("MOVE 7,8", "MOVE %int,%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMINT(M.VALUES, 0), 7);

  M = MatchOf("GET #4", "GET #%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMINT(M.VALUES, 0), 4);

  M = MatchOf("GET #4 2", "GET #%int %int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMINT(M.VALUES, 0), 4);
  EXPECT_EQ(PARAMINT(M.VALUES, 1), 2);

  M = MatchOf("DROP 1,3", "DROP %int,%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMINT(M.VALUES, 1), 3);
}

TEST(GetParam, RefusesTextsThatDoNotFit) {
  EXPECT_FALSE(MatchOf("TROOP 12", "TROOP #%int").OK);
  EXPECT_FALSE(MatchOf("TROOP #X", "TROOP #%int").OK);
  EXPECT_FALSE(MatchOf("troop #1", "TROOP #%int").OK);
  EXPECT_FALSE(MatchOf("SQUARE 3 4", "SQUARE %int,%int").OK);
  EXPECT_FALSE(MatchOf("FERME 3,4,5", "%str %int,%int").OK);
  EXPECT_FALSE(MatchOf("FERME 3", "%str %int,%int").OK);
  EXPECT_FALSE(MatchOf("FERME X,4", "%str %int,%int").OK);
  EXPECT_FALSE(MatchOf("3,", "%int,%int").OK);
  EXPECT_FALSE(MatchOf("3;4", "%int,%int").OK);
  EXPECT_FALSE(MatchOf("a,4", "%int,%int").OK);
  EXPECT_FALSE(MatchOf("GET #4 2 1", "GET #%int %int").OK);
  EXPECT_FALSE(MatchOf("GET #4", "GET #%int %int").OK);
  EXPECT_FALSE(MatchOf("MOVE 2000000000,1", "MOVE %int,%int").OK);
  EXPECT_FALSE(MatchOf("DROP 1,", "DROP %int,%int").OK);
  EXPECT_FALSE(MatchOf("AVAIL 1,2x", "AVAIL %int,%int").OK);
  EXPECT_FALSE(MatchOf("", "AVAIL %int,%int").OK);
}

TEST(GetParam, RepeatedSpacesCountAsOne) {
  auto M = MatchOf("FERME   3,4", "%str %int,%int");
  ASSERT_TRUE(M.OK);
  EXPECT_EQ(PARAMSTR(M.VALUES, 0), "FERME");
}

TEST(GetParam, TracesEveryValueTakenEvenWhenTheMatchFailsLater) {
  auto M = MatchOf("3,x", "%int,%int");
  EXPECT_FALSE(M.OK);
  EXPECT_EQ(M.CONSOLE, (std::vector<std::string>{"creation d'un tableau de 2", ">3", ">x"}));

  M = MatchOf("SQUARE 3 4", "SQUARE %int,%int");
  EXPECT_TRUE(M.CONSOLE.empty());

  M = MatchOf("FERME 3,4", "%str %int,%int");
  EXPECT_EQ(M.CONSOLE,
            (std::vector<std::string>{"creation d'un tableau de 3", ">FERME", ">3", ">4"}));
}
