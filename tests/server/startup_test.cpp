#include "server/startup.h"

#include <gtest/gtest.h>

#include "support/game_in_play.h"
#include "tavern/tavern.h"

namespace fs = std::filesystem;
using Startup = testsupport::cGameInPlay;

TEST_F(Startup, MissingRulesOrABadWorldStopItNamingTheFileAndOtherMissingFilesDoNot) {
  // NAME holding TEXT (removed when empty); WHERE: what the error names, "" for a start.
  const std::tuple<const char*, std::string, const char*> CASES[] = {
      {"data/ressources.zrk", "", "data/ressources.zrk"},
      {"data/terrains.zrk", "", "data/terrains.zrk"},
      {"data/caractHeros.zrk", "", "data/caractHeros.zrk"},
      {"data/caractMonst.zrk", "", "data/caractMonst.zrk"},
      {"data/caractBat.zrk", "", "data/caractBat.zrk"},
      // Without these, the catalogues are empty.
      {"players/accounts.zrk", "", ""},
      {"data/races.zrk", "", ""},
      {"data/Classes.zrk", "", ""},
      {"data/Creatures.zrk", "", ""},
      {"data/Batiments.zrk", "", ""},
      {"data/heros.zrk", "", ""},
      // A world file of the wrong size is not replaced by a new world.
      {"data/world.wld", std::string(13, '\0'), "data/world.wld"},
  };
  for (const auto& [NAME, TEXT, WHERE] : CASES) {
    const fs::path PATH = GAME.DIR.PATH() / NAME;
    const fs::path KEPT = PATH.string() + ".kept";
    const bool SHIPPED = fs::exists(PATH);
    if (SHIPPED) {
      fs::rename(PATH, KEPT);
    }
    if (!TEXT.empty()) {
      GAME.DIR.WRITE(NAME, TEXT);
    }
    const std::string ERROR = RESTART();
    EXPECT_EQ(ERROR.empty(), *WHERE == '\0') << NAME << ": " << ERROR;
    EXPECT_NE(ERROR.find(WHERE), std::string::npos) << NAME << ": " << ERROR;
    if (!TEXT.empty()) {
      EXPECT_EQ(fs::file_size(PATH), TEXT.size()) << NAME << " was left as it was";
    }
    fs::remove(PATH);
    if (SHIPPED) {
      fs::rename(KEPT, PATH);
    }
  }
}

TEST_F(Startup, TheTavernFilledBeforeThePlayersOffersNoChampionALoadedPlayerHolds) {
  std::string HEROS;
  for (int I = 0; I < 4; ++I) {
    HEROS += "#" + std::to_string(I) + "\nh" + std::to_string(I) +
             "\nrace:\nclass:\ncaracts:scout:1\nressNec:0\nressMaintient:0\nressProduite:0\n";
  }
  GAME.DIR.WRITE("data/heros.zrk", HEROS);
  // Zoe holds h2, which the tavern takes with the three others before she is read.
  GAME.DIR.WRITE("players/zoe.plr",
                 "#0\nname:zoe\nnbTurns:0\navailTurns:200\nrace:\ncapital:0/0/0/0/0\n"
                 "[towns]\nnbLines:0\n[under construction]\nnbLines:0\n[troops]\nnbLines:0\n"
                 "[under recruitement]\nnbLines:0\n[champions]\nnbLines:1\n"
                 "#2\nh2\nrace:\nclass:\ncaracts:scout:1\nressNec:0\nressMaintient:0\n"
                 "ressProduite:0\nplayer:zoe\ningame\nexp:0\nniveau:0\nposition:3,3\nmoveTo:-1,-1\n"
                 "endUnits\n[MAP]\ncount:0\n\n");
  ASSERT_EQ(RESTART(), "");
  ASSERT_EQ(JEUJOUEURS->COUNT(), 1);
  ASSERT_EQ(JEUTAVERN->COUNT(), 3);
  for (int32_t I = 0; I < 3; ++I) {
    EXPECT_NE(JEUTAVERN->ITEM(I)->FUID, 2);
  }
  EXPECT_EQ(JEUCHAMPIONS->FIND(2)->STATE, sChampionInGame);
}
