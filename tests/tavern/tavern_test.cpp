#include "tavern/tavern.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/game_in_play.h"

namespace {

// The shipped rules with a champion catalogue the tests fill and an empty
// tavern as JEUTAVERN.
struct TavernTest : testsupport::cGameInPlay {
  testsupport::cScopedGlobal<cListeChampions> CHAMPIONS{JEUCHAMPIONS,
                                                        std::make_unique<cListeChampions>("", "")};
  testsupport::cScopedGlobal<cTavern> TAVERN{JEUTAVERN, std::make_unique<cTavern>()};
  // The players go before the champions their pieces stand for.
  ~TavernTest() override { JEUJOUEURS.reset(); }

  // Champions a, b, c... of uids 0, 1, 2... at the levels given.
  std::vector<cChampion*> Champions(const std::vector<int32_t>& LEVELS) {
    std::vector<cChampion*> R;
    for (const int32_t LEVEL : LEVELS) {
      auto C = std::make_unique<cChampion>();
      C->FUID = CHAMPIONS->COUNT();
      C->FNAME = std::string(1, static_cast<char>('a' + C->FUID));
      C->NIVEAU = LEVEL;
      C->FCARACTS.FROMSTRING("scout:1");
      R.push_back(CHAMPIONS->ADD(std::move(C)));
    }
    return R;
  }

  // A player with GOLD gold and a town on each square of TOWNS.
  static cJoueur* Player(const std::string& NAME, int32_t GOLD, std::vector<tcoordMap> TOWNS) {
    cJoueur* J = BAREPLAYER(NAME);
    J->SETGOLD(GOLD);
    for (const tcoordMap AT : TOWNS) {
      J->VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("bourg"), AT);
    }
    return J;
  }

  // The names of the champions on offer, in the tavern's order.
  std::string Offers() const {
    std::string R;
    for (int32_t I = 0; I < TAVERN->COUNT(); ++I) {
      R += TAVERN->ITEM(I)->MODELE->FNAME;
    }
    return R;
  }

  static std::string Last(const cJoueur* J) {
    return J->OUTPUT.READCOUNT() > 0 ? J->OUTPUT.LINES().back() : std::string();
  }
};

}  // namespace

TEST_F(TavernTest, OffersOpenForTheFreeChampionsAtTheirLevelsPriceAndHeldOnesAreReplaced) {
  const auto C = Champions({0, 3, 0, 0, 0, 0});
  C[0]->STATE = sChampionInGame;
  C[5]->STATE = sChampionDead;
  TAVERN->BUILDTAVERN();
  EXPECT_EQ(Offers(), "bcde") << "the four free champions, each once, by uid";
  for (int32_t I = 1; I <= 4; ++I) {
    EXPECT_EQ(C[static_cast<std::size_t>(I)]->STATE, sChampionInTavern);
  }
  EXPECT_EQ(TAVERN->ITEM(0)->PRICE, 2000);
  EXPECT_EQ(TAVERN->ITEM(1)->PRICE, 500);

  // Loaded players hold c (what loading does to it); a, free by then, takes
  // its place, in uid order.
  C[0]->STATE = sChampionNotAssigned;
  C[2]->STATE = sChampionInGame;
  TAVERN->PLAYERSLOADED();
  EXPECT_EQ(Offers(), "abde");
  EXPECT_EQ(C[0]->STATE, sChampionInTavern);
  EXPECT_EQ(C[2]->STATE, sChampionInGame);

  // Fewer free champions than places: fewer offers.
  cTavern SMALL;
  C[0]->STATE = C[1]->STATE = sChampionCreated;
  C[2]->STATE = C[4]->STATE = sChampionSleeping;
  C[3]->STATE = sChampionNotAssigned;
  SMALL.BUILDTAVERN();
  ASSERT_EQ(SMALL.COUNT(), 3);
  EXPECT_EQ(SMALL.ITEM(2)->MODELE, C[3]);
}

