#include "server/startup.h"

#include <gtest/gtest.h>

#include "support/game_in_play.h"
#include "tavern/tavern.h"

namespace fs = std::filesystem;
using Startup = testsupport::cGameInPlay;

TEST_F(Startup, MissingRulesStopItNamingTheFileAndOtherMissingFilesDoNot) {
  // Without one of the first five the start stops, naming it; without one of
  // the others the start goes on with an empty catalogue.
  const char* const FILES[] = {"data/ressources.zrk",  "data/terrains.zrk",  "data/caractHeros.zrk",
                               "data/caractMonst.zrk", "data/caractBat.zrk", "players/accounts.zrk",
                               "data/races.zrk",       "data/Classes.zrk",   "data/Creatures.zrk",
                               "data/Batiments.zrk",   "data/heros.zrk"};
  for (std::size_t I = 0; I < std::size(FILES); ++I) {
    const fs::path PATH = GAME.DIR.PATH() / FILES[I];
    fs::rename(PATH, PATH.string() + ".kept");
    const std::string ERROR = RESTART();
    EXPECT_TRUE(I < 5 ? ERROR.find(FILES[I]) != std::string::npos : ERROR.empty())
        << FILES[I] << ": " << ERROR;
    fs::rename(PATH.string() + ".kept", PATH);
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
  for (int32_t I = 0; I < JEUTAVERN->COUNT(); ++I) {
    EXPECT_NE(JEUTAVERN->ITEM(I)->FUID, 2);
  }
  EXPECT_EQ(JEUCHAMPIONS->FIND(2)->STATE, sChampionInGame);
}
