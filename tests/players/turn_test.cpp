#include <gtest/gtest.h>

#include <sstream>

#include "protocol/interpreter.h"
#include "support/game_in_play.h"

namespace {

using tRess = std::vector<uint16_t>;  // or, bois, pierre, fer, cristal

// The five stocks of TEXT ("1/2/3/4/5").
tRess Ress(const std::string& TEXT) {
  tRess R;
  std::istringstream IN(TEXT);
  for (std::string V; std::getline(IN, V, '/');) {
    R.push_back(static_cast<uint16_t>(std::stoi(V)));
  }
  return R;
}

const char* const NOTURN = "ERREUR: Pas de tour disponible";

// Player alice with nothing in stock.
class Turns : public testsupport::cGameInPlay {
 protected:
  Turns() { J->WIZCAPITAL(0); }

  // A building of the catalogue with the values given in the file's forms;
  // each turn of its construction costs GOLD.
  static cBatiment* Building(const std::string& CARACTS, const std::string& TERRAIN,
                             const std::string& JOUEUR, const std::string& PROD, uint16_t GOLD = 0,
                             cCreature* RECRUIT = nullptr) {
    auto B = std::make_unique<cBatiment>();
    B->FUID = JEUBATIMENTS->FINDAVAILUID();
    B->PRELOADING(false);
    B->FNBTOURSNEC = 1;
    B->FCARACTS.FROMSTRING(CARACTS);
    B->RESSSURTERRAIN.FROMSTRING(TERRAIN);
    B->RESSSURJOUEUR.FROMSTRING(JOUEUR);
    B->RESSPRODUITES.FROMSTRING(PROD);
    B->FRESSPARTOUR.CTRLRESSTOUR[0] = tAssocRessTour{GOLD, 0, 1};
    B->FRECRUIT = RECRUIT;
    return JEUBATIMENTS->ADD(std::move(B));
  }

  cJoueur* J = NEWPLAYER("alice");
};

}  // namespace

TEST_F(Turns, RecruitmentsThenConstructionsPayBeforeTheBuildingsProduce) {
  const tcoordMap HOME = J->CHAMPIONS->ITEM(0)->FPOSITION;
  auto C = std::make_unique<cCreature>();
  C->FUID = JEUCREATURES->FINDAVAILUID();
  C->FNAME = "recrue";
  C->FNBTOURSNEC = 1;
  C->FNBUNITS = 1;
  C->FRESSPARTOUR.CTRLRESSTOUR[0] = tAssocRessTour{40, 0, 1};
  cCreature* RECRUE = JEUCREATURES->ADD(std::move(C));
  cBatiment* HALL = Building("none", "0/0/0/0/0", "40/0/0/0/0", "0/0/0/0/0", 0, RECRUE);
  cBatiment* SHOP = Building("none", "0/0/0/0/0", "7/0/0/0/0", "0/0/0/0/0", 40);
  J->VILLES->WIZARDBATIMENT(HALL, HOME);
  ASSERT_EQ(J->RECRUTEMENTS->BUILDNEWCREATURE(1, RECRUE, HOME), sBuildOK);
  ASSERT_EQ(J->CONSTRUCTIONS->BUILDNEWBATIMENT(SHOP, HOME), sBuildOK);
  J->SETGOLD(40);

  // The 40 in stock go to the recruitment; the construction waits; the hall
  // then pays 40.
  J->PASSTURN();
  EXPECT_EQ(J->TROUPES->COUNT(), 1);
  EXPECT_EQ(J->CONSTRUCTIONS->COUNT(), 1);
  EXPECT_EQ(J->GETGOLD(), 40);
  // The shop, paid and finished, pays its 7 in the turn it stands.
  J->PASSTURN();
  EXPECT_EQ(J->CONSTRUCTIONS->COUNT(), 0);
  EXPECT_EQ(J->GETGOLD(), 47);
}