TEST_F(TavernTest, ABidMustComeFromATownBeatThePriceByFivePercentAndBePaid) {
  const auto C = Champions({0, 0, 11});
  TAVERN->ADD(C[0]);
  TAVERN->ADD(C[2])->TURNBEFORESOLD = 5;
  cJoueur* ALICE = Player("alice", 600, {COORDMAP(2, 2), COORDMAP(1, 2)});
  cJoueur* BOB = Player("bob", 3000, {COORDMAP(5, 5)});

  // Bidder, champion, amount, square; accepted, the bidder's message, both stocks after.
  const std::vector<
      std::tuple<cJoueur*, cChampion*, int32_t, tcoordMap, bool, std::string, int32_t, int32_t>>
      BIDS{
          {ALICE, C[0], 525, COORDMAP(3, 3), false,
           "(#0) a ne peut pas etre recrute a 3,3 pas de ville", 600, 3000},
          // 11,1 would have the index of 1,2 if it were on the map.
          {ALICE, C[0], 525, COORDMAP(11, 1), false,
           "(#0) a ne peut pas etre recrute a 11,1 pas de ville", 600, 3000},
          {ALICE, C[1], 525, COORDMAP(2, 2), false, "(#1) b n'est pas a recruter", 600, 3000},
          {ALICE, C[0], 524, COORDMAP(2, 2), false,
           "Vous n'avez pas propos\xE9 assez pour (#0) a, minimum 525", 600, 3000},
          {ALICE, C[0], 601, COORDMAP(2, 2), false, "(#0) a est trop cher pour vous", 600, 3000},
          {ALICE, C[0], 600, COORDMAP(2, 2), true, "(#0) a accepte pour le moment votre offre", 0,
           3000},
          {BOB, C[0], 629, COORDMAP(5, 5), false,
           "Vous n'avez pas propos\xE9 assez pour (#0) a, minimum 630", 0, 3000},
          {BOB, C[0], 630, COORDMAP(5, 5), true, "(#0) a accepte pour le moment votre offre", 600,
           2370},
      };
  for (const auto& [WHO, CHAMPION, AMOUNT, AT, ACCEPTED, MESSAGE, GOLDALICE, GOLDBOB] : BIDS) {
    const int32_t LINES = WHO->OUTPUT.READCOUNT();
    EXPECT_EQ(TAVERN->AUCTION(CHAMPION, *WHO, AMOUNT, AT), ACCEPTED) << MESSAGE;
    EXPECT_EQ(WHO->OUTPUT.READCOUNT(), LINES + 1) << MESSAGE;
    EXPECT_EQ(Last(WHO), MESSAGE);
    EXPECT_EQ(std::pair(ALICE->GETGOLD(), BOB->GETGOLD()), std::pair(GOLDALICE, GOLDBOB))
        << MESSAGE;
  }
  EXPECT_EQ(Last(ALICE), "(#0) a a recu une meilleure offre");
  EXPECT_EQ(TAVERN->ITEM(0)->CURJOUEUR, BOB);
  EXPECT_EQ(TAVERN->ITEM(0)->POSITION, COORDMAP(5, 5));

  // Given back, a bid never takes a stock past 65535; only a bid on a
  // champion above level 10 restarts its countdown.
  BOB->SETGOLD(65000);
  ALICE->SETGOLD(7000);
  EXPECT_TRUE(TAVERN->AUCTION(C[0], *ALICE, 662, COORDMAP(2, 2)));
  EXPECT_EQ(BOB->GETGOLD(), 65535);
  TAVERN->ITEM(0)->TURNBEFORESOLD = 5;
  EXPECT_TRUE(TAVERN->AUCTION(C[0], *BOB, 700, COORDMAP(5, 5)));
  EXPECT_TRUE(TAVERN->AUCTION(C[2], *ALICE, TAVERN->ITEM(1)->PRICE * 105 / 100, COORDMAP(2, 2)));
  EXPECT_EQ(TAVERN->ITEM(0)->TURNBEFORESOLD, 5);
  EXPECT_EQ(TAVERN->ITEM(1)->TURNBEFORESOLD, 20);
}

TEST_F(TavernTest, ATurnCountsEveryOfferDownOnceSellsAndReplacesThoseAtTheEnd) {
  const auto C = Champions({0, 0, 0, 0, 0, 0});
  C[5]->STATE = sChampionInGame;
  for (int32_t I = 0; I < 4; ++I) {
    TAVERN->ADD(C[static_cast<std::size_t>(I)]);
  }
  cJoueur* BOB = Player("bob", 3000, {COORDMAP(5, 5)});
  ASSERT_TRUE(TAVERN->AUCTION(C[2], *BOB, 600, COORDMAP(5, 5)));
  for (const auto& [I, TURNS] : {std::pair{0, 2}, {1, 1}, {2, 1}, {3, 3}}) {
    TAVERN->ITEM(I)->TURNBEFORESOLD = TURNS;
  }

  TAVERN->PASSTURN();
  // a and d counted down; b (no bidder) and c (sold) replaced at the end by
  // the two champions then free: b, freed, and e.
  EXPECT_TRUE(Offers() == "adbe" || Offers() == "adeb") << Offers();
  EXPECT_EQ(TAVERN->ITEM(0)->TURNBEFORESOLD, 1);
  EXPECT_EQ(TAVERN->ITEM(1)->TURNBEFORESOLD, 2);
  for (int32_t I = 2; I < 4; ++I) {
    EXPECT_EQ(TAVERN->ITEM(I)->TURNBEFORESOLD, 20) << "new offers wait for the next turn";
  }

  // The sale: c in play for bob on the square of his bid, seeing around it;
  // the gold of the bid stays with the tavern.
  ASSERT_EQ(BOB->CHAMPIONS->COUNT(), 1);
  EXPECT_EQ(BOB->CHAMPIONS->ITEM(0)->MODELE(), C[2]);
  EXPECT_EQ(BOB->CHAMPIONS->ITEM(0)->FPOSITION, COORDMAP(5, 5));
  EXPECT_EQ(C[2]->STATE, sChampionInGame);
  EXPECT_TRUE(BOB->CARTE.INMAT(6, 6));
  EXPECT_EQ(Last(BOB), "(2) c a rejoint votre armee");
  EXPECT_EQ(BOB->GETGOLD(), 2400);
}
