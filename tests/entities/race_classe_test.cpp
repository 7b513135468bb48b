#include <gtest/gtest.h>

#include "entities/race.h"
#include "support/fixtures.h"

TEST(Races, LoadInFileOrderListInUidOrderAndCutLongNames) {
  testsupport::cTempDir DIR;
  cListeRaces L(DIR.WRITE("races.zrk", "#2:Orques\r\n#0:humains\r\n#1:" + std::string(50, 'x')));
  ASSERT_TRUE(L.LOADRACES());
  EXPECT_EQ(L.GET(0)->FNAME, "Orques");
  L.SORT(sSortByUID);
  cBuffer MENU;
  L.TOBUFFER(MENU);
  EXPECT_EQ(MENU.LINES(), (std::vector<std::string>{"nbLines:3", "0:humains",
                                                    "1:" + std::string(37, 'x'), "2:Orques"}));
}
