#include "entities/account.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "base/errors.h"
#include "support/fixtures.h"

using testsupport::cTempDir;

TEST(AccountDate, NullIsNeverAndDatesCountDaysFrom30December1899) {
  EXPECT_EQ(STRTODATETIME("null"), 0.0);
  EXPECT_EQ(STRTODATETIME("1899-12-30 00:00:00"), 0.0);
  EXPECT_EQ(STRTODATETIME("1900-03-01 00:00:00"), 61.0);
  EXPECT_DOUBLE_EQ(STRTODATETIME("2026-12-06 18:00:00"), 46362.75);
  EXPECT_DOUBLE_EQ(STRTODATETIME("2024-02-29 12:00:00"),
                   STRTODATETIME("2024-02-29 00:00:00") + 0.5);
}

TEST(AccountDate, AnythingElseIsAConversionError) {
  for (const char* BAD :
       {"", "NULL", "never", "2026-12-06", "2026-12-06 18:00", "2026-13-01 00:00:00",
        "2023-02-29 00:00:00", "2026-04-31 00:00:00", "2026-12-06 24:00:00", "2026-12-06 18:60:00",
        "2026-12-06T18:00:00", "2026-1a-06 18:00:00", "0000-01-01 00:00:00"}) {
    EXPECT_THROW(STRTODATETIME(BAD), cConversionError) << BAD;
  }
}

TEST(Account, ANewAccountHasNoPasswordAndTheFirstLevel) {
  cAccount A;
  EXPECT_EQ(A.FUID, -1);
  EXPECT_EQ(A.FNAME, "dummy");
  EXPECT_EQ(A.PASSWD, "");
  EXPECT_EQ(A.LAST_LOGIN, 0.0);
  EXPECT_EQ(A.SEX, Male);
  EXPECT_EQ(A.LEVEL, 0);
}

TEST(Account, ALineFillsEveryFieldAndKeepsTheNameAsWritten) {
  cAccount A;
  A.FROMSTRING("7;Alice;Se cret;null;F;a@b.c;12");
  EXPECT_EQ(A.FUID, 7);
  EXPECT_EQ(A.FNAME, "Alice");
  EXPECT_EQ(A.PASSWD, "Se cret");
  EXPECT_EQ(A.LAST_LOGIN, 0.0);
  EXPECT_EQ(A.SEX, Female);
  EXPECT_EQ(A.EMAIL, "a@b.c");
  EXPECT_EQ(A.LEVEL, 12);
}

TEST(Account, OnlyAnUpperCaseMIsMale) {
  cAccount A;
  A.FROMSTRING("1;a;p;null;M;e;0");
  EXPECT_EQ(A.SEX, Male);
  A.FROMSTRING("1;a;p;null;m;e;0");
  EXPECT_EQ(A.SEX, Female);
  A.FROMSTRING("1;a;p;null;;e;0");
  EXPECT_EQ(A.SEX, Female);
}

TEST(Account, TheLevelIsKeptModulo256) {
  cAccount A;
  A.FROMSTRING("1;a;p;null;M;e;300");
  EXPECT_EQ(A.LEVEL, 44);
}

TEST(Account, ALineIsCutTo40CharactersBeforeItIsSplit) {
  cAccount A;
  // 40 characters exactly: everything is read.
  A.FROMSTRING("3;bob;secret;2026-12-06 18:00:00;M;b@l;1");
  EXPECT_EQ(A.LEVEL, 1);
  EXPECT_DOUBLE_EQ(A.LAST_LOGIN, 46362.75);
  // One more character pushes the level out of the line: reading it fails.
  EXPECT_THROW(A.FROMSTRING("3;bob;secret;2026-12-06 18:00:00;M;bb@l;1"), cConversionError);
}

TEST(Account, BadNumbersAreConversionErrors) {
  cAccount A;
  EXPECT_THROW(A.FROMSTRING("x;a;p;null;M;e;0"), cConversionError);
  EXPECT_THROW(A.FROMSTRING("1;a;p;null;M;e;"), cConversionError);
  EXPECT_THROW(A.FROMSTRING("1;a;p;yesterday;M;e;0"), cConversionError);
  EXPECT_THROW(A.FROMSTRING("1;a"), cConversionError);
}

