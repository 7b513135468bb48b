#include "entities/ressource.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/fixtures.h"

using testsupport::cTempDir;
using testsupport::cThreeRessources;

TEST(Ressources, LoadsLinesInFileOrderSkippingComments) {
  cTempDir DIR;
  cListeRessources L(DIR.WRITE("ressources.zrk", "; resources\r\n#0:or\n#1:Bois\n#2:pierre\n"));
  ASSERT_TRUE(L.LOADRESSOURCES());
  ASSERT_EQ(L.COUNT(), 3);
  EXPECT_EQ(L.GET(0)->FNAME, "or");
  EXPECT_EQ(L.GET(1)->FNAME, "Bois");
  EXPECT_EQ(L.GET(2)->FUID, 2);
}

TEST(Ressources, MissingFileAndBadLinesAreReported) {
  cTempDir DIR;
  cListeRessources MISSING((DIR.PATH() / "none.zrk").string());
  EXPECT_FALSE(MISSING.LOADRESSOURCES());

  cListeRessources BAD(DIR.WRITE("bad.zrk", "#0:or\n\n#2:pierre\n"));
  try {
    BAD.LOADRESSOURCES();
    FAIL() << "an empty line loaded";
  } catch (const cLoadError& E) {
    EXPECT_NE(std::string(E.what()).find("bad.zrk, line 2"), std::string::npos) << E.what();
  }
  cListeRessources LETTERS(DIR.WRITE("letters.zrk", "#0:or\n#x1:bois\n"));
  try {
    LETTERS.LOADRESSOURCES();
    FAIL() << "a bad uid loaded";
  } catch (const cLoadError& E) {
    EXPECT_NE(std::string(E.what()).find("'x1'"), std::string::npos) << E.what();
  }
}

TEST(ArrayRessources, TextFormAndLookupByName) {
  cThreeRessources RESS;
  cArrayRessources A;
  ASSERT_EQ(A.RESSOURCE.size(), 3u);
  A.FROMSTRING("100/20/3");
  EXPECT_EQ(A.TOSTRING(), "100/20/3");
  EXPECT_EQ(A.GETRESS("OR"), 100);
  EXPECT_EQ(A.GETRESS("Pierre"), 3);
  EXPECT_EQ(A.GETRESS("mithril"), 0);
  A.SETRESS("bois", 7);
  A.SETRESS("mithril", 9);
  EXPECT_EQ(A.TOSTRING(), "100/7/3");

  cArrayRessources FRESH;
  FRESH.FROMSTRING("5");
  EXPECT_EQ(FRESH.TOSTRING(), "5/0/0");
  FRESH.FROMSTRING("1/2/3/4");
  EXPECT_EQ(FRESH.TOSTRING(), "1/2/3");
  FRESH.FROMSTRING("x/7");
  EXPECT_EQ(FRESH.TOSTRING(), "0/7/3");
  FRESH.FROMSTRING("70000");
  EXPECT_EQ(FRESH.RESSOURCE[0], 70000 % 65536);
  EXPECT_EQ(cArrayRessources(1).TOSTRING(), "0");
}

TEST(ArrayRessources, ArithmeticWrapsAtSixteenBits) {
  cArrayRessources A(2);
  cArrayRessources B(2);
  A.RESSOURCE = {5, 65535};
  B.RESSOURCE = {7, 1};
  A.SUB(B);
  EXPECT_EQ(A.RESSOURCE[0], 65534);
  A.ADD(B);
  A.ADD(B);
  EXPECT_EQ(A.RESSOURCE[0], 12);
  EXPECT_EQ(A.RESSOURCE[1], 0);
  A.CLEAR();
  EXPECT_EQ(A.TOSTRING(), "0/0");
}

TEST(RessParTour, SmallestEqualSchedule) {
  cRessParTour R(4);
  R.CALCUL(0, 100, 10);
  R.CALCUL(1, 30, 4);
  R.CALCUL(2, 0, 5);
  R.CALCUL(3, 9, 6);
  EXPECT_EQ(R.TOSTRING(), "10:1/15:2/0:1/3:2");
  R.CALCUL(3, 0, 0);
  R.CALCUL(9, 10, 2);
  EXPECT_EQ(R.TOSTRING(), "10:1/15:2/0:1/0:0");
  R.REFRESH();
  EXPECT_EQ(R.CTRLRESSTOUR[1].CURRENT, 2);
}

TEST(RessParTour, TextRoundTripAfterAKey) {
  cRessParTour R(3);
  R.CALCUL(0, 10, 1);
  R.CALCUL(2, 30, 4);
  R.REFRESH();
  cRessParTour BACK(3);
  BACK.FROMSTRING("ressPerTurn:" + R.TOSTRING());
  EXPECT_EQ(BACK.TOSTRING(), "10:1/0:0/15:2");
  for (const auto& E : BACK.CTRLRESSTOUR) {
    EXPECT_EQ(E.CURRENT, 0);
  }
  cRessParTour COPY(3);
  R.DUMP(COPY);
  EXPECT_EQ(COPY.CTRLRESSTOUR[2].CURRENT, 2);
  EXPECT_THROW(BACK.FROMSTRING("ressPerTurn:10"), cConversionError);
  EXPECT_THROW(BACK.FROMSTRING("ressPerTurn:a:1"), cConversionError);
  BACK.FROMSTRING("k:1:1/2:2/3:3/4:4");
  EXPECT_EQ(BACK.TOSTRING(), "1:1/2:2/3:3");
}
