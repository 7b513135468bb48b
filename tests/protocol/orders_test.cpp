#include "protocol/orders.h"

#include <gtest/gtest.h>

#include "base/strutils.h"
#include "support/game_in_play.h"

namespace {

// Player demo in play with its champion on HOME.
class Orders : public testsupport::cGameInPlay {
 protected:
  cJoueur* P = PLAY(NEWPLAYER("demo"));
  cChampionPosition* HERO = P->CHAMPIONS->ITEM(0);
  tcoordMap HOME = HERO->FPOSITION;
  std::string NAME = UPPERCASE(HERO->FNAME);
};

}  // namespace

TEST_F(Orders, EachOrderAnswersItsBlockWhetherOrNotItIsCarriedOutAndTheLogSays) {
  // The helps the guide shows answer under their other wordings too.
  for (const auto& [LINE, SAME] : {std::pair<std::string, std::string>{"build help", "BUILD"},
                                   {"ORDER HELP", "ORDER"},
                                   {"ORDER X HELP", "ORDER"},
                                   {"ORDER " + NAME, "ORDER"},
                                   {"RECRUIT HELP", "RECRUIT"}}) {
    EXPECT_EQ(RUN(LINE), RUN(SAME)) << LINE;
  }
  // Any command may change the player: the next save pass looks at it.
  P->TAKECHANGES();
  RUN("BUILD HELP");
  EXPECT_TRUE(P->MARKED());
  // Two bourgs recruit the same creature: it comes twice. Sawmills recruit nothing.
  for (const char* B : {"bourg", "scierie", "caserne", "bourg"}) {
    P->VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT(B), COORDMAP(1, 2));
  }
  P->VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("caserne"), COORDMAP(2, 2));
  ASSERT_TRUE(HOME != COORDMAP(1, 2) && HOME != COORDMAP(2, 2)) << "no town where the champion is";
  const std::string AT = COORDTOSTRING(HOME);
  const char* const AVAIL = "RETURN RECRUIT AVAIL";
  const char* const RECRUIT = "RETURN RECRUIT TROOPS";
  const char* const BUILD = "RETURN BUILD BATIMENT";
  const char* const COMMAND = "RETURN ORDER COMMAND";
  // The line, its reply up to END RETURN, and what it writes to the log.
  const std::tuple<std::string, std::vector<std::string>, std::vector<std::string>> CASES[] = {
      {"RECRUIT",
       {"RETURN RECRUIT HELP", "RECRUIT AVAIL [X,Y]", "RECRUIT [NB_TROOPS] [NAME_TROOP] [X,Y]"},
       {}},
      {"BUILD BOURG 3,4,5", {BUILD, "ERREUR DE COMMANDE: BUILD [NOM] [X,Y]"}, {}},
      {"RECRUIT 2 DRAGON 3,4", {RECRUIT, "NOM D'UNITE INVALIDE"}, {}},
      {"RECRUIT MILICIEN 3,4", {RECRUIT, "ERREUR DE COMMANDE"}, {}},
      {"RECRUIT AVAIL 3 4", {RECRUIT, "ERREUR DE COMMANDE"}, {}},
      {"ORDER NOBODY GET #1", {"ERROR: CHAMPION UNKNOWN"}, {}},
      {"ORDER " + NAME + " DANCE", {COMMAND}, {}},
      {"ORDER " + NAME + " MOVE 3 4", {COMMAND}, {}},
      {"ORDER " + NAME + " MOVE 0,5",
       {"RETURN ORDER MOVE", "END RETURN", COMMAND},
       {"ERROR: INVALID COORDS"}},
      {"RECRUIT AVAIL 1,2", {AVAIL, "#0:milicien", "#1:piquier", "#0:milicien"}, {}},
      {"RECRUIT AVAIL 2,2", {AVAIL, "#1:piquier"}, {}},
      {"RECRUIT AVAIL 2,1", {AVAIL}, {}},
      {"RECRUIT AVAIL 11,1", {AVAIL}, {}},  // would be read as 1,2
      {"RECRUIT AVAIL 1999999999,1999999999", {AVAIL}, {}},
      {"RECRUIT 2 PIQUIER 2,2",
       {RECRUIT, "RECRUIT PIQUIER AT 2,2"},
       {"#INFO: d\xE9marrage recrutement 2 troupes de piquier \xE0 2,2"}},
      {"RECRUIT 1 MILICIEN 11,1",
       {RECRUIT, "RECRUIT MILICIEN AT 11,1"},
       {"#INFO: recrutement milicien impossible \xE0 11,1"}},
      // The sawmill needs a bourg on its square.
      {"BUILD SCIERIE " + AT,
       {BUILD, "BUILD SCIERIE AT " + AT},
       {"#INFO: construction scierie impossible \xE0 " + AT}},
      {"BUILD BOURG 11,1",
       {BUILD, "BUILD BOURG AT 11,1"},
       {"#INFO: construction bourg impossible \xE0 11,1"}},
      {"BUILD BOURG +99999,-99999",
       {BUILD, "BUILD BOURG AT 99999,-99999"},
       {"#INFO: construction bourg impossible \xE0 32767,-32768"}},
  };
  for (const auto& [LINE, REPLY, LOG] : CASES) {
    P->OUTPUT.CLEAR();
    std::vector<std::string> EXPECTED = REPLY;
    EXPECTED.emplace_back("END RETURN");
    EXPECT_EQ(LINES(LINE), EXPECTED) << LINE;
    EXPECT_EQ(P->OUTPUT.LINES(), LOG) << LINE;
  }
  EXPECT_EQ(HERO->ENDMOVE, COORDMAP(-1, -1));
  EXPECT_EQ(P->CONSTRUCTIONS->COUNT(), 0);
  EXPECT_EQ(P->RECRUTEMENTS->COUNT(), 1);
}
