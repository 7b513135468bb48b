#include "entities/caract.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "base/errors.h"
#include "support/fixtures.h"

using testsupport::cTempDir;

namespace {
// A catalogue "caracts.zrk" of att, def, pdv (uids 0 to 2) loaded from DIR.
std::unique_ptr<cListeCaracts> LOADTHREE(const cTempDir& DIR) {
  auto L = std::make_unique<cListeCaracts>(DIR.WRITE(
      "caracts.zrk", "; characteristics\r\n#0:Attaque-att\r\n#1:defense-def\r\n#2:points-pdv\r\n"));
  EXPECT_TRUE(L->LOADCARACTS());
  return L;
}
}  // namespace

TEST(Caracts, CatalogueKeepsFileOrderAndFindsShortOrFullNames) {
  cTempDir DIR;
  auto L = LOADTHREE(DIR);
  ASSERT_EQ(L->COUNT(), 3);
  EXPECT_EQ(L->GETCARACT(0)->FNAME, "Attaque");
  EXPECT_EQ(L->GETCARACT(0)->ABCARACT, "att");
  EXPECT_EQ(L->GETCARACT(0)->TOSTRING(), "#0:Attaque-att");
  EXPECT_EQ(L->SEARCH("ATT"), L->GETCARACT(0));
  EXPECT_EQ(L->SEARCH("att"), L->GETCARACT(0));
  EXPECT_EQ(L->SEARCH("aTTaque"), L->GETCARACT(0));
  EXPECT_EQ(L->SEARCH("xyz"), nullptr);
  EXPECT_EQ(L->ITERATIFSEARCH("PDV"), 2);
  // Searching leaves the file order: positions are uids for the champions' catalogue.
  EXPECT_EQ(L->GETCARACT(1)->ABCARACT, "def");

  cCaract NODASH;
  NODASH.FROMSTRING("#7:vitesse");
  EXPECT_EQ(NODASH.FUID, 7);
  EXPECT_EQ(NODASH.FNAME, "vitesse");
  EXPECT_EQ(NODASH.ABCARACT, "");
}

TEST(Caracts, MissingFileAndBadUidAreReported) {
  cTempDir DIR;
  cListeCaracts MISSING((DIR.PATH() / "none.zrk").string());
  EXPECT_FALSE(MISSING.LOADCARACTS());
  EXPECT_EQ(MISSING.COUNT(), 0);

  cListeCaracts EMPTYLINE(DIR.WRITE("bad.zrk", "#0:attaque-att\r\n\r\n"));
  try {
    EMPTYLINE.LOADCARACTS();
    FAIL() << "an empty line loaded";
  } catch (const cLoadError& E) {
    EXPECT_NE(std::string(E.what()).find("bad.zrk, line 2"), std::string::npos) << E.what();
  }
}

TEST(CaractsMob, TextFormRoundTripsWithNegativeValues) {
  cTempDir DIR;
  auto L = LOADTHREE(DIR);
  cListeCaractsMob V(L.get());
  V.FROMSTRING("att:5-def:-2");
  ASSERT_EQ(V.GETCOUNT(), 2);
  EXPECT_EQ(V.GET("att")->VALUE, 5);
  EXPECT_EQ(V.GET("DEF")->VALUE, -2);
  EXPECT_EQ(V.TOSTRING(), "att:5-def:-2");

  V.FROMSTRING("def:-1-att:-3-pdv:4");
  EXPECT_EQ(V.TOSTRING(), "def:-1-att:-3-pdv:4");
  // Values are found by full name too.
  EXPECT_EQ(V.GET("attaque")->VALUE, -3);

  V.FROMSTRING("none");
  EXPECT_EQ(V.GETCOUNT(), 0);
  EXPECT_EQ(V.TOSTRING(), "");
  V.FROMSTRING("att:1");
  V.FROMSTRING("");
  EXPECT_EQ(V.GETCOUNT(), 0);

  V.FROMSTRING("pdv:40000");
  EXPECT_EQ(V.GET("pdv")->VALUE, -25536);
}

TEST(CaractsMob, UnknownNameIsReportedAndSkipped) {
  cTempDir DIR;
  auto L = LOADTHREE(DIR);
  cListeCaractsMob V(L.get());
  cConsoleCapture CAPTURE;
  V.FROMSTRING("att:5-xyz:3-def:1");
  EXPECT_EQ(V.TOSTRING(), "att:5-def:1");
  ASSERT_EQ(CAPTURE.LINES().size(), 1u);
  EXPECT_EQ(CAPTURE.LINES()[0], "ERREUR: caractsMob.loadCaract:xyz :: " + L->NMINIFILE);
}

TEST(CaractsMob, BadValueRaisesConversionError) {
  cTempDir DIR;
  auto L = LOADTHREE(DIR);
  cListeCaractsMob V(L.get());
  EXPECT_THROW(V.FROMSTRING("att:x"), cConversionError);
  // A value is converted before its name is looked up.
  EXPECT_THROW(V.FROMSTRING("xyz:"), cConversionError);
  EXPECT_THROW(V.FROMSTRING("att-def:1"), cConversionError);
}

TEST(MobileCaracts, MissingValuesCountAsZero) {
  cTempDir DIR;
  auto L = LOADTHREE(DIR);
  cMobileCaracts M(L.get());
  EXPECT_EQ(M.FUID, -1);
  EXPECT_EQ(M.FNAME, "dummy");
  M.FCARACTS.FROMSTRING("def:4-pdv:12");
  EXPECT_EQ(M.GETATTACK(), 0);
  EXPECT_EQ(M.GETVIT(), 0);
  EXPECT_EQ(M.GETDEFENSE(), 4);
  EXPECT_EQ(M.GETPDV(), 12);
  EXPECT_EQ(M.GETCARACT("att"), nullptr);
  ASSERT_NE(M.GETCARACT("PDV"), nullptr);
  EXPECT_EQ(M.GETCARACT("PDV")->CARACT->ABCARACT, "pdv");
  EXPECT_EQ(GETCARACTMOB(M.FCARACTS, "att", 7), 7);
}
