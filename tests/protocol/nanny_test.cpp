#include "protocol/nanny.h"

#include <gtest/gtest.h>

#include "support/game_in_play.h"

namespace {

using Nanny = testsupport::cGameInPlay;

const char* const RACEMENU =
    "Race :\r\nnbLines:3\r\n0:Plainiers\r\n1:Sylvains\r\n2:Troglodytes\r\n";

// Hands the lines to the dialogue of S one after the other.
void LOGIN(cSession& S, std::initializer_list<const char*> LINES) {
  for (const char* LINE : LINES) {
    S.FCOMMAND = LINE;
    NANNY(S);
  }
}

}  // namespace

TEST_F(Nanny, ThePasswordIsExactAndEachWrongOneAfterTheSecondHoldsTheNextLineLonger) {
  const std::string T = "BOB\rSecret\rsecret \r secret\rSECRET\rw5\rw6\rw7\rw8\r";
  SESSION.RECEIVEBYTES(T.data(), T.size());
  // Tick at which each line is taken, and the hold that follows it.
  const std::vector<std::pair<uint32_t, uint32_t>> STEPS{{1000, 0},    {1000, 0},    {1000, 0},
                                                         {1000, 250},  {1250, 500},  {1750, 1000},
                                                         {2750, 2000}, {4750, 4000}, {8750, 4000}};
  for (const auto& [TICK, HOLD] : STEPS) {
    if (TICK > 1000) {
      EXPECT_FALSE(SESSION.TAKELINE(TICK - 1)) << TICK;
    }
    ASSERT_TRUE(SESSION.TAKELINE(TICK)) << TICK;
    NANNY(SESSION);
    EXPECT_EQ(SESSION.HELD(TICK + HOLD - 1), HOLD > 0) << TICK;
    EXPECT_FALSE(SESSION.HELD(TICK + HOLD)) << TICK;
  }
  std::string REPLIES = "mot de passe\r\n";
  for (int I = 0; I < 8; ++I) {
    REPLIES += "erreur passe\r\n";
  }
  EXPECT_EQ(SESSION.OUTPUT(), REPLIES);
  // The console tells of each mistake, never the text tried.
  EXPECT_EQ(CONSOLELOG.LINES(), std::vector<std::string>(8, "erreur commande:"));
}

TEST_F(Nanny, OnlyARaceOfTheCatalogueAnswersTheQuestionAndTheAccountThenPlaysThatPlayer) {
  LOGIN(SESSION, {"Alice", "merveille"});
  ASSERT_EQ(SESSION.FSTATE, CON_RACE);
  EXPECT_EQ(JEUJOUEURS->COUNT(), 0);
  for (const char* WRONG : {"elfe", "-1", "99", "3", "1x", ""}) {
    EXPECT_EQ(RUN(WRONG), RACEMENU) << WRONG;
    EXPECT_EQ(SESSION.FSTATE, CON_RACE) << WRONG;
  }
  RUN("1");
  EXPECT_EQ(SESSION.FSTATE, CON_PLAYING);
  ASSERT_EQ(JEUJOUEURS->COUNT(), 1);
  EXPECT_EQ(SESSION.FJOUEUR, JEUJOUEURS->ITEM(0));
  EXPECT_EQ(SESSION.FJOUEUR->RACE, JEURACES->FIND(1));
}

TEST_F(Nanny, OneAccountMakesOnePlayerAndPlayersMadeTogetherGetDifferentIdentifiers) {
  cSession SECOND, OTHER;
  LOGIN(SESSION, {"bob", "secret"});
  LOGIN(OTHER, {"alice", "merveille"});
  ASSERT_EQ(SESSION.FSTATE, CON_RACE);
  LOGIN(SECOND, {"BOB"});
  EXPECT_EQ(RUN("secret", SECOND), "en jeu\r\npersonnage en cours de creation\r\n");
  EXPECT_EQ(SECOND.FSTATE, CON_PASSWORD);
  EXPECT_EQ(SECOND.FJOUEUR, nullptr);
  RUN("2");
  LOGIN(OTHER, {"0"});
  // Once the player exists, the second connection plays it too.
  EXPECT_EQ(RUN("secret", SECOND), "en jeu\r\n");
  EXPECT_EQ(SECOND.FSTATE, CON_PLAYING);
  EXPECT_EQ(SECOND.FJOUEUR, SESSION.FJOUEUR);
  ASSERT_EQ(JEUJOUEURS->COUNT(), 2);
  EXPECT_NE(SESSION.FJOUEUR->FUID, OTHER.FJOUEUR->FUID);
}

TEST_F(Nanny, WithoutAFreeChampionThePlayerIsNotCreated) {
  for (int32_t I = 0; I < JEUCHAMPIONS->COUNT(); ++I) {
    JEUCHAMPIONS->ITEM(I)->STATE = sChampionDead;
  }
  RUN("bob");
  EXPECT_EQ(RUN("secret"), "en jeu\r\nprobleme de creation de perso\r\n");
  EXPECT_EQ(SESSION.FSTATE, CON_PASSWORD);
  EXPECT_EQ(SESSION.FJOUEUR, nullptr);
  EXPECT_EQ(CONSOLELOG.LINES(),
            (std::vector<std::string>{"personnage inexistant", "probleme de creation de perso"}));
}

TEST_F(Nanny, AClientThatLeavesBeforeItsRaceLosesItsNewPlayer) {
  cChampion* MODEL = nullptr;
  {
    cSession GONE;
    LOGIN(GONE, {"bob", "secret"});
    ASSERT_EQ(GONE.FSTATE, CON_RACE);
    MODEL = GONE.FJOUEUR->CHAMPIONS->ITEM(0)->MODELE();
    EXPECT_EQ(MODEL->STATE, sChampionInGame);
  }
  EXPECT_EQ(JEUJOUEURS->COUNT(), 0);
  // Its champion is free again for the next new player, and so is the name.
  EXPECT_EQ(MODEL->FJOUEUR, nullptr);
  EXPECT_EQ(MODEL->STATE, sChampionNotAssigned);
  RUN("bob");
  EXPECT_EQ(RUN("secret"), "en jeu\r\n" + std::string(RACEMENU));
}
