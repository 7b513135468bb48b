#include "forces/troupe.h"

#include <gtest/gtest.h>

#include <climits>

#include "base/errors.h"
#include "forces/holdings_fixtures.h"

using holdingsfixtures::cForcesRules;

TEST(Troops, ValuesAndPowerComeFromTheCreature) {
  cForcesRules RULES;
  cCreature* ARCHER = RULES.CREATURE(0, "archer", 2, 10, "att:3-def:2-pdv:5-vit:4-rng:1");
  cCreaturePosition T(ARCHER);
  T.FNBTROUPES = 10;
  EXPECT_EQ(T.FNAME, "archer");
  EXPECT_EQ(T.GETATTACK(), 3);
  EXPECT_EQ(T.GETDEFENSE(), 2);
  EXPECT_EQ(T.GETPDV(), 5);
  EXPECT_EQ(T.GETVIT(), 4);
  ASSERT_NE(T.GETCARACT("RNG"), nullptr);
  EXPECT_EQ(T.GETCARACT("rng")->VALUE, 1);
  EXPECT_EQ(T.GETCARACT("fly"), nullptr);
  EXPECT_EQ(T.GETPUISSANCE(), 240);  // (6 + 4 + 10 + 4) x 10

  // A huge troop stays at the top of the range instead of wrapping.
  T.FNBTROUPES = INT32_MAX;
  EXPECT_EQ(T.GETPUISSANCE(), INT32_MAX);

  // Missing values count 0; no creature at all gives no value.
  cCreaturePosition BARE(RULES.CREATURE(1, "loup", 1, 1, "att:2"));
  BARE.FNBTROUPES = 3;
  EXPECT_EQ(BARE.GETPUISSANCE(), 12);
  cCreaturePosition NONE;
  NONE.FNBTROUPES = 3;
  EXPECT_EQ(NONE.GETPUISSANCE(), 0);
  EXPECT_EQ(NONE.GETCARACT("att"), nullptr);
}

TEST(Troops, ListRecordRoundTripClearsTheBattleState) {
  cForcesRules RULES;
  cCreature* ARCHER = RULES.CREATURE(4, "archer", 2, 10, "pdv:5");
  cListeCreaturesPosition L(nullptr);
  cCreaturePosition* T = L.WIZARD(ARCHER, 30, JEUCREATURES.get(), COORDMAP(3, 7));
  EXPECT_EQ(T->FUID, 0);
  EXPECT_EQ(T->FMODELE, ARCHER);
  EXPECT_EQ(T->FPOSITION, COORDMAP(3, 7));
  EXPECT_EQ(T->FNBTROUPES, 30);
  EXPECT_EQ(L.WIZARD(ARCHER, 1, JEUCREATURES.get(), COORDMAP(1, 1))->FUID, 1);
  T->STACKPDV = 150;
  T->NUMLINE = 2;
  T->POISONNED = 1;
  T->BLINDED = 3;

  cBuffer OUT;
  L.TOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES(),
            (std::vector<std::string>{"nbLines:2", "#1", "archer:4", "position:1,1", "nbTroupes:1",
                                      "#0", "archer:4", "position:3,7", "nbTroupes:30"}));
  OUT.REWIND();
  cListeCreaturesPosition BACK(nullptr);
  BACK.FROMBUFFER(OUT);
  ASSERT_EQ(BACK.COUNT(), 2);
  auto* R = static_cast<cCreaturePosition*>(BACK.SEARCH(0));
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(R->FMODELE, ARCHER);
  EXPECT_EQ(R->LSTMODELES, JEUCREATURES.get());
  EXPECT_EQ(R->FPOSITION, COORDMAP(3, 7));
  EXPECT_EQ(R->FNBTROUPES, 30);
  EXPECT_EQ(R->STACKPDV, 0);
  EXPECT_EQ(R->NUMLINE, 0);
  EXPECT_EQ(R->POISONNED, 0);
  EXPECT_EQ(R->BLINDED, 0);

  cBuffer BAD;
  for (const char* LINE : {"#0", "archer:4", "position:3,7", "nbTroupes:many"}) {
    BAD.WRITELN(LINE);
  }
  BAD.REWIND();
  cCreaturePosition X;
  EXPECT_THROW(X.FROMBUFFER(BAD), cConversionError);
}

TEST(Recruitments, RecordCarriesTheNumberOfTroops) {
  cForcesRules RULES;
  cCreature* LOUP = RULES.CREATURE(2, "loup", 3, 5, "", 4);
  cListeCreaturesEnCours L(nullptr);
  auto R = std::make_unique<cCreatureEnCours>(LOUP, nullptr, nullptr);
  EXPECT_EQ(R->FTURNBEFOREEND, 3);
  EXPECT_EQ(R->LSTMODELES, JEUCREATURES.get());
  R->FUID = 0;
  R->FNBTROUPES = 7;
  R->FTURNBEFOREEND = 21;
  R->SETPOSITION(COORDMAP(5, 6));
  R->ASSIGNRESSPERTURN(LOUP->FRESSPARTOUR);
  L.ADD(std::move(R));

  cBuffer OUT;
  L.TOBUFFER(OUT);
  ASSERT_EQ(OUT.READCOUNT(), 7);
  EXPECT_EQ(OUT.LINES()[4], "turn:21");
  EXPECT_EQ(OUT.LINES()[6], "nbTroops:7");
  OUT.REWIND();
  cListeCreaturesEnCours BACK(nullptr);
  BACK.FROMBUFFER(OUT);
  ASSERT_EQ(BACK.COUNT(), 1);
  auto* B = dynamic_cast<cCreatureEnCours*>(BACK.GET(0));
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(B->FMODELE, LOUP);
  EXPECT_EQ(B->FNBTROUPES, 7);
  EXPECT_EQ(B->FTURNBEFOREEND, 21);
  EXPECT_EQ(B->FPOSITION, COORDMAP(5, 6));
  EXPECT_EQ(B->FRESSPERTURN.TOSTRING(), LOUP->FRESSPARTOUR.TOSTRING());
}
