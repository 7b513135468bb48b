#include <gtest/gtest.h>

#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "support/fixtures.h"

TEST(Races, LoadInFileOrderListInUidOrderAndCutLongLines) {
  testsupport::cTempDir DIR;
  cListeRaces L(DIR.WRITE(
      "races.zrk", "; races\r\n#2:Orques\r\n#0:humains\r\n#1:" + std::string(50, 'x') + "\r\n"));
  ASSERT_TRUE(L.LOADRACES());
  EXPECT_EQ(L.GET(0)->FNAME, "Orques");
  L.SORT(sSortByUID);
  cBuffer MENU;
  L.TOBUFFER(MENU);
  EXPECT_EQ(MENU.LINES(), (std::vector<std::string>{"nbLines:3", "0:humains",
                                                    "1:" + std::string(37, 'x'), "2:Orques"}));
}

TEST(Classes, RecordsBetweenOtherLinesWithTheirPrincipalCharacteristics) {
  testsupport::cTempDir DIR;
  testsupport::cScopedGlobal<cListeCaracts> CARACTS(
      CARACTSCHAMPIONS, std::make_unique<cListeCaracts>(DIR.WRITE(
                            "caractHeros.zrk", "#0:attaque-att\n#1:defense-def\n#2:vie-pdv\n")));
  ASSERT_TRUE(CARACTS->LOADCARACTS());
  cListeClasses L(DIR.WRITE("Classes.zrk",
                            "; classes\r\n"
                            "#0:Guerrier\r\nendurance:2d6+1\r\nsagesse:1D4\r\ncaracts:ATT-pdv\r\n"
                            "\r\nsome text\r\n"
                            "#1:mage\r\nendurance:1D4+0\r\nsagesse:3D6+2\r\ncaracts:magie-def\r\n"
                            "#2:errant\r\nendurance:1D6\r\n"));
  ASSERT_TRUE(L.LOADCLASSES());
  ASSERT_EQ(L.COUNT(), 3);
  const auto* GUERRIER = L.ITEM(0);
  EXPECT_EQ(GUERRIER->ENDURANCE.TOSTRING(), "2D6+1");
  EXPECT_EQ(GUERRIER->FCARACTSPRINC, (std::vector<bool>{true, false, true}));
  EXPECT_TRUE(GUERRIER->ISPRINCIPAL("vie"));
  EXPECT_FALSE(GUERRIER->ISPRINCIPAL("def"));
  const auto* MAGE = L.ITEM(1);
  EXPECT_EQ(MAGE->WISDOM.TOSTRING(), "3D6+2");
  EXPECT_EQ(MAGE->FCARACTSPRINC, (std::vector<bool>{false, true, false})) << "magie is unknown";
  // Cut short by the end of the file: the missing lines read as empty.
  const auto* ERRANT = L.ITEM(2);
  EXPECT_EQ(ERRANT->WISDOM.TOSTRING(), "0D0+0");
  EXPECT_EQ(ERRANT->FCARACTSPRINC, (std::vector<bool>{false, false, false}));
}
