#include "forces/champion.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "base/errors.h"
#include "base/random.h"
#include "forces/rules_fixtures.h"

namespace {

const std::string HEROS =
    "; champions\r\n"
    "#0\r\nAldric\r\nrace:humains\r\nclass:Guerrier\r\ncaracts:att:6-def:-1-scout:2\r\n"
    "ressNec:100/0/0\r\nressMaintient:2/0/0\r\nressProduite:0/0/0\r\n"
    "\r\n"
    "#1\r\ngrishka\r\nrace:orques\r\nclass:mage\r\ncaracts:vie:9-depl:2\r\n"
    "ressNec:80/0/0\r\nressMaintient:1/0/0\r\nressProduite:0/1/0\r\n";

// The rules and a catalogue loaded from HEROS, without any link to players or
// the tavern (those installed by other tests are put back at the end).
struct ChampionsTest : ::testing::Test {
  rulesfixtures::cBaseRules RULES;
  tChampionLinks SAVEDLINKS = std::exchange(CHAMPIONLINKS, tChampionLinks{});
  std::string INGAMEFILE = (RULES.DIR.PATH() / "inGameHeros.zrk").string();
  cListeChampions L{INGAMEFILE, RULES.DIR.WRITE("heros.zrk", HEROS)};

  void SetUp() override { ASSERT_TRUE(L.LOADCHAMPIONS()); }
  ~ChampionsTest() override { CHAMPIONLINKS = SAVEDLINKS; }
};

}  // namespace

TEST_F(ChampionsTest, InGameFileKeepsDescriptionsAndSkipsTheTavernLines) {
  EXPECT_EQ(L.ITEM(0)->FNAME, "aldric");
  EXPECT_EQ(L.ITEM(0)->FCLASSE, JEUCLASSES->FIND("guerrier"));
  L.ITEM(0)->STATE = sChampionDead;
  L.ITEM(0)->EXPERIENCE = 40;
  L.ITEM(1)->STATE = sChampionInTavern;
  CHAMPIONLINKS.TAVERNLINES = [](cChampion& C, cBuffer& OUTPUT) {
    OUTPUT.WRITELN("#%d", C.FUID);
    OUTPUT.WRITELN(C.FNAME);
    OUTPUT.WRITELN("price:500");
  };
  cBuffer OUT;
  L.TOBUFFER(OUT);
  ASSERT_EQ(OUT.READCOUNT(), 27);
  EXPECT_EQ(OUT.LINES()[24], "#1") << "the tavern's lines follow the champion on offer";
  ASSERT_TRUE(OUT.SAVETOFILE(INGAMEFILE));

  cListeChampions BACK(INGAMEFILE, "");
  ASSERT_TRUE(BACK.LOADCHAMPIONS());
  ASSERT_EQ(BACK.COUNT(), 2);
  for (int32_t I = 0; I < 2; ++I) {
    EXPECT_EQ(BACK.ITEM(I)->STATE, sChampionCreated);
    EXPECT_EQ(BACK.ITEM(I)->EXPERIENCE, 0);
  }
  EXPECT_EQ(BACK.ITEM(1)->RESSPROD.TOSTRING(), "0/1/0");
  // With both files there, the initial one is read.
  EXPECT_EQ(cListeChampions(INGAMEFILE, (RULES.DIR.PATH() / "heros.zrk").string()).STLOADING,
            stLoadLev0);
}

TEST_F(ChampionsTest, OwnerAndStateLinesReadBackOrFailLoudly) {
  static int OWNER = 0;  // any address stands for a player: only the links read it
  cProprietaire* J = reinterpret_cast<cProprietaire*>(&OWNER);
  L.ITEM(0)->FJOUEUR = J;
  L.ITEM(0)->STATE = sChampionNotAssigned;
  cBuffer OUT;
  EXPECT_THROW(L.ITEM(0)->INGAMEVARIABLETOBUFFER(OUT), std::logic_error) << "owner lost";
  CHAMPIONLINKS.NAMEOFPLAYER = [](const cProprietaire&) { return std::string("bob"); };
  CHAMPIONLINKS.FINDPLAYER = [](std::string_view NAME) {
    return NAME == "bob" ? reinterpret_cast<cProprietaire*>(&OWNER) : nullptr;
  };
  OUT.CLEAR();
  L.ITEM(0)->INGAMEVARIABLETOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES(),
            (std::vector<std::string>{"player:bob", "not assigned", "exp:0", "niveau:0"}));
  for (const char* LINE : {"no player", "DEAD", "exp:beaucoup"}) {  // DEAD is not a state
    OUT.WRITELN(LINE);
  }
  OUT.REWIND();
  cChampion BACK;
  BACK.INGAMEVARIABLEFROMBUFFER(OUT);
  EXPECT_EQ(BACK.FJOUEUR, J);
  EXPECT_EQ(BACK.STATE, sChampionNotAssigned);
  EXPECT_THROW(BACK.INGAMEVARIABLEFROMBUFFER(OUT), cConversionError);
  EXPECT_EQ(BACK.STATE, sChampionNotAssigned) << "left as it was";
}

TEST_F(ChampionsTest, ChooseRandomDrawsOnlyFreeChampions) {
  RANDOMGEN().SEED(7);
  L.ITEM(0)->STATE = sChampionInGame;
  L.ITEM(1)->STATE = sChampionSleeping;
  EXPECT_EQ(L.CHOOSERANDOM(), nullptr) << "and does not wait for one";
  L.ITEM(1)->STATE = sChampionNotAssigned;
  for (int I = 0; I < 50; ++I) {
    EXPECT_EQ(L.CHOOSERANDOM(), L.ITEM(1));
  }
}
