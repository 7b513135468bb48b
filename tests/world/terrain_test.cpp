#include "world/terrain.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/fixtures.h"

using testsupport::cTempDir;

TEST(Terrains, LoadsRecordsBetweenOtherTextWritesThemBackAndReportsBadOnes) {
  testsupport::cThreeRessources RESS;
  cTempDir DIR;
  cListeTerrains L(
      DIR.WRITE("terrains.zrk",
                "free text\r\n;comment\r\n"
                "#0:Plaine haute\r\nmove:1\r\ncar:.\r\nor:1D4\r\nbois:2d6+1\r\npierre:\r\n"
                "\r\nbetween records\r\n"
                "#1:lac:gele\r\nmove:300\r\ncar:~x\r\nx:3\r\ny:0D0+0\r\nz:1D1+2\r\n"));
  ASSERT_TRUE(L.LOADTERRAINS());
  ASSERT_EQ(L.COUNT(), 2);
  const cTerrain& LAC = *L.TERRAINAT(1);
  EXPECT_EQ(LAC.FNAME, "lac:gele");
  EXPECT_EQ(LAC.FNEEDMOVE, 300 % 256);
  EXPECT_EQ(LAC.FSIGN, "~");
  EXPECT_EQ(LAC.DICE(2).THRDICE(), 3);
  EXPECT_EQ(L.TERRAINAT(2), nullptr);

  // A search by name re-sorts the resources: the lines still follow their uids.
  ASSERT_NE(JEURESSOURCES->SEARCH("pierre"), nullptr);
  cBuffer B;
  L.TERRAINAT(0)->TOBUFFER(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"#0:Plaine haute", "move:1", "car:.", "or:1D4+0",
                                                 "bois:2D6+1", "pierre:0D0+0"}));
}

TEST(Terrains, ShippedFileFollowsTheShippedResources) {
  // The loader does not read the resource keys: they must follow the resources file.
  const std::string DATA = std::string(ROYAUMES_GAME_DIR) + "/data/";
  cListeRessources RESS(DATA + "ressources.zrk");
  ASSERT_TRUE(RESS.LOADRESSOURCES());
  const std::vector<std::string> LINES = cBuffer(DATA + "terrains.zrk").LINES();
  for (std::size_t I = 0; I < LINES.size(); ++I) {
    for (int32_t R = 0; !LINES[I].empty() && LINES[I][0] == '#' && R < RESS.COUNT(); ++R) {
      EXPECT_EQ(BEFORETOKEN(LINES.at(I + 3 + static_cast<std::size_t>(R)), ':'),
                RESS.SEARCH(R)->FNAME)
          << LINES[I];
    }
  }
}
