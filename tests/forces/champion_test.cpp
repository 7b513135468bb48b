#include "forces/champion.h"

#include <gtest/gtest.h>

#include <map>

#include "base/errors.h"
#include "base/random.h"
#include "forces/rules_fixtures.h"

using rulesfixtures::cBaseRules;

namespace {
const std::string HEROS =
    "; champions\r\n"
    "#0\r\nAldric\r\nrace:humains\r\nclass:Guerrier\r\ncaracts:att:6-def:4-depl:3-scout:2\r\n"
    "ressNec:100/0/0\r\nressMaintient:2/0/0\r\nressProduite:0/0/0\r\n"
    "\r\n"
    "#1\r\ngrishka\r\nrace:orques\r\nclass:mage\r\ncaracts:vie:9-depl:2\r\n"
    "ressNec:80/0/0\r\nressMaintient:1/0/0\r\nressProduite:0/1/0\r\n";

// Four game-state lines after each record, and the tavern's lines after
// champion 1, which is on offer.
const std::string INGAME =
    "#0\r\naldric\r\nrace:Humains\r\nclass:guerrier\r\ncaracts:att:6\r\n"
    "ressNec:100/0/0\r\nressMaintient:2/0/0\r\nressProduite:0/0/0\r\n"
    "player:bob\r\ndead\r\nexp:40\r\nniveau:2\r\n"
    "#1\r\ngrishka\r\nrace:orques\r\nclass:mage\r\ncaracts:depl:2\r\n"
    "ressNec:80/0/0\r\nressMaintient:1/0/0\r\nressProduite:0/1/0\r\n"
    "no player\r\nintavern\r\nexp:0\r\nniveau:0\r\n"
    "#1\r\ngrishka\r\nno player\r\nturnBeforeSold:20\r\nprice:500\r\n"
    "#2\r\nmira\r\nrace:humains\r\nclass:mage\r\ncaracts:none\r\n"
    "ressNec:0/0/0\r\nressMaintient:0/0/0\r\nressProduite:0/0/0\r\n"
    "no player\r\ncreated\r\nexp:0\r\nniveau:0\r\n";
}  // namespace

TEST(Champions, InitialFileIsPreferred) {
  cBaseRules R;
  const std::string INGAMEFILE = R.DIR.WRITE("inGameHeros.zrk", INGAME);
  const std::string HEROSFILE = R.DIR.WRITE("heros.zrk", HEROS);
  cListeChampions L(INGAMEFILE, HEROSFILE);
  EXPECT_EQ(L.NMINIFILE, HEROSFILE);
  EXPECT_EQ(L.STLOADING, stLoadLev0);
  ASSERT_TRUE(L.LOADCHAMPIONS());
  ASSERT_EQ(L.COUNT(), 2);
  cChampion* ALDRIC = L.GETCHAMPION(0);
  EXPECT_EQ(ALDRIC->FNAME, "aldric");
  ASSERT_NE(ALDRIC->RACE, nullptr);
  EXPECT_EQ(ALDRIC->RACE->FNAME, "Humains");
  ASSERT_NE(ALDRIC->FCLASSE, nullptr);
  EXPECT_EQ(ALDRIC->FCLASSE->FNAME, "guerrier");
  EXPECT_EQ(ALDRIC->GETATTACK(), 6);
  EXPECT_EQ(ALDRIC->GETVIT(), 0);
  ASSERT_NE(ALDRIC->GETCARACT("scout"), nullptr);
  EXPECT_EQ(ALDRIC->GETCARACT("SCOUT")->VALUE, 2);
  EXPECT_EQ(ALDRIC->RESSPARTOUR.TOSTRING(), "2/0/0");
  EXPECT_EQ(ALDRIC->STATE, sChampionCreated);
  EXPECT_EQ(L.GETCHAMPION(1)->GETPDV(), 9);
}

