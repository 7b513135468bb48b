#include "world/terrain.h"

#include <gtest/gtest.h>

#include "support/fixtures.h"

using testsupport::cTempDir;

TEST(Terrains, LoadsRecordsBetweenOtherTextAndWritesThemBackInResourceOrder) {
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
