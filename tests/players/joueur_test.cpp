#include "players/joueur.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "base/safefile.h"
#include "base/strutils.h"

#include "support/game_in_play.h"

namespace {

namespace fs = std::filesystem;

class Players : public testsupport::cGameInPlay {
 protected:
  static cCreaturePosition* Troop(cJoueur* J, int32_t COUNT, tcoordMap AT, const char* CREATURE) {
    return J->TROUPES->WIZARD(JEUCREATURES->SEARCHCREATURE(CREATURE), COUNT, JEUCREATURES.get(),
                              AT);
  }
};

}  // namespace

TEST_F(Players, ATroopOfTheChampionsSquareGoesIntoItsArmyFromTheLineAskedAndBackToTown) {
  cJoueur* J = NEWPLAYER("alice");
  cChampionPosition& C = *J->CHAMPIONS->ITEM(0);
  const tcoordMap HOME = C.FPOSITION;
  const int32_t FAR = Troop(J, 4, COORDMAP(HOME.X == 1 ? 2 : 1, HOME.Y), "archer")->FUID;
  std::vector<cCreaturePosition*> NEAR;
  for (int32_t I = 0; I < 16; ++I) {
    NEAR.push_back(Troop(J, 1 + I, HOME, "milicien"));
  }
  J->OUTPUT.CLEAR();
  // Refused: a line out of 1 to 3 (the log says so), a troop elsewhere, no such troop.
  for (const auto& [TROOP, LINE] :
       {std::pair{NEAR[0]->FUID, 4}, {NEAR[0]->FUID, 0}, {FAR, 1}, {424242, 1}}) {
    J->GETCREATURE(TROOP, C, LINE);
  }
  EXPECT_EQ(J->OUTPUT.LINES(), std::vector<std::string>(2, "wrong line number (max:3)"));
  EXPECT_EQ(C.ARMEES.GETCOUNT(), 0);

  J->GETCREATURE(NEAR[0]->FUID, C, 2);
  ASSERT_EQ(C.ARMEES.GETARMEE(1, 2), NEAR[0]);
  J->DROPCREATURE(C, 1, 1);  // an empty place
  EXPECT_EQ(C.ARMEES.GETCOUNT(), 1);
  J->DROPCREATURE(C, 1, 2);
  EXPECT_EQ(C.ARMEES.GETCOUNT(), 0);
  EXPECT_EQ(NEAR[0]->FPOSITION, HOME);

  // Three lines of five: the sixteenth stays in town, whatever line it asks.
  for (cCreaturePosition* T : NEAR) {
    J->GETCREATURE(T->FUID, C, 1);
  }
  J->GETCREATURE(NEAR[15]->FUID, C, 3);
  EXPECT_EQ(C.ARMEES.GETCOUNT(), 15);
  EXPECT_EQ(J->TROUPES->COUNT(), 2);
}

