#include "protocol/get.h"

#include <gtest/gtest.h>

#include "base/console.h"
#include "entities/ressource.h"
#include "forces/batiment.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "protocol/interpreter.h"
#include "server/startup.h"
#include "support/fixtures.h"
#include "world/world.h"

namespace {

// A client in play on the shipped game.
class Get : public ::testing::Test {
 protected:
  Get() {
    INITGAME();
    C.LOGON("demo");
    C.CHGSTATE(CON_PLAYING);
  }
  ~Get() override { FREEGAME(); }

  std::string Run(const std::string& LINE) {
    C.CLEAROUTPUT();
    C.FCOMMAND = LINE;
    INTERPRETER(C);
    return C.OUTPUT();
  }

  // The reply's lines, without their CR LF.
  std::vector<std::string> Lines(const std::string& LINE) {
    const std::string OUT = Run(LINE);
    std::vector<std::string> R;
    std::size_t START = 0;
    while (START < OUT.size()) {
      const auto END = OUT.find("\r\n", START);
      R.push_back(OUT.substr(START, END - START));
      START = END + 2;
    }
    return R;
  }

  testsupport::cShippedGameDir GAME;
  cConsoleCapture CONSOLELINES;
  cSession C;
};

}  // namespace

TEST_F(Get, HelpBlocks) {
  const auto HELP = Lines("GET");
  ASSERT_EQ(HELP.size(), 21u);
  EXPECT_EQ(HELP.front(), "RETURN GET HELP");
  EXPECT_EQ(HELP[1], "GET GAME [KEYWORD]");
  EXPECT_EQ(HELP[15], "SQUARE [X,Y]");
  EXPECT_EQ(HELP.back(), "END RETURN");
  EXPECT_EQ(Lines("get help"), HELP);

  const auto GAMEHELP = Lines("GET GAME");
  EXPECT_EQ(GAMEHELP,
            (std::vector<std::string>{"RETURN GET GAME HELP", "GET GAME RESSOURCES",
                                      "GET GAME RACES", "GET GAME LANDS", "GET GAME CLASSES",
                                      "GET GAME TROOP [ID_TROOP]", "END RETURN"}));
  EXPECT_EQ(Lines("GET GAME HELP"), GAMEHELP);
  // Letters glued to GAME leave nothing after it: the game help.
  EXPECT_EQ(Lines("GET GAMES"), GAMEHELP);
}

TEST_F(Get, GridAnswersUnderTheRacesHeader) {
  EXPECT_EQ(Lines("get game grid"),
            (std::vector<std::string>{"RETURN GAME RACES", "WIDTH:10", "HEIGHT:10", "END RETURN"}));
}

TEST_F(Get, CataloguesAreWrittenAsListRecords) {
  const auto RESS = Lines("GET GAME RESSOURCES");
  ASSERT_GE(RESS.size(), 4u);
  EXPECT_EQ(RESS[0], "RETURN GAME RESSOURCES");
  EXPECT_EQ(RESS[1], "nbLines:" + std::to_string(JEURESSOURCES->COUNT()));
  EXPECT_EQ(RESS.back(), "END RETURN");
  EXPECT_EQ(RESS.size(), static_cast<std::size_t>(JEURESSOURCES->COUNT()) + 3);

  for (const auto& [KEYWORD, HEADER] : {std::pair{"RACES", "RETURN GAME RACES"},
                                        {"LANDS", "RETURN GAME LANDS"},
                                        {"CLASSES", "RETURN GAME CLASSES"}}) {
    const auto R = Lines(std::string("GET GAME ") + KEYWORD);
    ASSERT_GE(R.size(), 3u) << KEYWORD;
    EXPECT_EQ(R[0], HEADER);
    EXPECT_EQ(R[1].rfind("nbLines:", 0), 0u) << R[1];
    EXPECT_EQ(R.back(), "END RETURN");
  }
}