TEST(Champions, InGameFileLoadsDescriptionsOnly) {
  cBaseRules R;
  const std::string INGAMEFILE = R.DIR.WRITE("inGameHeros.zrk", INGAME);
  cListeChampions L(INGAMEFILE, (R.DIR.PATH() / "heros.zrk").string());
  EXPECT_EQ(L.NMINIFILE, INGAMEFILE);
  EXPECT_EQ(L.STLOADING, stLoadInGame);
  ASSERT_TRUE(L.LOADCHAMPIONS());
  // The tavern's lines after grishka are not a fourth champion.
  ASSERT_EQ(L.COUNT(), 3);
  EXPECT_EQ(L.GETCHAMPION(0)->STATE, sChampionCreated);
  EXPECT_EQ(L.GETCHAMPION(0)->EXPERIENCE, 0);
  EXPECT_EQ(L.GETCHAMPION(0)->FJOUEUR, nullptr);
  EXPECT_EQ(L.GETCHAMPION(1)->FNAME, "grishka");
  EXPECT_EQ(L.GETCHAMPION(1)->RESSPROD.TOSTRING(), "0/1/0");
  EXPECT_EQ(L.GETCHAMPION(2)->FNAME, "mira");
  EXPECT_EQ(L.GETCHAMPION(2)->FCARACTS.GETCOUNT(), 0);

  cListeChampions NONE((R.DIR.PATH() / "a.zrk").string(), (R.DIR.PATH() / "b.zrk").string());
  EXPECT_FALSE(NONE.LOADCHAMPIONS());
}

TEST(Champions, GameStateLines) {
  cBaseRules R;
  cListeChampions L(R.DIR.WRITE("inGameHeros.zrk", INGAME), "");
  ASSERT_TRUE(L.LOADCHAMPIONS());
  cChampion* C = L.GETCHAMPION(2);
  C->STATE = sChampionDead;
  C->EXPERIENCE = 12;
  C->NIVEAU = 3;
  cBuffer OUT;
  C->TOBUFFER(OUT);
  EXPECT_EQ(OUT.LINES(), (std::vector<std::string>{"#2", "mira", "race:Humains", "class:mage",
                                                   "caracts:", "ressNec:0/0/0",
                                                   "ressMaintient:0/0/0", "ressProduite:0/0/0",
                                                   "no player", "dead", "exp:12", "niveau:3"}));

  cChampion BACK;
  OUT.REWIND();
  BACK.FROMBUFFER(OUT, true);
  EXPECT_EQ(BACK.STATE, sChampionDead);
  EXPECT_EQ(BACK.EXPERIENCE, 12);
  EXPECT_EQ(BACK.NIVEAU, 3);
  EXPECT_EQ(BACK.FJOUEUR, nullptr);

  // Only the exact texts of the table are states.
  cBuffer STATES;
  for (const char* LINE : {"no player", "DEAD", "exp:1", "niveau:1", "no player", "not assigned",
                           "exp:2", "niveau:2"}) {
    STATES.WRITELN(LINE);
  }
  STATES.REWIND();
  BACK.STATE = sChampionInGame;
  BACK.INGAMEVARIABLEFROMBUFFER(STATES);
  EXPECT_EQ(BACK.STATE, sChampionInGame);
  BACK.INGAMEVARIABLEFROMBUFFER(STATES);
  EXPECT_EQ(BACK.STATE, sChampionNotAssigned);
  EXPECT_EQ(BACK.EXPERIENCE, 2);

  cBuffer BAD;
  BAD.WRITELN("no player");
  BAD.WRITELN("created");
  BAD.WRITELN("exp:beaucoup");
  BAD.REWIND();
  EXPECT_THROW(BACK.INGAMEVARIABLEFROMBUFFER(BAD), cConversionError);
}

TEST(Champions, CatalogueWrittenWithTavernLinesReadsBack) {
  cBaseRules R;
  cListeChampions L(R.DIR.WRITE("heros.zrk", HEROS), "");
  ASSERT_TRUE(L.LOADCHAMPIONS());
  L.GETCHAMPION(1)->STATE = sChampionInTavern;

  tChampionLinks SAVED = CHAMPIONLINKS;
  CHAMPIONLINKS.TAVERNLINES = [](cChampion& C, cBuffer& OUTPUT) {
    OUTPUT.WRITELN("#%d", C.FUID);
    OUTPUT.WRITELN(C.FNAME);
    OUTPUT.WRITELN("no player");
    OUTPUT.WRITELN("turnBeforeSold:20");
    OUTPUT.WRITELN("price:500");
  };
  cBuffer OUT;
  L.TOBUFFER(OUT);
  CHAMPIONLINKS = SAVED;
  ASSERT_EQ(OUT.READCOUNT(), 29);
  EXPECT_EQ(OUT.LINES()[21], "intavern");
  EXPECT_EQ(OUT.LINES()[24], "#1");

  ASSERT_TRUE(OUT.SAVETOFILE((R.DIR.PATH() / "inGameHeros.zrk").string()));
  cListeChampions BACK((R.DIR.PATH() / "inGameHeros.zrk").string(), "");
  ASSERT_EQ(BACK.STLOADING, stLoadInGame);
  ASSERT_TRUE(BACK.LOADCHAMPIONS());
  ASSERT_EQ(BACK.COUNT(), 2);
  EXPECT_EQ(BACK.GETCHAMPION(1)->FNAME, "grishka");
  EXPECT_EQ(BACK.GETCHAMPION(1)->STATE, sChampionCreated);
}