TEST_F(Players, ASavePassWritesThePlayersThatChangedWhichLoadAsTheyWere) {
  // Carl: a town, troops in town and in an army, a construction, a
  // recruitment, two champions, one on its way, and a dead one.
  cJoueur* J = NEWPLAYER("carl");
  cChampionPosition* FIRST = J->CHAMPIONS->ITEM(0);
  const tcoordMap HOME = FIRST->FPOSITION;
  J->VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("bourg"), HOME);
  for (int32_t I = 0; I < 7; ++I) {
    J->GETCREATURE(Troop(J, 10 + I, HOME, I % 2 == 0 ? "milicien" : "archer")->FUID, *FIRST, 1);
  }
  Troop(J, 5, HOME, "piquier");
  ASSERT_EQ(J->CONSTRUCTIONS->BUILDNEWBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("scierie"), HOME),
            sBuildOK);
  ASSERT_EQ(J->RECRUTEMENTS->BUILDNEWCREATURE(2, JEUCREATURES->SEARCHCREATURE("milicien"), HOME),
            sBuildOK);
  std::vector<cChampionPosition*> MORE;
  for (const tcoordMap AT : {COORDMAP(2, 2), COORDMAP(4, 4)}) {
    auto C = std::make_unique<cChampionPosition>(JEUCHAMPIONS->CHOOSERANDOM());
    auto UNHELD = C->ASSIGNPLAYER(J);
    MORE.push_back(cChampionPosition::TOMAP(C, AT, false));
  }
  ASSERT_TRUE(MORE[0]->MOVETO(COORDMAP(9, 7)));
  J->MOVETOCIMETIERE(*MORE[1]);
  NEWPLAYER("zoe");
  NEWPLAYER("Bob");

  // A budget of nothing still looks at one player per step; the pass lasts
  // until the writer has told every outcome.
  JEUJOUEURS->STARTSAVEPASS();
  int32_t WRITTEN = 0;
  for (std::size_t BEFORE = 0; JEUJOUEURS->SAVING(); BEFORE = CONSOLELOG.LINES().size()) {
    WRITTEN += JEUJOUEURS->SAVESTEP(0);
    EXPECT_LE(CONSOLELOG.LINES().size(), BEFORE + 1);
  }
  EXPECT_EQ(WRITTEN, 3);
  EXPECT_EQ(CONSOLELOG.LINES(),
            (std::vector<std::string>{"joueur:carl", "joueur:zoe", "joueur:Bob"}));
  EXPECT_EQ(JEUJOUEURS->SAVEPLAYERS(), 0);
  // A pass looks at marked players only; the last save of a run at all.
  JEUJOUEURS->FIND("Bob")->AVAILTURNS = 7;
  JEUJOUEURS->FIND("zoe")->AVAILTURNS = 8;
  JEUJOUEURS->FIND("zoe")->MARKCHANGED();
  CONSOLELOG.CLEAR();
  JEUJOUEURS->STARTSAVEPASS();
  while (JEUJOUEURS->SAVING()) {
    JEUJOUEURS->SAVESTEP(INT64_MAX);
  }
  EXPECT_EQ(CONSOLELOG.LINES(), std::vector<std::string>{"joueur:zoe"});
  CONSOLELOG.CLEAR();
  EXPECT_EQ(JEUJOUEURS->SAVEPLAYERS(), 1);
  EXPECT_EQ(CONSOLELOG.LINES(), std::vector<std::string>{"joueur:Bob"});
  const fs::path CARL = GAME.DIR.PATH() / "players" / "carl.plr";
  const std::string SAVED = testsupport::READFILE(CARL);
  for (const char* PART :
       {"[towns]\r\nnbLines:1\r\n", "[under construction]\r\nnbLines:1\r\n",
        "[troops]\r\nnbLines:1\r\n", "[under recruitement]\r\nnbLines:1\r\n",
        "[champions]\r\nnbLines:2\r\n", "line:2\r\ncol:2\r\n", "moveTo:9,7\r\n"}) {
    EXPECT_NE(SAVED.find(PART), std::string::npos) << PART << " in " << SAVED;
  }

  // A leftover temporary of an interrupted save is not a player.
  GAME.DIR.WRITE("players/x.plr.tmp", "garbage");
  ASSERT_EQ(RESTART(), "");
  ASSERT_EQ(JEUJOUEURS->COUNT(), 3);
  // A player loaded is as its file says: nothing to write, and the same bytes when written.
  EXPECT_EQ(JEUJOUEURS->SAVEPLAYERS(), 0);
  cJoueur* BACK = JEUJOUEURS->FIND("carl");
  ASSERT_NE(BACK, nullptr);
  std::string ERROR;
  ASSERT_TRUE(BACK->SAVE(ERROR)) << ERROR;
  EXPECT_EQ(testsupport::READFILE(CARL), SAVED);
  EXPECT_EQ(BACK->CIMETIERE->COUNT(), 0);
  // The champion on its way keeps its target and needs the full exit cost again.
  cChampionPosition* WALKER = BACK->CHAMPIONS->ITEM(0)->ENDMOVE == COORDMAP(9, 7)
                                  ? BACK->CHAMPIONS->ITEM(0)
                                  : BACK->CHAMPIONS->ITEM(1);
  ASSERT_EQ(WALKER->ENDMOVE, COORDMAP(9, 7));
  ASSERT_FALSE(WALKER->MOVEMENTS.empty());
  EXPECT_EQ(WALKER->MOVEMENTS.back(), COORDMAP(9, 7));
  EXPECT_EQ(WALKER->MVNECEXIT, MOVECOSTAT(WALKER->FPOSITION));
  EXPECT_EQ(WALKER->MODELE()->FJOUEUR, BACK);
  // The loaded constructions and recruitments pay from the loaded capital.
  EXPECT_EQ(BACK->CONSTRUCTIONS->ITEM(0)->FCAPITALPLAYER, &BACK->CAPITAL);
  EXPECT_EQ(BACK->RECRUTEMENTS->ITEM(0)->TRSFMOBILES, BACK->TROUPES.get());
}