TEST_F(Get, TroopInfosOfACreature) {
  cMobile* FIRST = JEUCREATURES->GET(0);
  cBuffer EXPECTED;
  FIRST->TOBUFFER(EXPECTED);
  const auto R = Lines("GET GAME TROOP #" + std::to_string(FIRST->FUID));
  ASSERT_EQ(R.size(), EXPECTED.LINES().size() + 2);
  EXPECT_EQ(R.front(), "RETURN TROOP INFOS");
  EXPECT_EQ(std::vector<std::string>(R.begin() + 1, R.end() - 1), EXPECTED.LINES());
  EXPECT_EQ(R.back(), "END RETURN");

  EXPECT_EQ(Lines("GET GAME TROOP #9999"),
            (std::vector<std::string>{"RETURN TROOP INFOS", "END RETURN"}));
  EXPECT_EQ(Run("GET GAME TROOP 1"), "");
  EXPECT_EQ(Run("GET GAME TROOP #X"), "");
}

TEST_F(Get, UnknownKeywordsAnswerNothing) {
  for (const char* LINE :
       {"GET GAME NOTHING", "GET NOTHING", "GET GAME RESSOURCES X", "GETGAME", "GET  GAME RACES"}) {
    EXPECT_EQ(Run(LINE), "") << LINE;
  }
}

TEST_F(Get, PlayerQueriesAnswerAboutTheClientsOwnPlayer) {
  WORLDMAP->CREATEWORLD();
  auto J = std::make_unique<cJoueur>();
  ASSERT_TRUE(J->NEWPLAYER());
  J->FNAME = "demo";
  C.FJOUEUR = JEUJOUEURS->ADD(std::move(J));
  cJoueur& P = *C.FJOUEUR;

  cBuffer RECORD;
  P.TOBUFFER(RECORD);
  const auto ALL = Lines("GET ALL");
  ASSERT_EQ(ALL.size(), RECORD.LINES().size() + 2);
  EXPECT_EQ(ALL.front(), "RETURN PLAYER INFOS");
  EXPECT_EQ(std::vector<std::string>(ALL.begin() + 1, ALL.end() - 1), RECORD.LINES());

  EXPECT_EQ(Lines("GET RESSOURCES"),
            (std::vector<std::string>{"RETURN PLAYER RESSOURCES", "3000/3000/3000/3000/3000",
                                      "END RETURN"}));
  // The shortened command of GET GAME also matches the player's query.
  const auto BOTH = Lines("GET GAME RESSOURCES");
  ASSERT_EQ(BOTH.size(), 8u + 3u);
  EXPECT_EQ(BOTH[8], "RETURN PLAYER RESSOURCES");
  EXPECT_EQ(Run("GET GAME TROOPS"), Run("GET TROOPS"));
  EXPECT_EQ(Lines("GET TROOPS"),
            (std::vector<std::string>{"RETURN TROOPS", "nbLines:0", "END RETURN"}));
  const auto CHAMPIONS = Lines("GET CHAMPIONS");
  EXPECT_EQ(CHAMPIONS[1], "nbLines:1");

  P.OUTPUT.WRITELN("first");
  P.OUTPUT.WRITELN("second");
  const std::vector<std::string> LOG{"RETURN LOG", "first", "second", "END RETURN"};
  EXPECT_EQ(Lines("GET LOG"), LOG);
  EXPECT_EQ(Lines("GET LOG"), LOG);
  EXPECT_EQ(Run("GET LOGS"), "");
  EXPECT_EQ(Lines("GET MAP").front(), "RETURN MAP");
}

