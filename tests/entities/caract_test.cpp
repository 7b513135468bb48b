#include "entities/caract.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "base/errors.h"
#include "support/fixtures.h"

TEST(Caracts, ValuesReadAgainstTheCatalogueKeepNegativesAndReportUnknownNames) {
  testsupport::cTempDir DIR;
  cListeCaracts CATALOGUE(DIR.WRITE(
      "caracts.zrk", "; characteristics\r\n#0:Attaque-att\r\n#1:defense-def\r\n#2:points-pdv\r\n"));
  ASSERT_TRUE(CATALOGUE.LOADCARACTS());
  EXPECT_EQ(CATALOGUE.SEARCH("aTTaque"), CATALOGUE.GETCARACT(0));

  cListeCaractsMob V(&CATALOGUE);
  V.FROMSTRING("def:-1-att:-3-pdv:4");
  EXPECT_EQ(V.TOSTRING(), "def:-1-att:-3-pdv:4");
  EXPECT_EQ(V.GET("attaque")->VALUE, -3);
  V.FROMSTRING("pdv:40000");
  EXPECT_EQ(V.GET("PDV")->VALUE, -25536);
  V.FROMSTRING("none");
  EXPECT_EQ(V.TOSTRING(), "");

  cConsoleCapture CAPTURE;
  V.FROMSTRING("att:5-xyz:3-def:1");
  EXPECT_EQ(V.TOSTRING(), "att:5-def:1");
  EXPECT_EQ(CAPTURE.LINES(), std::vector<std::string>{"ERREUR: caractsMob.loadCaract:xyz :: " +
                                                      CATALOGUE.NMINIFILE});
  // A value is converted before its name is looked up.
  for (const char* BAD : {"att:x", "xyz:", "att-def:1"}) {
    EXPECT_THROW(V.FROMSTRING(BAD), cConversionError) << BAD;
  }

  cMobileCaracts M(&CATALOGUE);
  M.FCARACTS.FROMSTRING("def:4-pdv:12");
  EXPECT_EQ(M.GETATTACK(), 0) << "missing values count as zero";
}
