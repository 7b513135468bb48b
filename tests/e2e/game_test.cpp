// Black-box tests of play: building, recruiting, orders and turns, spoken to
// the real server over TCP.

#include <cstdio>

#include "e2e_support.h"

using namespace e2e;

namespace {

// A test on a fresh server with the meadows world, whose player is in play.
class Game : public Server {
 protected:
  void SetUp() override {
    WRITEMEADOWS(DIR.PATH());
    Server::SetUp();
    C = Connect();
    C->SEND("alice\r\nSecret\r\n");
    EXPECT_EQ(C->LINES(3), (Lines{"mot de passe", "en jeu", "Race :"}));
    const Lines RECORD = ChooseRace(*C, "0");
    std::sscanf(VALUEOF(RECORD, "position:").c_str(), "%d,%d", &X, &Y);
    // The champion's record comes after "[champions]", its count and "#id".
    const auto AT = std::find(RECORD.begin(), RECORD.end(), "[champions]");
    ASSERT_LT(AT + 3, RECORD.end());
    NAME = *(AT + 3);
    CHAMPION = NAME;
    for (char& CH : CHAMPION) {
      CH = static_cast<char>(std::toupper(static_cast<unsigned char>(CH)));
    }
  }
  Lines ASK(const std::string& COMMAND) {
    C->SEND(COMMAND + "\r\n");
    return UNTILEND(*C);
  }
  std::string AT() const { return std::to_string(X) + "," + std::to_string(Y); }
  // One resource of the player's stock (0: gold, 1: wood ...).
  int STOCK(int RESOURCE) {
    const Lines R = ASK("GET RESSOURCES");
    int V[5] = {};
    std::sscanf(R.at(1).c_str(), "%d/%d/%d/%d/%d", &V[0], &V[1], &V[2], &V[3], &V[4]);
    return V[RESOURCE];
  }

  std::unique_ptr<cConnection> C;
  int X = 0;
  int Y = 0;
  // The champion's name, and as a command names it.
  std::string NAME;
  std::string CHAMPION;
};

}  // namespace

TEST_F(Game, ANewPlayerBuildsRecruitsMovesItsTroopsAndItsChampionAndProduces) {
  EXPECT_EQ(ASK("BUILD BOURG " + AT()),
            (Lines{"RETURN BUILD BATIMENT", "BUILD BOURG AT " + AT(), "END RETURN"}));
  EXPECT_TRUE(HAS(ASK("TURN 4"), "#INFO: Nouveau batiment bourg \xE0 " + AT()));
  EXPECT_EQ(ASK("GET BUILDINGS"), (Lines{"RETURN BUILDINGS", "nbLines:1", "#0", "bourg:0",
                                         "position:" + AT(), "END RETURN"}));
  EXPECT_EQ(ASK("RECRUIT AVAIL " + AT()),
            (Lines{"RETURN RECRUIT AVAIL", "#0:milicien", "END RETURN"}));
  EXPECT_EQ(ASK("RECRUIT 1 MILICIEN " + AT()),
            (Lines{"RETURN RECRUIT TROOPS", "RECRUIT MILICIEN AT " + AT(), "END RETURN"}));
  ASK("BUILD SCIERIE " + AT());
  const Lines LOG = ASK("TURN 3");
  EXPECT_TRUE(HAS(LOG, "#INFO: Nouvelle(s) troupe(s) 1 milicien \xE0 " + AT()));
  EXPECT_TRUE(HAS(LOG, "#INFO: Nouveau batiment scierie \xE0 " + AT()));
  const Lines TOWN{"RETURN TROOPS",    "nbLines:1",    "#0",        "milicien:0",
                   "position:" + AT(), "nbTroupes:10", "END RETURN"};
  EXPECT_EQ(ASK("GET TROOPS"), TOWN);

  // Into the champion's army, and back.
  EXPECT_EQ(ASK("ORDER " + CHAMPION + " GET #0"), (Lines{"RETURN ORDER COMMAND", "END RETURN"}));
  EXPECT_EQ(ASK("GET TROOPS"), (Lines{"RETURN TROOPS", "nbLines:0", "END RETURN"}));
  const Lines ARMY = ASK("GET CHAMPIONS");
  EXPECT_TRUE(HAS(ARMY, "milicien:0") && HAS(ARMY, "position:-1,-1") && HAS(ARMY, "line:1"));
  ASK("ORDER " + CHAMPION + " DROP 1,1");
  EXPECT_EQ(ASK("GET TROOPS"), TOWN);

  // The sawmill takes 2 wood from each square of the 3 x 3 block around it
  // (each holds 10) and yields 1 per square; the town pays 40 gold a turn.
  int SQUARES = 0;
  for (int DX = -1; DX <= 1; ++DX) {
    for (int DY = -1; DY <= 1; ++DY) {
      SQUARES += (X + DX >= 1 && X + DX <= 10 && Y + DY >= 1 && Y + DY <= 10) ? 1 : 0;
    }
  }
  const int WOOD = STOCK(1);
  const int GOLD = STOCK(0);
  ASK("TURN 1");
  EXPECT_EQ(STOCK(1), WOOD + SQUARES);
  EXPECT_EQ(STOCK(0), GOLD + 40);

  // Three squares away on meadows: there within a few turns.
  const int TX = X <= 5 ? X + 3 : X - 3;
  const std::string TARGET = std::to_string(TX) + "," + std::to_string(Y);
  C->SEND("ORDER " + CHAMPION + " MOVE " + TARGET + "\r\n");
  EXPECT_EQ(C->LINES(4),
            (Lines{"RETURN ORDER MOVE", "END RETURN", "RETURN ORDER COMMAND", "END RETURN"}));
  EXPECT_EQ(VALUEOF(ASK("GET CHAMPIONS"), "moveTo:"), TARGET);
  const std::string FIRSTSTEP = std::to_string(X <= 5 ? X + 1 : X - 1) + "," + std::to_string(Y);
  EXPECT_TRUE(HAS(ASK("TURN 3"), "Deplacement de " + NAME + " : " + AT() + " -> " + FIRSTSTEP));
  const Lines MOVED = ASK("GET CHAMPIONS");
  EXPECT_EQ(VALUEOF(MOVED, "position:"), TARGET);
  EXPECT_EQ(VALUEOF(MOVED, "moveTo:"), "-1,-1");
}

