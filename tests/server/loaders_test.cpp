#include <gtest/gtest.h>

#include <filesystem>

#include "base/errors.h"
#include "server/startup.h"
#include "support/fixtures.h"

namespace {

namespace fs = std::filesystem;

// The message of the load error INITGAME raises, or "" when it raises none.
std::string StartError() {
  std::string ERROR;
  try {
    INITGAME(1);
  } catch (const cLoadError& E) {
    ERROR = E.what();
  }
  FREEGAME();
  return ERROR;
}

const std::string PLAYER =
    "#0\nname:alice\nnbTurns:0\navailTurns:200\nrace:Plainiers\ncapital:0/0/0/0/0\n"
    "[towns]\nnbLines:0\n[under construction]\nnbLines:0\n[troops]\nnbLines:0\n"
    "[under recruitement]\nnbLines:0\n[champions]\nnbLines:0\n[MAP]\ncount:0\n";

// PLAYER with its first FROM replaced by TO.
std::string PlayerWith(const std::string& FROM, const std::string& TO) {
  std::string TEXT = PLAYER;
  return TEXT.replace(TEXT.find(FROM), FROM.size(), TO);
}

// A building record of 11 lines whose turns are TURNS.
std::string Building(int UID, const std::string& TURNS = "4") {
  return "#" + std::to_string(UID) + "\nb" + std::to_string(UID) +
         "\nrace:Plainiers\nbatNec:none\nturns:" + TURNS +
         "\ncaracts:exploit:1\nressNec:1/0/0/0/0\nressTerrain:0/0/0/0/0\n"
         "ressJoueur:0/0/0/0/0\nressProd:0/0/0/0/0\nrecruit:none\n";
}

// The end of the message of a record at POSITION that gives identifier UID.
std::string Order(int UID, int POSITION) {
  return " gives identifier " + std::to_string(UID) + " where its place in the file gives " +
         std::to_string(POSITION) + " (records are numbered 0, 1, 2... in order)";
}

}  // namespace

