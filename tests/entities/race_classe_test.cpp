#include <gtest/gtest.h>

#include "base/errors.h"
#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "support/fixtures.h"

using testsupport::cScopedGlobal;
using testsupport::cTempDir;

TEST(Races, LoadInFileOrderAndListInUidOrder) {
  cTempDir DIR;
  cListeRaces L(DIR.WRITE("races.zrk", "; races\r\n#2:Orques\r\n#0:humains\r\n#1:elfes\r\n"));
  ASSERT_TRUE(L.LOADRACES());
  ASSERT_EQ(L.COUNT(), 3);
  EXPECT_EQ(L.GET(0)->FNAME, "Orques");
  EXPECT_EQ(L.GET(0)->FUID, 2);

  L.SORT(sSortByUID);
  cBuffer MENU;
  L.TOBUFFER(MENU);
  EXPECT_EQ(MENU.LINES(),
            (std::vector<std::string>{"nbLines:3", "0:humains", "1:elfes", "2:Orques"}));
}

TEST(Races, LongLinesAreCutAndBadLinesReported) {
  cTempDir DIR;
  const std::string LONG = "#1:" + std::string(50, 'x');
  cListeRaces L(DIR.WRITE("races.zrk", LONG + "\r\n"));
  ASSERT_TRUE(L.LOADRACES());
  EXPECT_EQ(L.GET(0)->FNAME, std::string(37, 'x'));

  cListeRaces MISSING((DIR.PATH() / "none.zrk").string());
  EXPECT_FALSE(MISSING.LOADRACES());
  cListeRaces BAD(DIR.WRITE("bad.zrk", "#0:humains\r\n\r\n"));
  EXPECT_THROW(BAD.LOADRACES(), cLoadError);
}

namespace {
struct cChampionCaracts : cScopedGlobal<cListeCaracts> {
  explicit cChampionCaracts(const cTempDir& DIR)
      : cScopedGlobal(CARACTSCHAMPIONS,
                      std::make_unique<cListeCaracts>(DIR.WRITE(
                          "caractHeros.zrk", "#0:attaque-att\n#1:defense-def\n#2:vie-pdv\n"))) {
    EXPECT_TRUE((*this)->LOADCARACTS());
  }
};
}  // namespace

TEST(Classes, RecordsBetweenOtherLines) {
  cTempDir DIR;
  cChampionCaracts CARACTS(DIR);
  cListeClasses L(DIR.WRITE("Classes.zrk",
                            "; classes\r\n"
                            "#0:Guerrier\r\nendurance:2d6+1\r\nsagesse:1D4\r\ncaracts:ATT-pdv\r\n"
                            "\r\nsome text\r\n"
                            "#1:mage\r\nendurance:1D4+0\r\nsagesse:3D6+2\r\ncaracts:none\r\n"
                            "#2:errant\r\nendurance:1D6\r\n"));
  ASSERT_TRUE(L.LOADCLASSES());
  ASSERT_EQ(L.COUNT(), 3);
  auto* GUERRIER = static_cast<cClasse*>(L.GET(0));
  EXPECT_EQ(GUERRIER->FNAME, "Guerrier");
  EXPECT_EQ(GUERRIER->ENDURANCE.TOSTRING(), "2D6+1");
  EXPECT_EQ(GUERRIER->WISDOM.TOSTRING(), "1D4+0");
  EXPECT_EQ(GUERRIER->FCARACTSPRINC, (std::vector<bool>{true, false, true}));
  EXPECT_TRUE(GUERRIER->ISPRINCIPAL("vie"));
  EXPECT_FALSE(GUERRIER->ISPRINCIPAL("def"));

  auto* MAGE = static_cast<cClasse*>(L.GET(1));
  EXPECT_EQ(MAGE->WISDOM.TOSTRING(), "3D6+2");
  EXPECT_EQ(MAGE->FCARACTSPRINC, (std::vector<bool>{false, false, false}));

  // Cut short by the end of the file: the missing lines read as empty.
  auto* ERRANT = static_cast<cClasse*>(L.GET(2));
  EXPECT_EQ(ERRANT->ENDURANCE.TOSTRING(), "1D6+0");
  EXPECT_EQ(ERRANT->WISDOM.TOSTRING(), "0D0+0");
  EXPECT_EQ(ERRANT->FCARACTSPRINC, (std::vector<bool>{false, false, false}));
}

TEST(Classes, UnknownPrincipalNamesAreIgnoredAndBadDiceReported) {
  cTempDir DIR;
  cChampionCaracts CARACTS(DIR);
  cClasse C;
  C.CARACTSPRINCFROMSTRING("magie-def");
  EXPECT_EQ(C.FCARACTSPRINC, (std::vector<bool>{false, true, false}));

  cListeClasses MISSING((DIR.PATH() / "none.zrk").string());
  EXPECT_FALSE(MISSING.LOADCLASSES());
  cListeClasses BAD(DIR.WRITE("bad.zrk", "#0:x\r\nendurance:zD6\r\nsagesse:1\r\ncaracts:none\r\n"));
  try {
    BAD.LOADCLASSES();
    FAIL() << "a bad dice loaded";
  } catch (const cLoadError& E) {
    EXPECT_NE(std::string(E.what()).find("bad.zrk, line 2"), std::string::npos) << E.what();
  }
}