TEST_F(Players, ASaveThatFailsIsToldAndMadeAgainAtTheNextPass) {
  NEWPLAYER("alice");
  const auto PASS = [] {
    int32_t WRITTEN = 0;
    JEUJOUEURS->STARTSAVEPASS();
    while (JEUJOUEURS->SAVING()) {
      WRITTEN += JEUJOUEURS->SAVESTEP(INT64_MAX);
    }
    return WRITTEN;
  };
  const tSaveCalls REAL = SAVECALLS();
  SAVECALLS().RENAME = [](const char*, const char*) {
    errno = EACCES;
    return -1;
  };
  const int32_t FAILED = PASS();
  SAVECALLS() = REAL;
  EXPECT_EQ(FAILED, 0);
  const std::string PLR = (GAME.DIR.PATH() / "players" / "alice.plr").string();
  EXPECT_EQ(CONSOLELOG.LINES(), (std::vector<std::string>{
                                    "joueur:alice", "Sauvegarde impossible : players/alice.plr: " +
                                                        std::string(std::strerror(EACCES))}));
  EXPECT_FALSE(fs::exists(PLR));
  CONSOLELOG.CLEAR();
  EXPECT_EQ(PASS(), 1);
  EXPECT_EQ(CONSOLELOG.LINES(), std::vector<std::string>{"joueur:alice"});
  EXPECT_TRUE(fs::exists(PLR));
}

TEST_F(Players, ThousandsOfPlayersOnFileLoadAsTheirFilesSayAndAreFoundByNameInAnyCase) {
  // Written as an operator's script would: identifiers from 5, names of both cases.
  constexpr int32_t N = 2000;
  for (int32_t I = 0; I < N; ++I) {
    const std::string NAME = (I % 2 == 0 ? "p" : "Q") + std::to_string(I);
    GAME.DIR.WRITE("players/" + NAME + ".plr",
                   "#" + std::to_string(5 + I) + "\r\nname:" + NAME +
                       "\r\nnbTurns:3\r\navailTurns:197\r\nrace:Plainiers\r\n"
                       "capital:1/2/3/4/5\r\n[towns]\r\nnbLines:0\r\n[under construction]\r\n"
                       "nbLines:0\r\n[troops]\r\nnbLines:0\r\n[under recruitement]\r\n"
                       "nbLines:0\r\n[champions]\r\nnbLines:0\r\n[MAP]\r\ncount:1\r\n1-7\r\n\r\n");
  }
  ASSERT_EQ(RESTART(), "");
  ASSERT_EQ(JEUJOUEURS->COUNT(), N);
  for (int32_t I = 0; I < N; ++I) {
    const std::string NAME = (I % 2 == 0 ? "p" : "Q") + std::to_string(I);
    const cJoueur* J = FINDJOUEUR(I % 3 == 0 ? UPPERCASE(NAME) : LOWERCASE(NAME));
    ASSERT_NE(J, nullptr) << NAME;
    EXPECT_EQ(J->FNAME, NAME);
    EXPECT_EQ(J->FUID, 5 + I);
  }
  EXPECT_EQ(FINDJOUEUR("p2000"), nullptr);
  // Read whole: every record is its file's bytes again.
  EXPECT_EQ(JEUJOUEURS->SAVEPLAYERS(), 0);
}

TEST_F(Players, APlayerFileWhoseIdentifierIsTakenGetsAFreeOne) {
  NEWPLAYER("alice");
  NEWPLAYER("bob");
  JEUJOUEURS->SAVEPLAYERS();
  const fs::path BOB = GAME.DIR.PATH() / "players" / "bob.plr";
  const std::string TEXT = testsupport::READFILE(BOB);
  ASSERT_EQ(TEXT.rfind("#1\r\n", 0), 0u);
  std::ofstream(BOB, std::ios::binary | std::ios::trunc) << "#0" << TEXT.substr(2);
  ASSERT_EQ(RESTART(), "");
  ASSERT_EQ(JEUJOUEURS->COUNT(), 2);
  EXPECT_EQ(JEUJOUEURS->FIND("alice")->FUID, 0);
  EXPECT_EQ(JEUJOUEURS->FIND("bob")->FUID, 1);
  EXPECT_EQ(CONSOLELOG.LINES().back(), "joueur bob : uid 0 deja pris, nouveau uid 1");
}

