#include "protocol/get.h"

#include <gtest/gtest.h>

#include "support/game_in_play.h"

namespace {

using tLines = std::vector<std::string>;

// Player demo in play on squares 12 (2,2: terrain 0) and 13 (3,2: terrain 1),
// with a town on 2,2 and militia on 3,2, where zed's champion stands too.
class Get : public testsupport::cGameInPlay {
 protected:
  Get() {
    for (const auto& [I, TERRAIN] : {std::pair{12, 0}, {13, 1}}) {
      WORLDMAP->GETSQUARE(I)->TYPETERRAIN = static_cast<int8_t>(TERRAIN);
      WORLDMAP->GETSQUARE(I)->RESSDISPO = {7, 0, 0, 0, 9};
    }
    cJoueur& P = *PLAY(BAREPLAYER("demo"));
    P.CARTE.MAP = {{12, 13}};
    P.VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("bourg"), COORDMAP(2, 2));
    P.TROUPES->WIZARD(JEUCREATURES->SEARCHCREATURE("milicien"), 3, JEUCREATURES.get(),
                      COORDMAP(3, 2));
    HERO(BAREPLAYER("zed"), "zorn", "scout:1", 0, 3, 2);
  }
};

}  // namespace

TEST_F(Get, EachQueryAnswersUnderItsHeaderAndOtherWordingsNothing) {
  // Other wordings of queries the guide plays answer the same. Letters glued
  // to GAME leave nothing after it: the game help.
  for (const auto& [LINE, SAME] : {std::pair{"get help", "GET"},
                                   {"GET GAME HELP", "GET GAME"},
                                   {"GET GAMES", "GET GAME"},
                                   {"GET GAME TROOPS", "GET TROOPS"},
                                   {"GET GAME SQUARES", "GET SQUARES"}}) {
    EXPECT_EQ(RUN(LINE), RUN(SAME)) << LINE;
  }
  const std::vector<std::pair<std::string, tLines>> CASES{
      {"GET GAME TROOP #9999", {"RETURN TROOP INFOS", "END RETURN"}},
      {"GET BUILDINGS VISIBLES",
       {"RETURN VISIBLE BUILDINGS", "Batiment bourg (demo) visible a 2,2", "END RETURN"}},
      {"GET ENEMY  CHAMPIONS",
       {"RETURN VISIBLE ENEMIES CHAMPIONS", "Champion zorn (zed) visible a 3,2", "END RETURN"}},
      {"GET ENEMY TROOPS", {"RETURN VISIBLE ENEMIES TROOPS", "END RETURN"}},
      {"GET ENEMY BUILDINGS", {"RETURN VISIBLE ENEMIES BUILDINGS", "END RETURN"}},
      {"GET SQUARES",
       {"RETURN KNOWN SQUARES", "#12 (2,2)", "terrain:0", "ressource:7/0/0/0/9", "#13 (3,2)",
        "terrain:1", "ressource:7/0/0/0/9", "END RETURN"}},
  };
  for (const auto& [COMMAND, EXPECTED] : CASES) {
    EXPECT_EQ(LINES(COMMAND), EXPECTED) << COMMAND;
  }
  for (const char* NOTHING : {"GET GAME TROOP 1", "GET GAME TROOP #X", "GET SQUARE 3 2",
                              "GET ENEMIES TROOPS", "GET LOGS"}) {
    EXPECT_EQ(RUN(NOTHING), "") << NOTHING;
  }
  const std::string ALL = RUN("GET ALL");
  EXPECT_EQ(ALL.rfind("RETURN PLAYER INFOS\r\n#0\r\nname:demo\r\n", 0), 0u) << ALL;
  EXPECT_TRUE(ALL.ends_with("\r\nEND RETURN\r\n")) << ALL;
}
