#include "tavern/tavern.h"

#include <gtest/gtest.h>

#include "support/game_in_play.h"

namespace {

// The shipped rules with a champion catalogue the tests fill and an empty
// tavern as JEUTAVERN.
struct TavernTest : testsupport::cGameInPlay {
  testsupport::cScopedGlobal<cListeChampions> CHAMPIONS{JEUCHAMPIONS,
                                                        std::make_unique<cListeChampions>("", "")};
  testsupport::cScopedGlobal<cTavern> TAVERN{JEUTAVERN, std::make_unique<cTavern>()};

  // Champions a, b, c... of uids 0, 1, 2... at the levels given.
  std::vector<cChampion*> Champions(const std::vector<int32_t>& LEVELS) {
    std::vector<cChampion*> R;
    for (const int32_t LEVEL : LEVELS) {
      auto C = std::make_unique<cChampion>();
      C->FUID = CHAMPIONS->COUNT();
      C->FNAME = std::string(1, static_cast<char>('a' + C->FUID));
      C->NIVEAU = LEVEL;
      R.push_back(CHAMPIONS->ADD(std::move(C)));
    }
    return R;
  }
};

}  // namespace

TEST_F(TavernTest, OffersOpenForTheFreeChampionsAtTheirLevelsPrice) {
  const auto C = Champions({0, 3, 0, 0, 0, 0});
  C[4]->STATE = sChampionInGame;
  C[5]->STATE = sChampionDead;
  TAVERN->BUILDTAVERN();
  ASSERT_EQ(TAVERN->COUNT(), 4) << "the four free champions, each once";
  for (int32_t I = 0; I < 4; ++I) {
    EXPECT_EQ(TAVERN->ITEM(I)->MODELE, C[static_cast<std::size_t>(I)]) << "sorted by uid";
    EXPECT_EQ(C[static_cast<std::size_t>(I)]->STATE, sChampionInTavern);
  }
  EXPECT_EQ(TAVERN->ITEM(0)->PRICE, 500);
  EXPECT_EQ(TAVERN->ITEM(1)->PRICE, 2000);

  // Fewer free champions than places: fewer offers.
  cTavern SMALL;
  C[0]->STATE = C[1]->STATE = sChampionCreated;
  C[2]->STATE = sChampionSleeping;
  C[3]->STATE = sChampionNotAssigned;
  SMALL.BUILDTAVERN();
  ASSERT_EQ(SMALL.COUNT(), 3);
  EXPECT_EQ(SMALL.ITEM(2)->MODELE, C[3]);
}

TEST_F(TavernTest, OffersOfChampionsThatLoadedPlayersHoldAreReplaced) {
  const auto C = Champions({0, 0, 0, 0, 0});
  TAVERN->BUILDTAVERN();
  const cChampion* HELD = TAVERN->ITEM(1)->MODELE;
  // What loading a player that holds it does to the champion.
  TAVERN->ITEM(1)->MODELE->STATE = sChampionInGame;
  TAVERN->PLAYERSLOADED();
  ASSERT_EQ(TAVERN->COUNT(), 4);
  for (int32_t I = 0; I < 4; ++I) {
    EXPECT_NE(TAVERN->ITEM(I)->MODELE, HELD);
    EXPECT_EQ(TAVERN->ITEM(I)->MODELE->STATE, sChampionInTavern);
    if (I > 0) {
      EXPECT_LT(TAVERN->ITEM(I - 1)->FUID, TAVERN->ITEM(I)->FUID);
    }
  }
  EXPECT_EQ(HELD->STATE, sChampionInGame);
}
