#include "entities/encours.h"

#include <gtest/gtest.h>

#include "support/fixtures.h"

namespace {

// A list whose finished objects become placed pieces of their holding list.
class cTestEnCours : public cListeMobilesEnCours {
 public:
  sResultTransfert TRANSFERT(cMobileEnCours* E) override {
    E->TRSFMOBILES->WIZARD(E->FMODELE, E->LSTMODELES, E->FPOSITION);
    TRANSFERED.push_back(E->FUID);
    REMOVE(E);
    return sTransfered;
  }
  std::vector<int32_t> TRANSFERED;
};

// A model, a treasury "or/bois/pierre" and a holding list for finished pieces.
class EnCours : public ::testing::Test {
 protected:
  testsupport::cThreeRessources RESS;
  cMobile MODEL{7, "tour"};
  cListeMobiles MODELS;
  cArrayRessources CAPITAL;
  cListeMobilesPosition HOLDINGS;

  // An object of uid UID at (3,4) needing TURNS turns, paying SCHEDULE ("10:1/0:0/0:0").
  std::unique_ptr<cMobileEnCours> MAKE(int32_t UID, int32_t TURNS, const std::string& SCHEDULE) {
    auto E = std::make_unique<cMobileEnCours>(&MODEL, &CAPITAL, &MODELS, &HOLDINGS);
    E->FUID = UID;
    E->PUT(3, 4);
    E->FTURNBEFOREEND = TURNS;
    cRessParTour P;
    P.FROMSTRING("ressPerTurn:" + SCHEDULE);
    E->ASSIGNRESSPERTURN(P);
    return E;
  }

  // The result and the treasury after each of N turns.
  std::string TURNS(cMobileEnCours& E, int N) {
    std::string R;
    for (int I = 0; I < N; ++I) {
      const sResultPassTurn RESULT = E.PASSTURN();
      R += std::to_string(RESULT) + ":" + CAPITAL.TOSTRING() + " ";
    }
    return R;
  }
};

}  // namespace

TEST_F(EnCours, InstallmentsFallDueEveryIntervalAndStallOnAShortageWithoutCountingTheTurn) {
  CAPITAL.FROMSTRING("25/0/0");
  auto E = MAKE(0, 5, "10:1/0:0/0:0");
  EXPECT_EQ(TURNS(*E, 4), "0:15/0/0 0:5/0/0 3:5/0/0 3:5/0/0 ");
  EXPECT_EQ(E->FTURNBEFOREEND, 3);
  CAPITAL.FROMSTRING("30");
  EXPECT_EQ(TURNS(*E, 1), "0:20/0/0 ");
  EXPECT_EQ(E->FTURNBEFOREEND, 2);

  // Both fall due on the second turn and the wood is missing: the gold due
  // with it is not lost but collected once wood comes.
  CAPITAL.FROMSTRING("100/0/0");
  auto BOTH = MAKE(1, 10, "10:2/5:2/0:0");
  EXPECT_EQ(TURNS(*BOTH, 2), "0:100/0/0 3:100/0/0 ");
  CAPITAL.FROMSTRING("100/5/0");
  EXPECT_EQ(TURNS(*BOTH, 1), "0:90/0/0 ");

  // Without a treasury only free installments can be paid.
  auto POOR = MAKE(2, 3, "1:1/0:0/0:0");
  POOR->FCAPITALPLAYER = nullptr;
  EXPECT_EQ(POOR->PASSTURN(), sTurnErrorRessource);

  CAPITAL.FROMSTRING("100/100/100");
  // The 1:0 entry is due every turn; 15:2 on the second and fourth.
  EXPECT_EQ(TURNS(*MAKE(0, 10, "15:2/0:0/1:0"), 4),
            "0:100/100/99 0:85/100/98 0:85/100/97 0:70/100/96 ");
  EXPECT_EQ(MAKE(1, 1, "0:0/0:0/0:0")->PASSTURN(), sEndBuild);
  EXPECT_EQ(TURNS(*MAKE(2, 0, "0:0/0:0/0:0"), 2), "0:70/100/96 0:70/100/96 ") << "past zero";
}

TEST_F(EnCours, RecordReadsBackWithEverythingDueOnTheFirstTurn) {
  cTestEnCours L;
  L.ADD(MAKE(3, 5, "10:1/0:1/15:2"));
  cBuffer B;
  L.TOBUFFER(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"nbLines:1", "#3", "tour:7", "position:3,4",
                                                 "turn:5", "ressPerTurn:10:1/0:1/15:2"}));
  B.REWIND();
  cListeMobilesEnCours BACKLIST;
  BACKLIST.FROMBUFFER(B);
  auto* BACK = dynamic_cast<cMobileEnCours*>(BACKLIST.GET(0));
  ASSERT_NE(BACK, nullptr);
  EXPECT_EQ(BACK->FPOSITION, COORDMAP(3, 4));
  BACK->FCAPITALPLAYER = &CAPITAL;
  CAPITAL.FROMSTRING("100/100/100");
  EXPECT_EQ(TURNS(*BACK, 2), "0:90/100/85 0:80/100/85 ");
  EXPECT_EQ(BACK->FTURNBEFOREEND, 3);
}

TEST_F(EnCours, FinishedObjectsAreTransferredAndTheWalkGoesOn) {
  cListeMobilesEnCours BASE;
  BASE.ADD(MAKE(0, 1, "0:0/0:0/0:0"));
  BASE.PASSTURN();
  EXPECT_EQ(BASE.COUNT(), 1) << "the base list refuses the transfer and keeps the object";

  CAPITAL.FROMSTRING("12/0/0");
  cTestEnCours L;
  L.ADD(MAKE(0, 1, "0:0/0:0/0:0"));
  L.ADD(MAKE(1, 1, "0:0/0:0/0:0"));
  auto* AFTER = L.ADD(MAKE(2, 3, "5:1/0:0/0:0"));
  auto* LAST = L.ADD(MAKE(3, 3, "5:1/0:0/0:0"));
  L.PASSTURN();
  EXPECT_EQ(L.TRANSFERED, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(CAPITAL.TOSTRING(), "2/0/0") << "both left after them paid";
  ASSERT_EQ(HOLDINGS.COUNT(), 2);
  EXPECT_EQ(HOLDINGS.GETPOSITION(1)->FPOSITION, COORDMAP(3, 4));

  // One installment of 5 for two objects owing 5 each: the earlier one is served.
  CAPITAL.FROMSTRING("5");
  L.PASSTURN();
  EXPECT_EQ(AFTER->FTURNBEFOREEND, 1);
  EXPECT_EQ(LAST->FTURNBEFOREEND, 2);
  CAPITAL.FROMSTRING("5");
  L.PASSTURN();
  EXPECT_EQ(L.TRANSFERED, (std::vector<int32_t>{0, 1, 2}));
  ASSERT_EQ(L.COUNT(), 1);
  EXPECT_EQ(L.GET(0), LAST);
}
