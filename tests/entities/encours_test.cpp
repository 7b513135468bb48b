#include "entities/encours.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/fixtures.h"

using testsupport::cThreeRessources;

namespace {

// A list whose finished objects become plain placed pieces of their holding list.
class cTestEnCours : public cListeMobilesEnCours {
 public:
  sResultTransfert TRANSFERT(cMobileEnCours* MOBMODELE) override {
    MOBMODELE->TRSFMOBILES->WIZARD(MOBMODELE->FMODELE, MOBMODELE->LSTMODELES, MOBMODELE->FPOSITION);
    TRANSFERED.push_back(MOBMODELE->FUID);
    REMOVE(MOBMODELE);
    return sTransfered;
  }
  std::vector<int32_t> TRANSFERED;
};

// A model, a treasury "or/bois/pierre" and a holding list for finished pieces.
class EnCours : public ::testing::Test {
 protected:
  cThreeRessources RESS;
  cMobile MODEL{7, "tour"};
  cListeMobiles MODELS;
  cArrayRessources CAPITAL;
  cListeMobilesPosition HOLDINGS;

  // An object of uid UID needing TURNS turns, paying SCHEDULE ("10:1/0:0/0:0").
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
};

}  // namespace

TEST_F(EnCours, InstallmentsStallOnAShortageWithoutCountingTheTurn) {
  CAPITAL.FROMSTRING("25/0/0");
  auto E = MAKE(0, 5, "10:1/0:0/0:0");
  EXPECT_EQ(E->PASSTURN(), sTurnPassed);
  EXPECT_EQ(CAPITAL.TOSTRING(), "15/0/0");
  EXPECT_EQ(E->PASSTURN(), sTurnPassed);
  EXPECT_EQ(CAPITAL.TOSTRING(), "5/0/0");
  EXPECT_EQ(E->FTURNBEFOREEND, 3);
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(E->PASSTURN(), sTurnErrorRessource);
    EXPECT_EQ(CAPITAL.TOSTRING(), "5/0/0");
    EXPECT_EQ(E->FTURNBEFOREEND, 3);
  }
  CAPITAL.FROMSTRING("30");
  EXPECT_EQ(E->PASSTURN(), sTurnPassed);
  EXPECT_EQ(CAPITAL.TOSTRING(), "20/0/0");
  EXPECT_EQ(E->FTURNBEFOREEND, 2);
}

TEST_F(EnCours, InstallmentFallsDueEveryIntervalFromTheAssignment) {
  CAPITAL.FROMSTRING("100/100/100");
  auto E = MAKE(0, 10, "15:2/0:0/1:0");
  std::vector<std::string> STOCKS;
  for (int I = 0; I < 4; ++I) {
    EXPECT_EQ(E->PASSTURN(), sTurnPassed);
    STOCKS.push_back(CAPITAL.TOSTRING());
  }
  // The 1:0 entry is due every turn; 15:2 on the second and fourth.
  EXPECT_EQ(STOCKS,
            (std::vector<std::string>{"100/100/99", "85/100/98", "85/100/97", "70/100/96"}));
}

TEST_F(EnCours, ShortageLeavesEveryCountdownAsItWas) {
  // Both installments fall due on the second turn and the wood is missing:
  // the gold that fell due with it is not lost but collected once wood comes.
  CAPITAL.FROMSTRING("100/0/0");
  auto E = MAKE(0, 10, "10:2/5:2/0:0");
  EXPECT_EQ(E->PASSTURN(), sTurnPassed);
  EXPECT_EQ(E->PASSTURN(), sTurnErrorRessource);
  EXPECT_EQ(CAPITAL.TOSTRING(), "100/0/0");
  CAPITAL.FROMSTRING("100/5/0");
  EXPECT_EQ(E->PASSTURN(), sTurnPassed);
  EXPECT_EQ(CAPITAL.TOSTRING(), "90/0/0");
  EXPECT_EQ(E->FTURNBEFOREEND, 8);
}

TEST_F(EnCours, CountdownEndsOnlyWhenItReachesZero) {
  auto ONE = MAKE(0, 1, "0:0/0:0/0:0");
  EXPECT_EQ(ONE->PASSTURN(), sEndBuild);
  auto ZERO = MAKE(1, 0, "0:0/0:0/0:0");
  EXPECT_EQ(ZERO->PASSTURN(), sTurnPassed);
  EXPECT_EQ(ZERO->PASSTURN(), sTurnPassed);
  EXPECT_EQ(ZERO->FTURNBEFOREEND, -2);
  auto UNSET = std::make_unique<cMobileEnCours>();
  EXPECT_EQ(UNSET->PASSTURN(), sTurnPassed);

  // Without a treasury only free installments can be paid.
  auto POOR = MAKE(2, 3, "1:1/0:0/0:0");
  POOR->FCAPITALPLAYER = nullptr;
  EXPECT_EQ(POOR->PASSTURN(), sTurnErrorRessource);
}