TEST_F(Players, PlayersLoadInTheOrderTheirFilesChecksLeaveIdentifierOrderButTheLast) {
  const std::pair<const char*, const char*> FILES[] = {
      {"a", "#3"}, {"b", "#0"}, {"c", "#2"}, {"d", "#1"}};
  for (const auto& [NAME, UID] : FILES) {
    NEWPLAYER(NAME);
  }
  JEUJOUEURS->SAVEPLAYERS();
  for (const auto& [NAME, UID] : FILES) {
    const fs::path PLR = GAME.DIR.PATH() / "players" / (std::string(NAME) + ".plr");
    const std::string TEXT = testsupport::READFILE(PLR);
    std::ofstream(PLR, std::ios::binary | std::ios::trunc) << UID << TEXT.substr(TEXT.find('\r'));
  }
  ASSERT_EQ(RESTART(), "");
  std::vector<std::string> ORDER;
  for (int32_t I = 0; I < JEUJOUEURS->COUNT(); ++I) {
    ORDER.push_back(JEUJOUEURS->ITEM(I)->FNAME);
  }
  EXPECT_EQ(ORDER, (std::vector<std::string>{"b", "c", "a", "d"}));
}

TEST_F(Players, ARaceThatIsNotFoundIsWrittenEmpty) {
  cJoueur* J = NEWPLAYER("alice");
  J->CHGRACE("martiens");
  cBuffer B;
  J->TOBUFFER(B);
  EXPECT_EQ(B.LINES()[4], "race:");
  J->CHGRACE("PLAINIERS");
  EXPECT_NE(J->RACE, nullptr);
}

TEST_F(Players, APlayerHasAtMostAThousandWorksUnderWayAndAFileWithMoreIsReadWhole) {
  cJoueur* J = NEWPLAYER("carl");
  const tcoordMap HOME = J->CHAMPIONS->ITEM(0)->FPOSITION;
  cBatiment* BOURG = JEUBATIMENTS->SEARCHBATIMENT("bourg");
  cCreature* MILICIEN = JEUCREATURES->SEARCHCREATURE("milicien");
  J->VILLES->WIZARDBATIMENT(BOURG, HOME);
  const auto BOUND = [&](sResultBuild BUILT, sResultBuild RECRUITED) {
    J->OUTPUT.CLEAR();
    EXPECT_EQ(J->CONSTRUCTIONS->BUILDNEWBATIMENT(BOURG, HOME), BUILT);
    EXPECT_EQ(J->RECRUTEMENTS->BUILDNEWCREATURE(1, MILICIEN, HOME), RECRUITED);
  };
  for (int32_t I = 0; I < 1000; ++I) {
    BOUND(sBuildOK, sBuildOK);
  }
  BOUND(sBuildNeedBatiment, sBuildError);
  const std::string AT = std::to_string(HOME.X) + "," + std::to_string(HOME.Y);
  EXPECT_EQ(J->OUTPUT.LINES(),
            (std::vector<std::string>{"#INFO: construction bourg impossible \xE0 " + AT,
                                      "#INFO: recrutement milicien impossible \xE0 " + AT}));

  // One more of each in the file, as an older server could write it: all are read.
  JEUJOUEURS->SAVEPLAYERS();
  const fs::path CARL = GAME.DIR.PATH() / "players" / "carl.plr";
  std::string TEXT = testsupport::READFILE(CARL);
  for (const std::string SECTION : {"[under construction]", "[under recruitement]"}) {
    const std::string HEAD = SECTION + "\r\nnbLines:1000\r\n";
    const std::size_t FIRST = TEXT.find(HEAD) + HEAD.size();
    const std::string RECORD = TEXT.substr(FIRST, TEXT.find("\r\n#1\r\n", FIRST) + 2 - FIRST);
    ASSERT_EQ(RECORD.rfind("#0\r\n", 0), 0u) << RECORD;
    TEXT.replace(FIRST - HEAD.size(), HEAD.size(),
                 SECTION + "\r\nnbLines:1001\r\n#5000" + RECORD.substr(2));
  }
  std::ofstream(CARL, std::ios::binary | std::ios::trunc) << TEXT;
  ASSERT_EQ(RESTART(), "");
  J = JEUJOUEURS->FIND("carl");
  BOURG = JEUBATIMENTS->SEARCHBATIMENT("bourg");  // the rules were read again
  MILICIEN = JEUCREATURES->SEARCHCREATURE("milicien");
  EXPECT_EQ(J->CONSTRUCTIONS->COUNT(), 1001);
  EXPECT_EQ(J->RECRUTEMENTS->COUNT(), 1001);
  BOUND(sBuildNeedBatiment, sBuildError);
}