// Every file the start reads, on a record it cannot use, stops the start with
// one line naming the file, the line and the text (the world file: its size),
// and leaves the file as it was.
TEST(Loaders, ABadRecordStopsTheStartNamingFileLineAndText) {
  const std::string NOTNUMBER = "' is not a valid number";
  const std::string NOTBUILDING = " gives building identifier ";
  const std::string BADNAME = "' is not a name a player file can have";
  const struct {
    const char* FILE;
    std::string TEXT;
    std::string MESSAGE;
  } CASES[] = {
      {"players/alice.plr", PLAYER, ""},  // the files the other rows start from load
      {"players/accounts.zrk", "1;demo;demo;null;M;e;0\n2;x;y;2026-02-30 00:00:00;M;e;0\n",
       "players/accounts.zrk, line 2: '2026-02-30 00:00:00" + NOTNUMBER},
      {"data/ressources.zrk", "#0:or\n#x1:bois\n", "data/ressources.zrk, line 2: 'x1" + NOTNUMBER},
      {"data/ressources.zrk", "#0:or\n\n#1:bois\n", "data/ressources.zrk, line 2: '" + NOTNUMBER},
      {"data/ressources.zrk", "; c\n#1:or\n#2:bois\n",
       "data/ressources.zrk, line 2: '#1:or'" + Order(1, 0)},
      {"data/terrains.zrk", "#1:prairie\nmove:1\ncar:.\n",
       "data/terrains.zrk, line 1: '#1:prairie'" + Order(1, 0)},
      {"data/terrains.zrk", "#0:a\nmove:lent\ncar:.\n",
       "data/terrains.zrk, line 2: 'lent" + NOTNUMBER},
      {"data/terrains.zrk", "#0:a\nmove:1\ncar:\n",
       "data/terrains.zrk, line 3: 'car:' gives no map sign"},
      {"data/terrains.zrk", "#0:a\nmove:1\ncar:.\nor:xD6\n",
       "data/terrains.zrk, line 4: 'X" + NOTNUMBER},
      {"data/races.zrk", "#0:humains\r\n#un:elfes\r\n", "data/races.zrk, line 2: 'un" + NOTNUMBER},
      {"data/caractHeros.zrk", "#1:attaque-att\n",
       "data/caractHeros.zrk, line 1: '#1:attaque-att'" + Order(1, 0)},
      {"data/caractMonst.zrk", "; c\n#0:attaque-att\n#b:vol-fly\n",
       "data/caractMonst.zrk, line 3: 'b" + NOTNUMBER},
      {"data/caractBat.zrk", "#0:fondation-hernec\n#2:exploitation-exploit\n",
       "data/caractBat.zrk, line 2: '#2:exploitation-exploit'" + Order(2, 1)},
      {"data/Classes.zrk", "#0:guerrier\nendurance:2D6\nsagesse:1D4+q\n",
       "data/Classes.zrk, line 3: 'Q" + NOTNUMBER},
      {"data/Creatures.zrk", "; c\n#0\narcher\nrace:Plainiers\nturns:deux\n",
       "data/Creatures.zrk, line 5: 'deux" + NOTNUMBER},
      {"data/Creatures.zrk", "#0\narcher\nrace:Plainiers\nturns:2\nnbUnites:-3\n",
       "data/Creatures.zrk, line 5: '-3' creatures per troop cannot be negative"},
      {"data/Batiments.zrk", Building(0) + Building(0),
       "data/Batiments.zrk, line 12: '#0'" + NOTBUILDING + "0, not one of 0 to 1 used once"},
      {"data/Batiments.zrk", Building(0) + Building(2),
       "data/Batiments.zrk, line 12: '#2'" + NOTBUILDING + "2, not one of 0 to 1 used once"},
      {"data/Batiments.zrk", Building(1),
       "data/Batiments.zrk, line 1: '#1'" + NOTBUILDING + "1, not one of 0 to 0 used once"},
      {"data/Batiments.zrk", Building(0) + Building(1, "-2"),
       "data/Batiments.zrk, line 16: '-2' turns for building b1: the number cannot be negative"},
      {"data/Batiments.zrk", Building(0, "x"), "data/Batiments.zrk, line 5: 'x" + NOTNUMBER},
      {"data/heros.zrk", "#0\naldric\nrace:Plainiers\nclass:guerrier\ncaracts:att:x\n",
       "data/heros.zrk, line 5: 'x" + NOTNUMBER},
      // Read only when the initial file is gone; the tavern's lines follow a
      // champion on offer and carry its identifier.
      {"data/inGameHeros.zrk", "; c\n#y\n", "data/inGameHeros.zrk, line 2: 'y" + NOTNUMBER},
      // The world file is bytes: its size must be whole squares, enough of them.
      {"data/world.wld", std::string(13, '\0'),
       "World file data/world.wld: 13 bytes is not a whole number of squares of 11 bytes (was it "
       "made with other resources?)"},
      {"data/world.wld", std::string(50 * 11, '\0'),
       "World file data/world.wld: 50 squares of 11 bytes are too few for the 10x10 map"},
      {"players/alice.plr", PlayerWith("availTurns:200", "availTurns:2x0"),
       "players/alice.plr, line 4: '2x0" + NOTNUMBER},
      // The name becomes the file's path at the next save.
      {"players/alice.plr", PlayerWith("name:alice", "name:../x"),
       "players/alice.plr, line 2: 'name:../x" + BADNAME},
      {"players/alice.plr", PlayerWith("name:alice", "name:a\\b"),
       "players/alice.plr, line 2: 'name:a\\b" + BADNAME},
      // Two players of one name would be saved into one file.
      {"players/copy.plr", PlayerWith("#0", "#7"),
       "players/copy.plr, line 2: 'name:alice' is the name of a player of another file"},
      {"players/alice.plr", PlayerWith("[champions]\nnbLines:0", "[champions]\nnbLines:1\n#42"),
       "players/alice.plr, line 17: '#42' is not a champion of the catalogue"},
  };
  for (const auto& C : CASES) {
    testsupport::cShippedGameDir CASE;
    CASE.DIR.WRITE("players/alice.plr", PLAYER);
    if (std::string(C.FILE) == "data/inGameHeros.zrk") {
      fs::remove("data/heros.zrk");
    }
    CASE.DIR.WRITE(C.FILE, C.TEXT);
    EXPECT_EQ(StartError(), C.MESSAGE) << C.FILE;
    EXPECT_EQ(testsupport::READFILE(C.FILE), C.TEXT) << C.FILE;
    EXPECT_FALSE(fs::exists("x.plr"));
  }
}