TEST_F(EnCours, RecordReadsBackAndChargesAtOnce) {
  auto E = MAKE(3, 5, "10:1/0:1/15:2");
  cBuffer B;
  E->TOBUFFER(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"#3", "tour:7", "position:3,4", "turn:5",
                                                 "ressPerTurn:10:1/0:1/15:2"}));
  B.REWIND();
  cMobileEnCours BACK;
  BACK.FROMBUFFER(B);
  EXPECT_EQ(BACK.FUID, 3);
  EXPECT_EQ(BACK.FNAME, "tour");
  EXPECT_EQ(BACK.FPOSITION, COORDMAP(3, 4));
  EXPECT_EQ(BACK.FTURNBEFOREEND, 5);
  EXPECT_EQ(BACK.FRESSPERTURN.TOSTRING(), "10:1/0:1/15:2");

  // Countdowns are not stored: everything falls due on the first turn.
  BACK.FCAPITALPLAYER = &CAPITAL;
  CAPITAL.FROMSTRING("100/100/100");
  EXPECT_EQ(BACK.PASSTURN(), sTurnPassed);
  EXPECT_EQ(CAPITAL.TOSTRING(), "90/100/85");
  EXPECT_EQ(BACK.PASSTURN(), sTurnPassed);
  EXPECT_EQ(CAPITAL.TOSTRING(), "80/100/85");

  cBuffer BAD;
  BAD.WRITELN("#3");
  BAD.WRITELN("tour:7");
  BAD.WRITELN("position:3,4");
  BAD.WRITELN("turn:cinq");
  BAD.WRITELN("ressPerTurn:0:0/0:0/0:0");
  BAD.REWIND();
  cMobileEnCours WRONG;
  EXPECT_THROW(WRONG.FROMBUFFER(BAD), cConversionError);
}

TEST_F(EnCours, ListWritesAndReadsItsObjects) {
  cTestEnCours L;
  L.ADD(MAKE(0, 2, "1:1/0:0/0:0"));
  L.ADD(MAKE(1, 4, "0:0/2:2/0:0"));
  cBuffer B;
  L.TOBUFFER(B);
  EXPECT_EQ(B.LINES().front(), "nbLines:2");
  B.REWIND();
  cListeMobilesEnCours BACK;
  BACK.FROMBUFFER(B);
  ASSERT_EQ(BACK.COUNT(), 2);
  const auto* SECOND = dynamic_cast<cMobileEnCours*>(BACK.GET(1));
  ASSERT_NE(SECOND, nullptr);
  EXPECT_EQ(SECOND->FTURNBEFOREEND, 4);
  EXPECT_EQ(SECOND->FRESSPERTURN.TOSTRING(), "0:0/2:2/0:0");
}

TEST_F(EnCours, BaseTransferRefusesAndKeepsTheObject) {
  cListeMobilesEnCours L;
  cMobileEnCours* E = static_cast<cMobileEnCours*>(L.ADD(MAKE(0, 1, "0:0/0:0/0:0")));
  EXPECT_EQ(L.TRANSFERT(E), sTransfertError);
  ASSERT_EQ(L.COUNT(), 1);
  L.PASSTURN();
  EXPECT_EQ(L.COUNT(), 1);
  EXPECT_EQ(E->FTURNBEFOREEND, 0);
  EXPECT_TRUE(HOLDINGS.ISEMPTY());
}

TEST_F(EnCours, FinishedObjectsAreTransferredAndTheWalkGoesOn) {
  CAPITAL.FROMSTRING("12/0/0");
  cTestEnCours L;
  L.PASSTURN();  // an empty list does nothing
  L.ADD(MAKE(0, 1, "0:0/0:0/0:0"));
  L.ADD(MAKE(1, 1, "0:0/0:0/0:0"));
  auto* AFTER = static_cast<cMobileEnCours*>(L.ADD(MAKE(2, 3, "5:1/0:0/0:0")));
  auto* LAST = static_cast<cMobileEnCours*>(L.ADD(MAKE(3, 3, "5:1/0:0/0:0")));

  L.PASSTURN();
  EXPECT_EQ(L.TRANSFERED, (std::vector<int32_t>{0, 1}));
  ASSERT_EQ(L.COUNT(), 2);
  EXPECT_EQ(AFTER->FTURNBEFOREEND, 2);
  EXPECT_EQ(LAST->FTURNBEFOREEND, 2);
  ASSERT_EQ(HOLDINGS.COUNT(), 2);
  EXPECT_EQ(HOLDINGS.GET(0)->FNAME, "tour");
  EXPECT_EQ(HOLDINGS.GETPOSITION(1)->FPOSITION, COORDMAP(3, 4));

  EXPECT_EQ(CAPITAL.TOSTRING(), "2/0/0");

  // One installment of 5 for two objects that owe 5 each: the earlier one is served.
  CAPITAL.FROMSTRING("5");
  L.PASSTURN();
  EXPECT_EQ(CAPITAL.TOSTRING(), "0/0/0");
  EXPECT_EQ(AFTER->FTURNBEFOREEND, 1);
  EXPECT_EQ(LAST->FTURNBEFOREEND, 2);
  L.PASSTURN();
  EXPECT_EQ(AFTER->FTURNBEFOREEND, 1);
  CAPITAL.FROMSTRING("5");
  L.PASSTURN();
  EXPECT_EQ(L.TRANSFERED, (std::vector<int32_t>{0, 1, 2}));
  ASSERT_EQ(L.COUNT(), 1);
  EXPECT_EQ(L.GET(0), LAST);
  EXPECT_EQ(LAST->FTURNBEFOREEND, 2);
}
