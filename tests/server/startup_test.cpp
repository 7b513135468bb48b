#include "server/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/errors.h"
#include "entities/account.h"
#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "entities/ressource.h"
#include "forces/batiment.h"
#include "forces/champion.h"
#include "forces/creature.h"
#include "players/joueur.h"
#include "protocol/interpreter.h"
#include "server/client.h"
#include "support/fixtures.h"
#include "tavern/tavern.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;

// INITGAME from a copy of the shipped game; FREEGAME always runs at the end.
struct Startup : ::testing::Test {
  ~Startup() override { FREEGAME(); }

  // The message of the load error INITGAME raises, or "" when it raises none.
  std::string StartError() {
    try {
      INITGAME();
    } catch (const cLoadError& E) {
      return E.what();
    }
    return "";
  }

  void Write(const std::string& NAME, const std::string& TEXT) {
    std::ofstream OUT(GAME.DIR.PATH() / NAME, std::ios::binary | std::ios::trunc);
    OUT << TEXT;
  }

  testsupport::cShippedGameDir GAME;
};

}  // namespace

TEST_F(Startup, LoadsEveryGlobalOfTheShippedGame) {
  ASSERT_EQ(StartError(), "");
  EXPECT_GT(JEUACCOUNTS->COUNT(), 0);
  EXPECT_GE(JEURESSOURCES->COUNT(), 4);
  EXPECT_GE(JEUTERRAINS->COUNT(), 5);
  EXPECT_GE(JEURACES->COUNT(), 3);
  EXPECT_GT(CARACTSCHAMPIONS->COUNT(), 0);
  EXPECT_GT(CARACTSCREATURES->COUNT(), 0);
  EXPECT_GT(CARACTSBATIMENTS->COUNT(), 0);
  EXPECT_GE(JEUCLASSES->COUNT(), 3);
  EXPECT_GE(JEUCREATURES->COUNT(), 8);
  EXPECT_GE(JEUBATIMENTS->COUNT(), 10);
  EXPECT_GE(JEUCHAMPIONS->COUNT(), 24);
  ASSERT_TRUE(JEUTAVERN);
  EXPECT_EQ(JEUTAVERN->COUNT(), 4);
  ASSERT_TRUE(WORLDMAP);
  EXPECT_TRUE(WORLDMAP->ISEMPTY());
  EXPECT_TRUE(CLIENTS);
  EXPECT_TRUE(BUF);
  FREEGAME();
  EXPECT_FALSE(JEUACCOUNTS);
  EXPECT_FALSE(JEURESSOURCES);
  EXPECT_FALSE(WORLDMAP);
  EXPECT_FALSE(JEUCHAMPIONS);
  EXPECT_FALSE(JEUTAVERN);
  EXPECT_FALSE(BUF);
}

TEST_F(Startup, TheTavernFilledBeforeThePlayersOffersNoChampionALoadedPlayerHolds) {
  std::string HEROS;
  for (int I = 0; I < 4; ++I) {
    HEROS += "#" + std::to_string(I) + "\nh" + std::to_string(I) +
             "\nrace:\nclass:\ncaracts:scout:1\nressNec:0\nressMaintient:0\nressProduite:0\n";
  }
  Write("data/heros.zrk", HEROS);
  // Zoe holds h2, which the tavern takes with the three others before she is read.
  Write("players/zoe.plr",
        "#0\nname:zoe\nnbTurns:0\navailTurns:200\nrace:\ncapital:0/0/0/0/0\n"
        "[towns]\nnbLines:0\n[under construction]\nnbLines:0\n[troops]\nnbLines:0\n"
        "[under recruitement]\nnbLines:0\n[champions]\nnbLines:1\n"
        "#2\nh2\nrace:\nclass:\ncaracts:scout:1\nressNec:0\nressMaintient:0\n"
        "ressProduite:0\nplayer:zoe\ningame\nexp:0\nniveau:0\nposition:3,3\nmoveTo:-1,-1\n"
        "endUnits\n[MAP]\ncount:0\n\n");
  ASSERT_EQ(StartError(), "");
  ASSERT_EQ(JEUJOUEURS->COUNT(), 1);
  ASSERT_EQ(JEUTAVERN->COUNT(), 3);
  for (int32_t I = 0; I < 3; ++I) {
    EXPECT_NE(JEUTAVERN->ITEM(I)->FUID, 2);
  }
  EXPECT_EQ(JEUCHAMPIONS->FIND(2)->STATE, sChampionInGame);
}

