// Black-box tests of play: building, recruiting, orders and turns, spoken to
// the real server over TCP.

#include <cstdio>
#include <map>
#include <tuple>

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

namespace {

// The squares a champion on (X, Y) that scouts S squares around it makes known:
// columns X0..X1 of rows Y0..Y1, cut at the edges of the map.
struct tBlock {
  int X0, X1, Y0, Y1;
  tBlock(int X, int Y, int S)
      : X0(std::max(1, X - S)),
        X1(std::min(10, X + S)),
        Y0(std::max(1, Y - S)),
        Y1(std::min(10, Y + S)) {}
};

// The "scout:" value of a champion's "caracts:" line.
int SCOUTOF(const Lines& CHAMPIONS) {
  const std::string CARACTS = VALUEOF(CHAMPIONS, "caracts:");
  const auto AT = CARACTS.find("scout:");
  return AT == std::string::npos ? -1 : std::atoi(CARACTS.c_str() + AT + 6);
}

// The names of the shipped champions by identifier: the line after each "#id".
std::map<int, std::string> SHIPPEDCHAMPIONS() {
  std::map<int, std::string> R;
  std::istringstream IN(ReadFile(fs::path(ROYAUMES_GAME_DIR) / "data" / "heros.zrk"));
  std::string LINE;
  while (std::getline(IN, LINE)) {
    if (!LINE.empty() && LINE.back() == '\r') {
      LINE.pop_back();
    }
    if (LINE.size() > 1 && LINE[0] == '#') {
      std::string NAME;
      std::getline(IN, NAME);
      if (!NAME.empty() && NAME.back() == '\r') {
        NAME.pop_back();
      }
      R[std::atoi(LINE.c_str() + 1)] = NAME;
    }
  }
  return R;
}

}  // namespace

TEST_F(Game, ANewPlayerKnowsTheSquaresAroundItsChampionAndTheTavernOpensAtItsPrices) {
  const int S = SCOUTOF(ASK("GET CHAMPIONS"));
  ASSERT_GE(S, 1);
  const tBlock B(X, Y, S);
  // One run per row of the block, every square a meadow holding 10 of each resource.
  Lines MAPPED{"RETURN KNOWN MAPPED SQUARES"};
  Lines SQUARES{"RETURN KNOWN SQUARES"};
  for (int ROW = B.Y0; ROW <= B.Y1; ++ROW) {
    MAPPED.insert(MAPPED.end(),
                  {std::to_string((ROW - 1) * 10 + B.X0), "(*",
                   std::string(static_cast<std::size_t>(B.X1 - B.X0 + 1), '.'), "*)"});
    for (int COL = B.X0; COL <= B.X1; ++COL) {
      SQUARES.insert(SQUARES.end(), {"#" + std::to_string((ROW - 1) * 10 + COL) + " (" +
                                         std::to_string(COL) + "," + std::to_string(ROW) + ")",
                                     "terrain:0", "ressource:10/10/10/10/10"});
    }
  }
  MAPPED.push_back("END RETURN");
  SQUARES.push_back("END RETURN");
  EXPECT_EQ(ASK("GET MAPPED"), MAPPED);
  EXPECT_EQ(ASK("GET SQUARES"), SQUARES);

  // A blank instead of the comma answers nothing: the next reply is the square's.
  C->SEND("GET SQUARE 3 4\r\n");
  EXPECT_EQ(
      ASK("GET SQUARE " + AT()),
      (Lines{"RETURN KNOWN SQUARES", "#" + std::to_string((Y - 1) * 10 + X) + " (" + AT() + ")",
             "terrain:0", "ressource:10/10/10/10/10", "END RETURN"}));
  const std::string FAR = std::to_string(X <= 5 ? 10 : 1) + "," + std::to_string(Y <= 5 ? 10 : 1);
  EXPECT_EQ(ASK("GET SQUARE " + FAR),
            (Lines{"RETURN KNOWN SQUARES", "ERROR: PLAYER DON'T KNOWN THIS SQUARE", "END RETURN"}));

  // Four champions of the catalogue, by identifier, none of them the player's.
  const Lines TAVERN = ASK("GET TAVERN");
  ASSERT_EQ(TAVERN.size(), 22u);
  EXPECT_EQ(TAVERN.front(), "RETURN TAVERN");
  const auto NAMES = SHIPPEDCHAMPIONS();
  int PREVIOUS = -1;
  for (std::size_t I = 1; I < 21; I += 5) {
    const int UID = std::atoi(TAVERN[I].c_str() + 1);
    EXPECT_GT(UID, PREVIOUS);
    PREVIOUS = UID;
    EXPECT_EQ(Lines(TAVERN.begin() + static_cast<std::ptrdiff_t>(I),
                    TAVERN.begin() + static_cast<std::ptrdiff_t>(I) + 5),
              (Lines{"#" + std::to_string(UID), NAMES.count(UID) ? NAMES.at(UID) : "?", "no player",
                     "turnBeforeSold:20", "price:500"}));
    EXPECT_NE(TAVERN[I + 1], NAME);
  }
}