TEST(Champions, OwnerIsWrittenThroughThePlayersLink) {
  // Starts without links (a player made by another test installs them) and
  // puts back whatever was installed.
  struct cLinksGuard {
    tChampionLinks SAVED = CHAMPIONLINKS;
    cLinksGuard() { CHAMPIONLINKS = {}; }
    ~cLinksGuard() { CHAMPIONLINKS = SAVED; }
  } GUARD;
  cBaseRules R;
  cListeChampions L(R.DIR.WRITE("heros.zrk", HEROS), "");
  ASSERT_TRUE(L.LOADCHAMPIONS());
  // Any address stands for a player here: the links are all that read it.
  static int OWNER = 0;
  cJoueur* J = reinterpret_cast<cJoueur*>(&OWNER);
  L.GETCHAMPION(0)->FJOUEUR = J;
  cBuffer OUT;
  EXPECT_THROW(L.GETCHAMPION(0)->INGAMEVARIABLETOBUFFER(OUT), std::logic_error);

  tChampionLinks SAVED = CHAMPIONLINKS;
  CHAMPIONLINKS.NAMEOFPLAYER = [](const cJoueur&) { return std::string("bob"); };
  CHAMPIONLINKS.FINDPLAYER = [](std::string_view NAME) {
    return NAME == "bob" ? reinterpret_cast<cJoueur*>(&OWNER) : nullptr;
  };
  cBuffer LINES;
  L.GETCHAMPION(0)->INGAMEVARIABLETOBUFFER(LINES);
  EXPECT_EQ(LINES.LINES()[0], "player:bob");
  LINES.REWIND();
  cChampion BACK;
  BACK.INGAMEVARIABLEFROMBUFFER(LINES);
  CHAMPIONLINKS = SAVED;
  EXPECT_EQ(BACK.FJOUEUR, J);

  auto NEWCHAMPION = std::make_unique<cChampion>();
  cChampion* ADDED = L.ASSIGN(std::move(NEWCHAMPION), J);
  EXPECT_EQ(ADDED->FJOUEUR, J);
  EXPECT_EQ(L.COUNT(), 3);
}

TEST(Champions, ChooseRandomDrawsOnlyFreeChampions) {
  cBaseRules R;
  cListeChampions L(R.DIR.WRITE("inGameHeros.zrk", INGAME), "");
  ASSERT_TRUE(L.LOADCHAMPIONS());
  RANDOMGEN().SEED(7);
  L.GETCHAMPION(0)->STATE = sChampionInGame;
  L.GETCHAMPION(1)->STATE = sChampionDead;
  L.GETCHAMPION(2)->STATE = sChampionInTavern;
  EXPECT_EQ(L.CHOOSERANDOM(), nullptr);
  L.GETCHAMPION(2)->STATE = sChampionSleeping;
  EXPECT_EQ(L.CHOOSERANDOM(), nullptr);

  L.GETCHAMPION(1)->STATE = sChampionNotAssigned;
  L.GETCHAMPION(2)->STATE = sChampionCreated;
  std::map<int32_t, int> DRAWN;
  for (int I = 0; I < 200; ++I) {
    ++DRAWN[L.CHOOSERANDOM()->FUID];
  }
  EXPECT_EQ(DRAWN.count(0), 0u);
  EXPECT_GT(DRAWN[1], 50);
  EXPECT_GT(DRAWN[2], 50);

  cListeChampions EMPTY("", "");
  EXPECT_EQ(EMPTY.CHOOSERANDOM(), nullptr);
}
