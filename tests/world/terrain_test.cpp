#include "world/terrain.h"

#include <gtest/gtest.h>

#include <set>

#include "base/errors.h"
#include "support/fixtures.h"

using testsupport::cScopedGlobal;
using testsupport::cTempDir;
using testsupport::cThreeRessources;

namespace {
cTerrain& TERRAIN(cListeTerrains& L, int32_t I) {
  return *static_cast<cTerrain*>(L.GET(I));
}
}  // namespace

TEST(Terrains, LoadsRecordsOfThreePlusOneLineEachSkippingOtherText) {
  cThreeRessources RESS;
  cTempDir DIR;
  cListeTerrains L(
      DIR.WRITE("terrains.zrk",
                "free text before the records\r\n"
                ";comment\r\n"
                "#0:Plaine haute\r\nmove:1\r\ncar:.\r\nor:1D4\r\nbois:2d6+1\r\npierre:\r\n"
                "\r\nbetween records\r\n"
                "#1:lac:gele\r\nmove:300\r\ncar:~x\r\nx:3\r\ny:0D0+0\r\nz:1D1+2\r\n"));
  ASSERT_TRUE(L.LOADTERRAINS());
  ASSERT_EQ(L.COUNT(), 2);

  const cTerrain& FIRST = TERRAIN(L, 0);
  EXPECT_EQ(FIRST.FUID, 0);
  EXPECT_EQ(FIRST.FNAME, "Plaine haute");
  EXPECT_EQ(FIRST.FNEEDMOVE, 1);
  EXPECT_EQ(FIRST.FSIGN, ".");
  ASSERT_EQ(FIRST.FDICERESS.size(), 3u);
  EXPECT_EQ(FIRST.FDICERESS[0].TOSTRING(), "1D4+0");
  EXPECT_EQ(FIRST.FDICERESS[1].TOSTRING(), "2D6+1");
  EXPECT_EQ(FIRST.FDICERESS[2].TOSTRING(), "0D0+0");

  // The second terrain is terrain 1; its resource keys are not looked at.
  const cTerrain& SECOND = *L.TERRAINAT(1);
  EXPECT_EQ(SECOND.FUID, 1);
  EXPECT_EQ(SECOND.FNAME, "lac:gele");
  EXPECT_EQ(SECOND.FNEEDMOVE, 300 % 256);
  EXPECT_EQ(SECOND.FSIGN, "~");
  EXPECT_EQ(SECOND.FDICERESS[0].TOSTRING(), "0D0+3");
  EXPECT_EQ(SECOND.DICE(2).THRDICE(), 3);
  EXPECT_EQ(L.TERRAINAT(2), nullptr);
  EXPECT_EQ(L.TERRAINAT(-1), nullptr);
}

TEST(Terrains, WrittenRecordReadsBackTheSame) {
  cThreeRessources RESS;
  cTerrain T;
  T.FUID = 4;
  T.FNAME = "Marais";
  T.FNEEDMOVE = 3;
  T.FSIGN = "~";
  T.FDICERESS[1] = cDice("2D6+5");
  // A search by name re-sorts the catalogue: resource lines still follow the uids.
  ASSERT_NE(JEURESSOURCES->SEARCH("pierre"), nullptr);
  cBuffer B;
  T.TOBUFFER(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"#4:Marais", "move:3", "car:~", "or:0D0+0",
                                                 "bois:2D6+5", "pierre:0D0+0"}));
  B.REWIND();
  cTerrain BACK;
  BACK.FROMBUFFER(B);
  EXPECT_EQ(BACK.FUID, 4);
  EXPECT_EQ(BACK.FNAME, "Marais");
  EXPECT_EQ(BACK.FNEEDMOVE, 3);
  EXPECT_EQ(BACK.FSIGN, "~");
  EXPECT_EQ(BACK.FDICERESS[1].TOSTRING(), "2D6+5");
}

TEST(Terrains, MissingFileAndMalformedRecordsAreReported) {
  cThreeRessources RESS;
  cTempDir DIR;
  cListeTerrains MISSING((DIR.PATH() / "none.zrk").string());
  EXPECT_FALSE(MISSING.LOADTERRAINS());

  const auto EXPECTLOADERROR = [&DIR](const std::string& TEXT, const std::string& PART) {
    cListeTerrains L(DIR.WRITE("bad.zrk", TEXT));
    try {
      L.LOADTERRAINS();
      ADD_FAILURE() << "loaded: " << TEXT;
    } catch (const cLoadError& E) {
      EXPECT_NE(std::string(E.what()).find(PART), std::string::npos) << E.what();
    }
  };
  EXPECTLOADERROR("#0:a\nmove:1\ncar:.\na:1\nb:1\nc:1\n#x:b\n", "bad.zrk, line 7: 'x'");
  EXPECTLOADERROR("#0:a\nmove:lent\ncar:.\na:1\nb:1\nc:1\n", "line 2: 'lent'");
  EXPECTLOADERROR("#0:a\nmove:1\ncar:\na:1\nb:1\nc:1\n", "line 3");
  EXPECTLOADERROR("#0:a\nmove:1\ncar:.\na:xD6\nb:1\nc:1\n", "line 4");
}

TEST(Terrains, ShippedFileLoadsWithShippedResources) {
  const std::string DATA = std::string(ROYAUMES_GAME_DIR) + "/data/";
  cScopedGlobal<cListeRessources> RESS(JEURESSOURCES,
                                       std::make_unique<cListeRessources>(DATA + "ressources.zrk"));
  ASSERT_TRUE(RESS->LOADRESSOURCES());
  cListeTerrains L(DATA + "terrains.zrk");
  ASSERT_TRUE(L.LOADTERRAINS());
  ASSERT_GE(L.COUNT(), 5);
  std::set<std::string> SIGNS;
  std::set<int> MOVES;
  for (int32_t I = 0; I < L.COUNT(); ++I) {
    const cTerrain& T = TERRAIN(L, I);
    EXPECT_EQ(T.FUID, I) << "terrains are numbered in file order";
    EXPECT_EQ(T.FSIGN.size(), 1u);
    SIGNS.insert(T.FSIGN);
    MOVES.insert(T.FNEEDMOVE);
    EXPECT_GE(T.FNEEDMOVE, 1);
    ASSERT_EQ(T.FDICERESS.size(), static_cast<std::size_t>(RESS->COUNT()));
  }
  EXPECT_EQ(SIGNS.size(), static_cast<std::size_t>(L.COUNT())) << "map signs must differ";
  EXPECT_GE(MOVES.size(), 3u);

  // The resource lines of every record follow the resources file.
  cBuffer TEXT(DATA + "terrains.zrk");
  for (const std::string& LINE : TEXT.LINES()) {
    if (!LINE.empty() && LINE[0] == '#') {
      const auto FIRST = std::find(TEXT.LINES().begin(), TEXT.LINES().end(), LINE);
      for (int32_t R = 0; R < RESS->COUNT(); ++R) {
        EXPECT_EQ(BEFORETOKEN(*(FIRST + 3 + R), ':'), RESS->SEARCH(R)->FNAME) << LINE;
      }
    }
  }
}
