#include "entities/account.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "base/errors.h"
#include "support/fixtures.h"

TEST(Account, ALineFillsEveryFieldIsCutTo40CharactersAndDatesCountFrom30December1899) {
  EXPECT_EQ(
      (std::vector{STRTODATETIME("null"), STRTODATETIME("1899-12-30 00:00:00"),
                   STRTODATETIME("1900-03-01 00:00:00"), STRTODATETIME("2024-02-29 12:00:00")}),
      (std::vector{0.0, 0.0, 61.0, 45351.5}));
  for (const char* BAD :
       {"", "NULL", "2026-12-06", "2026-12-06 18:00", "2026-13-01 00:00:00", "2023-02-29 00:00:00",
        "1900-02-29 00:00:00", "2026-04-31 00:00:00", "2026-12-06 24:00:00", "2026-12-06 18:60:00",
        "2026-12-06T18:00:00", "2026-1a-06 18:00:00", "0000-01-01 00:00:00"}) {
    EXPECT_THROW(STRTODATETIME(BAD), cConversionError) << BAD;
  }

  cAccount A;
  A.FROMSTRING("7;Alice;Se cret;null;F;a@b.c;300");
  EXPECT_EQ(A.FNAME + "|" + A.PASSWD + "|" + A.EMAIL, "Alice|Se cret|a@b.c");
  EXPECT_EQ(A.FUID + A.LEVEL, 7 + 44) << "level modulo 256";
  EXPECT_EQ(A.SEX, Female);
  A.FROMSTRING("1;a;p;null;m;e;0");
  EXPECT_EQ(A.SEX, Female) << "only an upper-case M is male";
  // 40 characters exactly: everything is read; one more pushes the level out.
  A.FROMSTRING("3;bob;secret;2026-12-06 18:00:00;M;b@l;1");
  EXPECT_TRUE(A.SEX == Male && A.LEVEL == 1 && A.LAST_LOGIN == 46362.75);
  for (const char* BAD : {"3;bob;secret;2026-12-06 18:00:00;M;bb@l;1", "x;a;p;null;M;e;0",
                          "1;a;p;null;M;e;", "1;a;p;yesterday;M;e;0", "1;a"}) {
    EXPECT_THROW(A.FROMSTRING(BAD), cConversionError) << BAD;
  }
}

TEST(Account, ListSkipsCommentsFindsNamesWhateverTheCaseAndRefusesUnsafeOnes) {
  testsupport::cTempDir DIR;
  cListeAccounts FROMFILE(
      DIR.WRITE("accounts.zrk",
                "; header\r\n2;zed;z;null;M;e;0\r\n\r\n;1;hidden;h;null;M;e;0\r\n"
                "1;Amy;a;null;F;e;0\r\n"));
  FROMFILE.LOADACCOUNTS();
  ASSERT_EQ(FROMFILE.COUNT(), 2);
  EXPECT_EQ(FROMFILE.GET(1)->FNAME, "Amy");

  cConsoleCapture CAPTURE;
  cBuffer B;
  for (const char* NAME : {"Zoe", "bob", "ALAIN", "../x", "a/b", "a\\b", "", "tab\there", "ok.name",
                           "\xE9lodie", ".."}) {
    B.WRITELN("1;" + std::string(NAME) + ";p;null;M;e;0");
  }
  cListeAccounts L("");
  L.LOADACCOUNTS(B);
  EXPECT_EQ(L.COUNT(), 5);
  EXPECT_EQ(CAPTURE.LINES().size(), 6u);
  EXPECT_NE(CAPTURE.LINES()[0].find("../x"), std::string::npos);
  for (const char* NAME : {"zoe", "ZOE", "BOB", "alain", "ok.name", "\xE9lodie"}) {
    EXPECT_NE(L.FIND(NAME), nullptr) << NAME;
  }
  EXPECT_EQ(L.FIND("alain")->FNAME, "ALAIN");
  EXPECT_TRUE(L.FIND("ala") == nullptr && L.FIND("alain ") == nullptr);
}