TEST_F(Startup, CatalogueFilesWithoutWhichTheGameCannotRunStopIt) {
  for (const char* NAME : {"data/ressources.zrk", "data/terrains.zrk", "data/caractHeros.zrk",
                           "data/caractMonst.zrk", "data/caractBat.zrk"}) {
    const fs::path PATH = GAME.DIR.PATH() / NAME;
    const fs::path AWAY = PATH.string() + ".away";
    fs::rename(PATH, AWAY);
    const std::string ERROR = StartError();
    FREEGAME();
    fs::rename(AWAY, PATH);
    EXPECT_NE(ERROR.find(NAME), std::string::npos) << NAME << ": " << ERROR;
  }
}

TEST_F(Startup, OtherMissingFilesGiveEmptyCatalogues) {
  for (const char* NAME : {"players/accounts.zrk", "data/races.zrk", "data/Classes.zrk",
                           "data/Creatures.zrk", "data/Batiments.zrk", "data/heros.zrk"}) {
    fs::remove(GAME.DIR.PATH() / NAME);
  }
  ASSERT_EQ(StartError(), "");
  EXPECT_EQ(JEUACCOUNTS->COUNT(), 0);
  EXPECT_EQ(JEURACES->COUNT(), 0);
  EXPECT_EQ(JEUCLASSES->COUNT(), 0);
  EXPECT_EQ(JEUCREATURES->COUNT(), 0);
  EXPECT_EQ(JEUBATIMENTS->COUNT(), 0);
  EXPECT_EQ(JEUCHAMPIONS->COUNT(), 0);
}

TEST_F(Startup, ABadNumberNamesTheFileTheLineAndTheText) {
  Write("players/accounts.zrk", "1;demo;demo;null;M;e;0\n2;x;y;2026-02-30 00:00:00;M;e;0\n");
  std::string ERROR = StartError();
  EXPECT_NE(ERROR.find("players/accounts.zrk"), std::string::npos) << ERROR;
  EXPECT_NE(ERROR.find("line 2"), std::string::npos) << ERROR;
  EXPECT_NE(ERROR.find("2026-02-30 00:00:00"), std::string::npos) << ERROR;
  FREEGAME();

  fs::copy_file(fs::path(ROYAUMES_GAME_DIR) / "players/accounts.zrk",
                GAME.DIR.PATH() / "players/accounts.zrk", fs::copy_options::overwrite_existing);
  Write("data/races.zrk", "#0:humains\r\n#un:elfes\r\n");
  ERROR = StartError();
  EXPECT_NE(ERROR.find("data/races.zrk, line 2"), std::string::npos) << ERROR;
  EXPECT_NE(ERROR.find("'un'"), std::string::npos) << ERROR;
}

TEST_F(Startup, CataloguesIndexedByIdentifierNumberTheirRecordsInFileOrder) {
  const struct {
    const char* NAME;
    std::string TEXT;
    const char* WHERE;
  } CASES[] = {
      {"data/ressources.zrk", "; c\n#1:or\n#2:bois\n", "data/ressources.zrk, line 2: '#1:or'"},
      {"data/terrains.zrk", "#1:prairie\nmove:1\ncar:.\nor:1\nbois:1\npierre:1\nfer:1\ncristal:1\n",
       "data/terrains.zrk, line 1: '#1:prairie'"},
      {"data/caractHeros.zrk", "#1:attaque-att\n",
       "data/caractHeros.zrk, line 1: '#1:attaque-att'"},
      {"data/caractMonst.zrk", "; c\n#1:attaque-att\n#2:vol-fly\n",
       "data/caractMonst.zrk, line 2: '#1:attaque-att'"},
      {"data/caractBat.zrk", "#0:fondation-hernec\n#2:exploitation-exploit\n",
       "data/caractBat.zrk, line 2: '#2:exploitation-exploit'"}};
  for (const auto& C : CASES) {
    Write(C.NAME, C.TEXT);
    const std::string ERROR = StartError();
    FREEGAME();
    fs::copy_file(fs::path(ROYAUMES_GAME_DIR) / C.NAME, GAME.DIR.PATH() / C.NAME,
                  fs::copy_options::overwrite_existing);
    EXPECT_NE(ERROR.find(C.WHERE), std::string::npos) << C.NAME << ": " << ERROR;
  }
}

TEST_F(Startup, AWorldFileOfTheWrongSizeStopsIt) {
  Write("data/world.wld", std::string(13, '\0'));
  const std::string ERROR = StartError();
  EXPECT_NE(ERROR.find("data/world.wld"), std::string::npos) << ERROR;
  EXPECT_EQ(fs::file_size(GAME.DIR.PATH() / "data/world.wld"), 13u);
}