TEST_F(Get, MapVisibilityAndTavernRowsAnswerUnderTheirHeaders) {
  WORLDMAP->CREATEWORLD();
  for (const auto& [I, TERRAIN] : {std::pair{12, 0}, {13, 1}}) {
    WORLDMAP->GETSQUARE(I)->TYPETERRAIN = static_cast<int8_t>(TERRAIN);
    WORLDMAP->GETSQUARE(I)->RESSDISPO = {7, 0, 0, 0, 9};
  }
  cJoueur& P = *JEUJOUEURS->ADD(std::make_unique<cJoueur>(0, "demo"));
  C.FJOUEUR = &P;
  cJoueur& ZED = *JEUJOUEURS->ADD(std::make_unique<cJoueur>(1, "zed"));
  P.CARTE.MAP = {{12, 13}};
  P.VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("bourg"), COORDMAP(2, 2));
  P.TROUPES->WIZARD(JEUCREATURES->SEARCHCREATURE("milicien"), 3, JEUCREATURES.get(),
                    COORDMAP(3, 2));
  auto ENEMY = std::make_unique<cChampionPosition>(JEUCHAMPIONS->CHOOSERANDOM());
  const std::string SEEN = "Champion " + ENEMY->FNAME + " (zed) visible a 3,2";
  auto UNHELD = ENEMY->ASSIGNPLAYER(&ZED);
  cChampionPosition::TOMAP(ENEMY, COORDMAP(3, 2), false);

  using tLines = std::vector<std::string>;
  const tLines MAPPED{"RETURN KNOWN MAPPED SQUARES", "12", "(*", ".f", "*)", "END RETURN"};
  const tLines SQUARES{"RETURN KNOWN SQUARES", "#12 (2,2)", "terrain:0",
                       "ressource:7/0/0/0/9",  "#13 (3,2)", "terrain:1",
                       "ressource:7/0/0/0/9",  "END RETURN"};
  const std::vector<std::pair<std::string, tLines>> CASES{
      {"GET TROOPS VISIBLES",
       {"RETURN VISIBLE TROOPS", "Creature milicien (demo) visible a 3,2", "END RETURN"}},
      {"GET BUILDINGS VISIBLES",
       {"RETURN VISIBLE BUILDINGS", "Batiment bourg (demo) visible a 2,2", "END RETURN"}},
      {"GET CHAMPIONS VISIBLES", {"RETURN VISIBLE CHAMPIONS", SEEN, "END RETURN"}},
      {"GET ENEMY  CHAMPIONS", {"RETURN VISIBLE ENEMIES CHAMPIONS", SEEN, "END RETURN"}},
      {"GET ENEMY TROOPS", {"RETURN VISIBLE ENEMIES TROOPS", "END RETURN"}},
      {"GET ENEMY BUILDINGS", {"RETURN VISIBLE ENEMIES BUILDINGS", "END RETURN"}},
      {"GET SQUARES", SQUARES},
      {"GET GAME SQUARES", SQUARES},
      {"GET MAPPED", MAPPED},
      {"GET SQUARE 3,2",
       {"RETURN KNOWN SQUARES", "#13 (3,2)", "terrain:1", "ressource:7/0/0/0/9", "END RETURN"}},
      {"GET SQUARE 5,5",
       {"RETURN KNOWN SQUARES", "ERROR: PLAYER DON'T KNOWN THIS SQUARE", "END RETURN"}},
      {"GET SQUARE 3 2", {}},
      {"GET ENEMIES TROOPS", {}},
  };
  for (const auto& [COMMAND, EXPECTED] : CASES) {
    EXPECT_EQ(Lines(COMMAND), EXPECTED) << COMMAND;
  }

  // Four offers of the shipped champions, all of level 0, nobody bidding yet.
  const auto TAVERN = Lines("GET TAVERN");
  ASSERT_EQ(TAVERN.size(), 2u + 4u * 5u);
  EXPECT_EQ(TAVERN.front(), "RETURN TAVERN");
  EXPECT_EQ(TAVERN.back(), "END RETURN");
  for (std::size_t I = 1; I + 1 < TAVERN.size(); I += 5) {
    EXPECT_EQ(TAVERN[I][0], '#');
    EXPECT_EQ(tLines(TAVERN.begin() + static_cast<std::ptrdiff_t>(I) + 2,
                     TAVERN.begin() + static_cast<std::ptrdiff_t>(I) + 5),
              (tLines{"no player", "turnBeforeSold:20", "price:500"}));
  }
}