TEST_F(Turns, BuildingsExploitTheGroundAroundThemOrPayThePlayerUpTo65535) {
  // Buildings ("caracts taken-from-each-square paid-to-the-player yield X Y");
  // every square's deposit, the stock before and after, then the deposit left
  // on some squares ("X Y deposit").
  const std::pair<std::vector<std::string>, std::string> CASES[] = {
      // The exploit buildings of a square pool their takings and yields over the largest range.
      {{"exploit:2 0/1/0/0/0 0/0/0/0/0 0/3/0/0/0 5 5",
        "exploit:1 0/2/0/0/0 0/0/0/0/0 0/1/0/0/0 5 5"},
       "10/10/10/10/10 0/0/0/0/0 0/100/0/0/0  3 3 10/7/10/10/10  7 7 10/7/10/10/10  2 5 "
       "10/10/10/10/10"},
      // A square holding less than the taking gives nothing of it and keeps it.
      {{"exploit:0 0/5/0/0/0 0/0/0/0/0 0/2/1/0/0 4 6"},
       "0/3/0/0/0 0/0/0/0/0 0/0/1/0/0  4 6 0/3/0/0/0"},
      {{"exploit:0 0/5/0/0/0 0/0/0/0/0 0/2/1/0/0 4 6"},
       "0/5/0/0/0 0/0/0/0/0 0/2/1/0/0  4 6 0/0/0/0/0"},
      // Each square exploits its own ground; the towns end in square order.
      {{"exploit:0 0/0/0/0/1 0/0/0/0/0 0/0/0/0/5 7 7",
        "exploit:0 0/0/0/2/0 0/0/0/0/0 0/0/0/3/0 2 2"},
       "4/4/4/4/4 0/0/0/0/0 0/0/0/3/5  2 2 4/4/4/2/4  7 7 4/4/4/4/3"},
      // Other buildings pay the player directly and take nothing from the ground.
      {{"exploit:0 0/2/0/0/0 0/0/0/0/0 0/1/0/0/0 3 8", "none 5/5/5/5/5 10/0/0/0/0 0/0/3/0/0 3 8"},
       "9/9/9/9/9 0/0/0/0/0 10/1/3/0/0  3 8 9/7/9/9/9"},
      {{"none 0/0/0/0/0 10/0/0/0/0 0/0/0/0/0 5 5", "exploit:1 0/0/0/0/0 0/0/0/0/0 0/1/0/0/0 5 5",
        "exploit:0 0/0/0/0/0 0/0/0/0/0 0/0/40000/0/0 8 8",
        "exploit:0 0/0/0/0/0 0/0/0/0/0 0/0/40000/0/0 8 8"},
       "0/0/0/0/0 65530/65530/0/65530/65530 65535/65535/65535/65530/65530"},
  };
  for (const auto& [BUILDINGS, STOCKS] : CASES) {
    J->VILLES->CLEAR();
    for (const std::string& B : BUILDINGS) {
      std::istringstream IN(B);
      std::string CARACTS, TERRAIN, JOUEUR, PROD;
      int32_t X = 0, Y = 0;
      IN >> CARACTS >> TERRAIN >> JOUEUR >> PROD >> X >> Y;
      J->VILLES->WIZARDBATIMENT(Building(CARACTS, TERRAIN, JOUEUR, PROD), COORDMAP(X, Y));
    }
    std::istringstream IN(STOCKS);
    std::string GROUND, BEFORE, AFTER;
    IN >> GROUND >> BEFORE >> AFTER;
    for (int32_t I = 1; I <= 100; ++I) {
      WORLDMAP->GETSQUARE(I)->RESSDISPO = Ress(GROUND);
    }
    J->CAPITAL.RESSOURCE = Ress(BEFORE);
    J->EXPLOITRESSOURCES();
    EXPECT_EQ(J->CAPITAL.RESSOURCE, Ress(AFTER)) << BUILDINGS[0];
    int32_t X = 0, Y = 0;
    for (std::string DEPOSIT; IN >> X >> Y >> DEPOSIT;) {
      EXPECT_EQ(WORLDMAP->GETSQUARE(X, Y)->RESSDISPO, Ress(DEPOSIT)) << X << "," << Y;
    }
    for (int32_t I = 1; I < J->VILLES->COUNT(); ++I) {
      EXPECT_LE(MAP2INDEX(J->VILLES->ITEM(I - 1)->FPOSITION),
                MAP2INDEX(J->VILLES->ITEM(I)->FPOSITION));
    }
  }
}

TEST_F(Turns, TurnPlaysTheTurnsLeftThenRefusesOnceAndTheLogKeepsItsNewestLines) {
  PLAY(J);
  EXPECT_EQ(RUN("turn -3"), "TURN PASSED\r\nEND RETURN\r\n");
  const std::vector<std::string> ALL = LINES("TURN 2000000000");
  ASSERT_EQ(ALL.size(), 203u);
  EXPECT_EQ(ALL[1], "Turn: 1  / avail 199");
  EXPECT_EQ(ALL[200], "Turn: 200  / avail 0");
  EXPECT_EQ(ALL[201], NOTURN);
  EXPECT_EQ(LINES("TURN 5").size(), 204u) << "one refusal more";
  // A player that keeps asking: the log keeps its newest lines, and every
  // reply stays that size.
  for (int32_t I = 0; I < MAXLOGLINES; ++I) {
    RUN("TURN 1");
  }
  EXPECT_EQ(J->OUTPUT.READCOUNT(), MAXLOGLINES);
  EXPECT_EQ(J->OUTPUT.LINES().front(), NOTURN) << "the turn lines were the oldest";
  EXPECT_EQ(RUN("TURN 1").size(), std::string("TURN PASSED\r\nEND RETURN\r\n").size() +
                                      MAXLOGLINES * (std::string(NOTURN).size() + 2));
}
