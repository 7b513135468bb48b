// Black-box test of a battle: two players over TCP, one champion sent onto
// the other's square.

#include <cstdio>

#include "e2e_support.h"

using namespace e2e;

namespace {

// One player in play on the meadows world, with its champion.
struct tPlayer {
  std::unique_ptr<cConnection> C;
  std::string NAME;  // as the game writes it
  int X = 0;
  int Y = 0;
  std::string CHAMPION;  // as a command names it
  int ATT = 0;           // the champion's attack and defence
  int DEF = 0;

  Lines ASK(const std::string& COMMAND) {
    C->SEND(COMMAND + "\r\n");
    return UNTILEND(*C);
  }
  std::string AT() const { return std::to_string(X) + "," + std::to_string(Y); }
  // The lines of the player's log from the first opening of a battle up to,
  // and without, the first line for which STOP is true.
  template <class PRED>
  Lines REPORT(PRED STOP) {
    const Lines LOG = ASK("GET LOG");
    auto FROM = std::find_if(LOG.begin(), LOG.end(),
                             [](const std::string& L) { return L.rfind("Attaquant : ", 0) == 0; });
    return Lines(FROM, std::find_if(FROM, LOG.end(), STOP));
  }
};

class Battle : public Server {
 protected:
  void SetUp() override {
    WRITEMEADOWS(DIR.PATH());
    Server::SetUp();
  }

  // Logs NAME in, creates its player, and gives its champion an army of one
  // troop of 10 militiamen recruited in a town on its square.
  tPlayer ENTER(const std::string& NAME, const std::string& PASSWORD) {
    tPlayer P;
    P.C = Connect();
    P.C->SEND(NAME + "\r\n" + PASSWORD + "\r\n");
    EXPECT_EQ(P.C->LINES(3), (Lines{"mot de passe", "en jeu", "Race :"}));
    const Lines RECORD = ChooseRace(*P.C, "0");
    P.NAME = VALUEOF(RECORD, "name:");
    std::sscanf(VALUEOF(RECORD, "position:").c_str(), "%d,%d", &P.X, &P.Y);
    const auto AT = std::find(RECORD.begin(), RECORD.end(), "[champions]");
    EXPECT_LT(AT + 3, RECORD.end());
    for (char CH : *(AT + 3)) {
      P.CHAMPION += static_cast<char>(std::toupper(static_cast<unsigned char>(CH)));
    }
    std::sscanf(VALUEOF(RECORD, "caracts:").c_str(), "att:%d-def:%d", &P.ATT, &P.DEF);
    P.ASK("BUILD BOURG " + P.AT());
    P.ASK("TURN 4");
    P.ASK("RECRUIT 1 MILICIEN " + P.AT());
    EXPECT_TRUE(HAS(P.ASK("TURN 3"), "#INFO: Nouvelle(s) troupe(s) 1 milicien \xE0 " + P.AT()));
    P.ASK("ORDER " + P.CHAMPION + " GET #0");
    EXPECT_TRUE(HAS(P.ASK("GET CHAMPIONS"), "line:1"));
    return P;
  }
};

// The units of the first stack of an army line as a report draws it ("1:7 milicien   ").
int UNITS(const std::string& LINE) {
  return LINE.size() > 2 ? std::atoi(LINE.c_str() + 2) : 0;
}

}  // namespace

TEST_F(Battle, AChampionSentOntoAnotherPlayersChampionFightsAndBothLogsHoldTheReport) {
  tPlayer ALICE = ENTER("alice", "Secret");
  tPlayer BOB = ENTER("bob", "pw");
  if (BOB.AT() == ALICE.AT()) {
    // Bob steps aside first, so that alice has somewhere to go.
    BOB.X = BOB.X < 10 ? BOB.X + 1 : BOB.X - 1;
    BOB.ASK("ORDER " + BOB.CHAMPION + " MOVE " + BOB.AT());
    BOB.ASK("TURN 1");
  }

  ALICE.C->SEND("ORDER " + ALICE.CHAMPION + " MOVE " + BOB.AT() + "\r\n");
  EXPECT_EQ(ALICE.C->LINES(4),
            (Lines{"RETURN ORDER MOVE", "END RETURN", "RETURN ORDER COMMAND", "END RETURN"}));
  bool FOUGHT = false;
  for (int TURN = 0; TURN < 10 && !FOUGHT; ++TURN) {
    const Lines REPLY = ALICE.ASK("TURN 1");
    FOUGHT = std::any_of(REPLY.begin(), REPLY.end(),
                         [](const std::string& L) { return L.rfind("Attaquant : ", 0) == 0; });
  }
  ASSERT_TRUE(FOUGHT);

  // Alice's report ends where her champion's step is told; bob's log ends with it.
  const Lines REPORT =
      ALICE.REPORT([](const std::string& L) { return L.rfind("Deplacement de ", 0) == 0; });
  EXPECT_EQ(BOB.REPORT([](const std::string& L) { return L == "END RETURN"; }), REPORT);

  // Ten militiamen (att 2, def 2, vit 3, pdv 5) led by each champion.
  const int UNITA = 2 + ALICE.ATT + 2 + ALICE.DEF + 5 * 3 + 5;
  const int UNITB = 2 + BOB.ATT + 2 + BOB.DEF + 5 * 3 + 5;
  ASSERT_GE(REPORT.size(), 22u);
  EXPECT_EQ(REPORT[0], "Attaquant : " + ALICE.NAME + ":" + std::to_string(10 * UNITA) +
                           "   Defendant : " + BOB.NAME + ":" + std::to_string(10 * UNITB));
  EXPECT_EQ(Lines(REPORT.begin() + 1, REPORT.begin() + 11),
            (Lines{"DEBUT TOUR", "ARMEE DE " + ALICE.NAME, "3:", "2:", "1:10 milicien   ",
                   "------------------------------------", "ARMEE DE " + BOB.NAME,
                   "1:10 milicien   ", "2:", "3:"}));
  // Alice's militiamen strike first (same speed); a blow may be parried.
  EXPECT_EQ(REPORT[11].rfind("milicien (" + ALICE.NAME + ") --> ", 0), 0u) << REPORT[11];
  // The report ends with the armies after the last round: each champion has
  // gained the power it destroyed.
  const std::string LASTA = REPORT[REPORT.size() - 6];
  const std::string LASTB = REPORT[REPORT.size() - 3];
  ASSERT_EQ(REPORT[REPORT.size() - 4], "ARMEE DE " + BOB.NAME);
  EXPECT_EQ(VALUEOF(ALICE.ASK("GET CHAMPIONS"), "exp:"),
            std::to_string(10 * UNITB - UNITS(LASTB) * UNITB));
  EXPECT_EQ(VALUEOF(BOB.ASK("GET CHAMPIONS"), "exp:"),
            std::to_string(10 * UNITA - UNITS(LASTA) * UNITA));
}