TEST(AccountList, LoadingSkipsCommentsAndEmptyLinesAndKeepsFileOrder) {
  cTempDir DIR;
  const auto PATH = DIR.WRITE("accounts.zrk",
                              "; header\r\n2;zed;z;null;M;e;0\r\n\r\n;1;hidden;h;null;M;e;0\r\n"
                              "1;Amy;a;null;F;e;0\r\n");
  cListeAccounts L(PATH);
  L.LOADACCOUNTS();
  ASSERT_EQ(L.COUNT(), 2);
  EXPECT_EQ(L.GET(0)->FNAME, "zed");
  EXPECT_EQ(L.GET(1)->FNAME, "Amy");
}

TEST(AccountList, AMissingFileGivesNoAccounts) {
  cTempDir DIR;
  cListeAccounts L((DIR.PATH() / "nothing.zrk").string());
  L.LOADACCOUNTS();
  EXPECT_EQ(L.COUNT(), 0);
  EXPECT_EQ(L.SEARCHACCOUNT("anyone"), nullptr);
}

TEST(AccountList, ABadNumberNamesTheFileTheLineAndTheText) {
  cTempDir DIR;
  const auto PATH = DIR.WRITE("accounts.zrk", "; header\n1;a;p;null;M;e;0\n2;b;p;null;M;e;1x\n");
  cListeAccounts L(PATH);
  try {
    L.LOADACCOUNTS();
    FAIL() << "no error";
  } catch (const cLoadError& E) {
    const std::string MESSAGE = E.what();
    EXPECT_NE(MESSAGE.find(PATH), std::string::npos) << MESSAGE;
    EXPECT_NE(MESSAGE.find("line 3"), std::string::npos) << MESSAGE;
    EXPECT_NE(MESSAGE.find("1x"), std::string::npos) << MESSAGE;
  }
}

TEST(AccountList, NamesAreFoundWhateverTheCaseOnEitherSide) {
  cListeAccounts L("");
  cBuffer B;
  for (const char* LINE : {"1;Zoe;z;null;F;e;0", "2;bob;b;null;M;e;0", "3;ALAIN;a;null;M;e;0",
                           "4;Marc;m;null;M;e;0"}) {
    B.WRITELN(LINE);
  }
  L.LOADACCOUNTS(B);
  for (const char* NAME : {"zoe", "ZOE", "Zoe", "BOB", "alain", "mArC"}) {
    EXPECT_NE(L.SEARCHACCOUNT(NAME), nullptr) << NAME;
  }
  ASSERT_NE(L.SEARCHACCOUNT("alain"), nullptr);
  EXPECT_EQ(L.SEARCHACCOUNT("alain")->FNAME, "ALAIN");
  EXPECT_EQ(L.SEARCHACCOUNT("ala"), nullptr);
  EXPECT_EQ(L.SEARCHACCOUNT("alain "), nullptr);
}

TEST(AccountList, NamesThatCannotBeFileNamesAreRefused) {
  cConsoleCapture CAPTURE;
  cBuffer B;
  for (const char* LINE : {"1;../x;p;null;M;e;0", "2;a/b;p;null;M;e;0", "3;a\\b;p;null;M;e;0",
                           "4;;p;null;M;e;0", "5;tab\there;p;null;M;e;0", "6;ok.name;p;null;M;e;0",
                           "7;\xE9lodie;p;null;M;e;0", "8;..;p;null;M;e;0"}) {
    B.WRITELN(LINE);
  }
  cListeAccounts L("");
  L.LOADACCOUNTS(B);
  ASSERT_EQ(L.COUNT(), 2);
  EXPECT_NE(L.SEARCHACCOUNT("ok.name"), nullptr);
  EXPECT_NE(L.SEARCHACCOUNT("\xE9lodie"), nullptr);
  EXPECT_EQ(CAPTURE.LINES().size(), 6u);
  EXPECT_NE(CAPTURE.LINES()[0].find("../x"), std::string::npos);
}