TEST_F(Game, AnotherPlayersChampionIsSeenOnlyOnASquareThePlayerKnows) {
  const Lines OWN = ASK("GET CHAMPIONS");
  const int S = SCOUTOF(OWN);
  ASSERT_TRUE(S >= 1 && S < 5) << "a far corner must stay unknown";
  const int OWNUID = std::atoi(OWN.at(2).c_str() + 1);
  // Bob, saved while the server was stopped, has a champion next to Alice's
  // and one in the far corner of the map.
  ASSERT_EQ(SERVER->STOP(), 0);
  const std::string NEAR = std::to_string(X < 10 ? X + 1 : X - 1) + "," + std::to_string(Y);
  const std::string FAR = std::to_string(X <= 5 ? 10 : 1) + "," + std::to_string(Y <= 5 ? 10 : 1);
  const int NEARUID = OWNUID == 0 ? 1 : 0;
  const int FARUID = OWNUID == 2 ? 3 : 2;
  std::string BOB =
      "#1\nname:bob\nnbTurns:0\navailTurns:200\nrace:\ncapital:3000/3000/3000/3000/3000\n"
      "[towns]\nnbLines:0\n[under construction]\nnbLines:0\n[troops]\nnbLines:0\n"
      "[under recruitement]\nnbLines:0\n[champions]\nnbLines:2\n";
  for (const auto& [UID, NAMEOF, WHERE] :
       {std::tuple{NEARUID, "guetteur", NEAR}, std::tuple{FARUID, "errant", FAR}}) {
    BOB += "#" + std::to_string(UID) + "\n" + NAMEOF +
           "\nrace:\nclass:\ncaracts:depl:3-scout:1\nressNec:0/0/0/0/0\n"
           "ressMaintient:0/0/0/0/0\nressProduite:0/0/0/0/0\nplayer:bob\ningame\nexp:0\n"
           "niveau:0\nposition:" +
           WHERE + "\nmoveTo:-1,-1\nendUnits\n";
  }
  BOB += "[MAP]\ncount:0\n\n";
  std::ofstream(DIR.PATH() / "players" / "bob.plr", std::ios::binary) << BOB;
  SERVER = std::make_unique<cServerProcess>(DIR.PATH());
  ASSERT_TRUE(SERVER->WAITLOG("Server is listening")) << SERVER->LOG();
  C = Connect();
  C->SEND("alice\r\nSecret\r\n");
  EXPECT_EQ(C->LINES(2), (Lines{"mot de passe", "en jeu"}));

  const std::string SEEN = "Champion guetteur (bob) visible a " + NEAR;
  EXPECT_EQ(ASK("GET CHAMPIONS VISIBLES"),
            (Lines{"RETURN VISIBLE CHAMPIONS", "Champion " + NAME + " (Alice) visible a " + AT(),
                   SEEN, "END RETURN"}));
  EXPECT_EQ(ASK("GET ENEMY  CHAMPIONS"),
            (Lines{"RETURN VISIBLE ENEMIES CHAMPIONS", SEEN, "END RETURN"}));
  // The tavern, filled before the players were read, offers none of their champions.
  const Lines TAVERN = ASK("GET TAVERN");
  ASSERT_EQ(TAVERN.size(), 22u);
  for (std::size_t I = 1; I < 21; I += 5) {
    const int UID = std::atoi(TAVERN[I].c_str() + 1);
    EXPECT_TRUE(UID != OWNUID && UID != NEARUID && UID != FARUID) << UID;
  }
}

TEST_F(Game, AReplyLongerThanTheOutputBoundReachesAClientThatReads) {
  // 5000 constructions waiting for their payments list as some 370 KB, more
  // than the output bound of 256 KB.
  const int N = 5000;
  std::string MANY;
  for (int I = 0; I < N; ++I) {
    MANY += "BUILD BOURG " + AT() + "\r\n";
  }
  std::thread WRITER([this, &MANY] { C->SEND(MANY + "GET CONSTRUCTIONS\r\n"); });
  int ECHOED = 0;
  for (int I = 0; I < N; ++I) {
    ECHOED += C->LINES(3) == Lines{"RETURN BUILD BATIMENT", "BUILD BOURG AT " + AT(), "END RETURN"};
  }
  WRITER.join();
  EXPECT_EQ(ECHOED, N);
  EXPECT_EQ(C->LINE(), "RETURN CONSTRUCTIONS");
  int LISTED = 0;
  std::string L;
  for (L = C->LINE(); L != "END RETURN" && L != "<timeout>"; L = C->LINE()) {
    LISTED += L == "position:" + AT();
  }
  EXPECT_EQ(L, "END RETURN");
  EXPECT_EQ(LISTED, N);
  C->SEND("server whoami\r\n");
  EXPECT_EQ(C->LINE(), "Alice");
}