TEST_F(Game, EveryRefusalOfTheOrdersIsALineOfItsBlock) {
  const std::vector<std::pair<std::string, Lines>> CASES{
      {"BUILD", {"RETURN BUILD HELP", "BUILD [BAT_NAME] [X,Y]", "END RETURN"}},
      {"BUILD BOURG 3 4",
       {"RETURN BUILD BATIMENT", "ERREUR DE COMMANDE: BUILD [NOM] [X,Y]", "END RETURN"}},
      {"BUILD PALAIS 3,4", {"RETURN BUILD BATIMENT", "NOM DE BATIMENT INVALIDE", "END RETURN"}},
      {"RECRUIT",
       {"RETURN RECRUIT HELP", "RECRUIT AVAIL [X,Y]", "RECRUIT [NB_TROOPS] [NAME_TROOP] [X,Y]",
        "END RETURN"}},
      {"RECRUIT MILICIEN 3,4", {"RETURN RECRUIT TROOPS", "ERREUR DE COMMANDE", "END RETURN"}},
      {"RECRUIT 2 DRAGON 3,4", {"RETURN RECRUIT TROOPS", "NOM D'UNITE INVALIDE", "END RETURN"}},
      {"ORDER NOBODY MOVE 3,4", {"ERROR: CHAMPION UNKNOWN", "END RETURN"}},
      {"ORDER NOBODY HELP",
       {"RETURN ORDER HELP", "ORDER [CHAMPION] MOVE [X,Y]", "ORDER [CHAMPION] GET #[NUM_TROOP]",
        "ORDER [CHAMPION] GET #[NUM_TROOP] [NUM_LINE]",
        "ORDER [CHAMPION] DROP [X_POS_TROOP_INARMY,Y_POS_TROOP_INARMY,]", "END RETURN"}},
  };
  for (const auto& [COMMAND, REPLY] : CASES) {
    C->SEND(COMMAND + "\r\n");
    EXPECT_EQ(C->LINES(REPLY.size()), REPLY) << COMMAND;
  }
  EXPECT_TRUE(C->SILENT());
}

TEST_F(Game, TheTwoHundredTurnsRunOutWithOneErrorLinePerTurnCommand) {
  const Lines FIRST = ASK("TURN 199");
  ASSERT_GE(FIRST.size(), 2u);
  EXPECT_EQ(FIRST[FIRST.size() - 2], "Turn: 199  / avail 1");
  const Lines LAST = ASK("TURN 2000000000");
  ASSERT_GE(LAST.size(), 3u);
  EXPECT_EQ(Lines(LAST.end() - 3, LAST.end()),
            (Lines{"Turn: 200  / avail 0", "ERREUR: Pas de tour disponible", "END RETURN"}));
  const Lines AGAIN = ASK("TURN 5");
  EXPECT_EQ(std::count(AGAIN.begin(), AGAIN.end(), "ERREUR: Pas de tour disponible"), 2);
  EXPECT_EQ(AGAIN.size(), LAST.size() + 1);
}
