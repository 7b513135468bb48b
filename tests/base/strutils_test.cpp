#include "base/strutils.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "base/errors.h"

TEST(Strings, TokensSplitAtTheFirstDelimiterAndOnlyAsciiLettersChangeCase) {
  std::string S = "GET";
  EXPECT_EQ(STRTOK(S, ' ') + "|" + S, "GET|");
  EXPECT_EQ(AFTERTOKEN("GAME", ' '), "");
  EXPECT_EQ(BEFORETOKEN("GAME", ' '), "GAME");
  EXPECT_EQ(AFTERTOKEN("a:b:c", ':'), "b:c");
  EXPECT_EQ(CHARCOUNT("a b  c", ' '), 3);

  EXPECT_EQ(LOWERCASE("OrC \xC9T\xC9"), "orc \xC9t\xC9");
  EXPECT_EQ(UPPERCASE("build ferme 3,4 \xE9"), "BUILD FERME 3,4 \xE9");
  EXPECT_TRUE(SAMETEXT("Orc", "oRC"));
  EXPECT_FALSE(SAMETEXT("\xC9", "\xE9"));
}

TEST(Numbers, IsIntegerAcceptsTenDigitsOnlyFromZeroOrOneAndConversionsStayWithin32Bits) {
  for (const char* OK : {"0", "  -12", "+7", "1999999999", "0999999999", "-1999999999"}) {
    EXPECT_TRUE(ISINTEGER(OK)) << OK;
  }
  for (const char* BAD : {"2000000000", "12345678901", "12 ", "12a", "-", "", " ", "- 1"}) {
    EXPECT_FALSE(ISINTEGER(BAD)) << BAD;
  }

  EXPECT_EQ(STRTOINTERR(" -42", 9), -42);
  EXPECT_EQ(STRTOINTERR("-2147483648", 9), INT32_MIN);
  for (const char* BAD : {"2147483648", "99999999999999999999999", "4x", ""}) {
    EXPECT_EQ(STRTOINTERR(BAD, 9), 9) << BAD;
    EXPECT_THROW(STRTOINT(BAD), cConversionError) << BAD;
  }
}

TEST(Replace, RunsMarkersAndPlaceholdersAreFilledInOrder) {
  EXPECT_EQ(DELDUPESPACE("a  b   c"), "a b c");
  const std::string LONG = std::string(300, 'a') + "  b";
  EXPECT_EQ(DELDUPESPACE(LONG), LONG);  // only the first 255 characters are looked at
  EXPECT_EQ(REPLACESTR("aaa", "aa", "b"), "ba");
  EXPECT_EQ(REPLACESTR("abc", "", "x"), "abc");
  // A replacement that contains what it replaces still ends.
  EXPECT_EQ(REPLACESTR("~1 and ~1", "~1", "<~1>"), "<~1> and <~1>");
  EXPECT_EQ(BLDSTR("~1 ~2", "~2|z"), "z z");
  EXPECT_EQ(BLDSTR("<~1>", "~1"), "<~1>");

  EXPECT_EQ(FORMAT("%d%% %d", 50), "50% ");
  EXPECT_TRUE(TESTPATTERN("ENEMY  TROOPS", "ENEMY TROOPS"));
  EXPECT_FALSE(TESTPATTERN("enemy troops", "ENEMY TROOPS"));
}

TEST(GetParam, TakesTheValuesOfATextThatFitsItsPatternAndRefusesOthers) {
  cConsoleCapture QUIET;
  tParams VALUES;
  ASSERT_TRUE(GETPARAM("FERME   3,-4", "%str %int,%int", VALUES));
  EXPECT_EQ(VALUES, (tParams{std::string("FERME"), 3, -4}));
  ASSERT_TRUE(GETPARAM("5 ORC 2,9", "%int %str %int,%int", VALUES));
  EXPECT_EQ(VALUES, (tParams{5, std::string("ORC"), 2, 9}));
  const std::pair<const char*, const char*> REFUSED[] = {
      {"TROOP 12", "TROOP #%int"},
      {"troop #1", "TROOP #%int"},
      {"SQUARE 3 4", "SQUARE %int,%int"},
      {"FERME 3,4,5", "%str %int,%int"},
      {"FERME 3", "%str %int,%int"},
      {"FERME X,4", "%str %int,%int"},
      {"3,", "%int,%int"},
      {"3;4", "%int,%int"},
      {"GET #4 2 1", "GET #%int %int"},
      {"GET #4", "GET #%int %int"},
      {"MOVE 2000000000,1", "MOVE %int,%int"},
      {"", "AVAIL %int,%int"},
  };
  for (const auto& [TEXT, PATTERN] : REFUSED) {
    EXPECT_FALSE(GETPARAM(TEXT, PATTERN, VALUES)) << TEXT;
  }
}
