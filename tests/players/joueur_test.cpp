#include "players/joueur.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/console.h"
#include "base/errors.h"
#include "base/random.h"
#include "forces/batiment.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "server/startup.h"
#include "support/fixtures.h"
#include "world/grid.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& P) {
  std::ifstream IN(P, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

// The shipped game with a world, from a copy of the game directory.
class Players : public ::testing::Test {
 protected:
  Players() {
    INITGAME();
    WORLDMAP->CREATEWORLD();
    RANDOMGEN().SEED(2026);
    CONSOLELOG.CLEAR();
  }
  ~Players() override { FREEGAME(); }

  // A new player in JEUJOUEURS, as the login makes it.
  cJoueur* NewPlayer(const std::string& NAME) {
    auto J = std::make_unique<cJoueur>();
    EXPECT_TRUE(J->NEWPLAYER());
    J->FNAME = NAME;
    J->CHGRACE(0);
    return JEUJOUEURS->ADD(std::move(J));
  }

  cChampionPosition* Champion(cJoueur* J, int32_t I = 0) { return J->CHAMPIONS->ITEM(I); }

  cCreaturePosition* Troop(cJoueur* J, int32_t COUNT, tcoordMap AT, const char* CREATURE) {
    return J->TROUPES->WIZARD(JEUCREATURES->SEARCHCREATURE(CREATURE), COUNT, JEUCREATURES.get(),
                              AT);
  }

  // A player with a town, troops in town and in an army, a construction, a
  // recruitment, and two champions, one on its way.
  cJoueur* BusyPlayer() {
    cJoueur* J = NewPlayer("Alice");
    cChampionPosition* FIRST = Champion(J);
    const tcoordMap HOME = FIRST->FPOSITION;
    J->VILLES->WIZARDBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("bourg"), HOME);
    for (int32_t I = 0; I < 7; ++I) {
      Troop(J, 10 + I, HOME, I % 2 == 0 ? "milicien" : "archer");
    }
    for (int32_t I = 0; I < 7; ++I) {
      J->GETCREATURE(J->TROUPES->ITEM(0)->FUID, *FIRST, 1);
    }
    Troop(J, 5, HOME, "piquier");
    EXPECT_EQ(J->CONSTRUCTIONS->BUILDNEWBATIMENT(JEUBATIMENTS->SEARCHBATIMENT("scierie"), HOME),
              sBuildOK);
    EXPECT_EQ(J->RECRUTEMENTS->BUILDNEWCREATURE(2, JEUCREATURES->SEARCHCREATURE("milicien"), HOME),
              sBuildOK);
    // A second champion, on its way somewhere.
    cChampion* MODEL = JEUCHAMPIONS->CHOOSERANDOM();
    auto SECOND = std::make_unique<cChampionPosition>(MODEL);
    auto UNHELD = SECOND->ASSIGNPLAYER(J);
    cChampionPosition* S = cChampionPosition::TOMAP(SECOND, COORDMAP(2, 2), false);
    EXPECT_TRUE(S->MOVETO(COORDMAP(9, 7)));
    return J;
  }

  testsupport::cShippedGameDir GAME;
  cConsoleCapture CONSOLELOG;
};

}  // namespace

TEST_F(Players, ANewPlayerStartsWithResourcesTurnsAndOneChampion) {
  cJoueur* J = NewPlayer("alice");
  EXPECT_EQ(J->FUID, 0);
  EXPECT_EQ(J->AVAILTURNS, 200);
  EXPECT_EQ(J->NBTURNS, 0);
  for (uint16_t Q : J->CAPITAL.RESSOURCE) {
    EXPECT_EQ(Q, 3000);
  }
  ASSERT_EQ(J->CHAMPIONS->COUNT(), 1);
  cChampionPosition* C = Champion(J);
  EXPECT_TRUE(INMAP(C->FPOSITION));
  EXPECT_EQ(C->MODELE()->FJOUEUR, J);
  EXPECT_EQ(C->MODELE()->STATE, sChampionInGame);
  // Its champion scouted around it.
  EXPECT_TRUE(J->CARTE.INMAT(C->FPOSITION));
  EXPECT_EQ(NewPlayer("bob")->FUID, 1);
}

TEST_F(Players, GoldIsTheResourceOrKeptInSixteenBits) {
  cJoueur J(0, "x");
  J.SETGOLD(70000);
  EXPECT_EQ(J.GETGOLD(), 4464);
  EXPECT_EQ(J.CAPITAL.GETRESS("or"), 4464);
  J.WIZCAPITAL(7);
  EXPECT_EQ(J.CAPITAL.TOSTRING(), "7/7/7/7/7");
}

TEST_F(Players, GetCreatureMovesATroopOfTheChampionsSquareIntoItsArmy) {
  cJoueur* J = NewPlayer("alice");
  cChampionPosition* C = Champion(J);
  const tcoordMap HOME = C->FPOSITION;
  const tcoordMap ELSEWHERE = COORDMAP(HOME.X == 1 ? 2 : 1, HOME.Y);
  cCreaturePosition* FAR = Troop(J, 4, ELSEWHERE, "archer");
  cCreaturePosition* NEAR = Troop(J, 9, HOME, "milicien");
  const int32_t NEARID = NEAR->FUID;

  J->GETCREATURE(NEARID, *C, 4);
  EXPECT_EQ(J->OUTPUT.LINES().back(), "wrong line number (max:3)");
  J->GETCREATURE(FAR->FUID, *C, 1);
  J->GETCREATURE(424242, *C, 1);
  EXPECT_EQ(J->TROUPES->COUNT(), 2);
  EXPECT_EQ(C->ARMEES.GETCOUNT(), 0);
  EXPECT_EQ(J->OUTPUT.READCOUNT(), 1);

  J->GETCREATURE(NEARID, *C, 2);
  EXPECT_EQ(J->TROUPES->COUNT(), 1);
  ASSERT_EQ(C->ARMEES.GETARMEE(1, 2), NEAR);
  EXPECT_EQ(NEAR->FPOSITION, COORDMAP(-1, -1));

  // Back to the town on the champion's square.
  J->DROPCREATURE(*C, 1, 2);
  EXPECT_EQ(C->ARMEES.GETCOUNT(), 0);
  EXPECT_EQ(J->TROUPES->COUNT(), 2);
  EXPECT_EQ(NEAR->FPOSITION, HOME);
  J->DROPCREATURE(*C, 1, 1);
  EXPECT_EQ(J->TROUPES->COUNT(), 2);
}

TEST_F(Players, AFullArmyLeavesTheTroopInTown) {
  cJoueur* J = NewPlayer("alice");
  cChampionPosition* C = Champion(J);
  for (int32_t I = 0; I < 16; ++I) {
    Troop(J, 1 + I, C->FPOSITION, "milicien");
  }
  for (int32_t I = 0; I < 16; ++I) {
    J->GETCREATURE(J->TROUPES->ITEM(0)->FUID, *C, 1);
  }
  EXPECT_EQ(C->ARMEES.GETCOUNT(), 15);
  EXPECT_EQ(J->TROUPES->COUNT(), 1);
  J->GETCREATURE(J->TROUPES->ITEM(0)->FUID, *C, 3);
  EXPECT_EQ(J->TROUPES->COUNT(), 1);
}

TEST_F(Players, SaveLoadSaveGivesTheSameFile) {
  cJoueur* J = BusyPlayer();
  std::string ERROR;
  ASSERT_TRUE(J->SAVE(ERROR)) << ERROR;
  const fs::path PLAYERFILE = GAME.DIR.PATH() / "players" / "Alice.plr";
  const std::string FIRST = ReadAll(PLAYERFILE);
  ASSERT_NE(FIRST.find("[towns]\r\nnbLines:1\r\n"), std::string::npos) << FIRST;
  ASSERT_NE(FIRST.find("[under construction]\r\nnbLines:1\r\n"), std::string::npos);
  ASSERT_NE(FIRST.find("[troops]\r\nnbLines:1\r\n"), std::string::npos);
  ASSERT_NE(FIRST.find("[under recruitement]\r\nnbLines:1\r\n"), std::string::npos);
  ASSERT_NE(FIRST.find("[champions]\r\nnbLines:2\r\n"), std::string::npos);
  ASSERT_NE(FIRST.find("line:2\r\ncol:2\r\n"), std::string::npos);
  ASSERT_NE(FIRST.find("moveTo:9,7\r\n"), std::string::npos);

  // Loaded into a fresh game, the player writes the same bytes.
  FREEGAME();
  INITGAME();
  ASSERT_EQ(JEUJOUEURS->COUNT(), 1);
  cJoueur* BACK = JEUJOUEURS->ITEM(0);
  EXPECT_EQ(BACK->FNAME, "Alice");
  ASSERT_TRUE(BACK->SAVE(ERROR)) << ERROR;
  EXPECT_EQ(ReadAll(PLAYERFILE), FIRST);

  // The champion on its way keeps its target and needs the full exit cost again.
  cChampionPosition* WALKER = nullptr;
  for (int32_t I = 0; I < BACK->CHAMPIONS->COUNT(); ++I) {
    if (BACK->CHAMPIONS->ITEM(I)->ENDMOVE == COORDMAP(9, 7)) {
      WALKER = BACK->CHAMPIONS->ITEM(I);
    }
  }
  ASSERT_NE(WALKER, nullptr);
  EXPECT_FALSE(WALKER->MOVEMENTS.empty());
  EXPECT_EQ(WALKER->MOVEMENTS.back(), COORDMAP(9, 7));
  EXPECT_EQ(WALKER->MVNECEXIT, MOVECOSTAT(WALKER->FPOSITION));
  EXPECT_EQ(WALKER->MODELE()->FJOUEUR, BACK);
  EXPECT_EQ(WALKER->MODELE()->STATE, sChampionInGame);
  // The loaded constructions and recruitments pay from the loaded capital.
  EXPECT_EQ(BACK->CONSTRUCTIONS->ITEM(0)->FCAPITALPLAYER, &BACK->CAPITAL);
  EXPECT_EQ(BACK->RECRUTEMENTS->ITEM(0)->TRSFMOBILES, BACK->TROUPES.get());
}

TEST_F(Players, TheGraveyardIsNotSaved) {
  cJoueur* J = NewPlayer("alice");
  auto DEAD = J->CHAMPIONS->EXTRACT(Champion(J));
  J->CIMETIERE->ADD(std::move(DEAD));
  cBuffer B;
  J->TOBUFFER(B);
  B.REWIND();
  cJoueur BACK;
  BACK.FROMBUFFER(B);
  EXPECT_EQ(BACK.CHAMPIONS->COUNT(), 0);
  EXPECT_EQ(BACK.CIMETIERE->COUNT(), 0);
  EXPECT_EQ(BACK.LEVELINFO, -1);
}

TEST_F(Players, ActFillsEachObjectsNameAndIdentifierMarkers) {
  const cMobile ALDRIC(4, "Aldric");
  const cMobile BOB(7, "bob");
  EXPECT_EQ(cJoueur::ACT("$n1 ($n2) #$i1/$i2 $n3 $x1", {&ALDRIC, &BOB}),
            "aldric (bob) #4/7 $n3 $x1");
}

TEST_F(Players, SavePlayersAnnouncesEachPlayerAndLoadPlayersReadsThemInNameOrder) {
  JEUJOUEURS->SAVEPLAYERS();
  EXPECT_TRUE(CONSOLELOG.LINES().empty());
  NewPlayer("zoe");
  NewPlayer("Bob");
  JEUJOUEURS->SAVEPLAYERS();
  EXPECT_EQ(CONSOLELOG.LINES(), (std::vector<std::string>{"joueur:zoe", "joueur:Bob"}));
  EXPECT_TRUE(fs::exists(GAME.DIR.PATH() / "players" / "zoe.plr"));
  EXPECT_TRUE(fs::exists(GAME.DIR.PATH() / "players" / "Bob.plr"));
  // A leftover temporary of an interrupted save is not a player.
  GAME.DIR.WRITE("players/x.plr.tmp", "garbage");

  cListeJoueurs L;
  L.LOADPLAYERS();
  ASSERT_EQ(L.COUNT(), 2);
  EXPECT_EQ(L.ITEM(0)->FNAME, "Bob");
  EXPECT_EQ(L.ITEM(1)->FNAME, "zoe");
}

TEST_F(Players, ASavePassWritesOnlyThePlayersThatChangedAndCanGoAStepAtATime) {
  NewPlayer("alice");
  NewPlayer("bob");
  NewPlayer("carl");
  // A budget of nothing still looks at one player per step.
  JEUJOUEURS->STARTSAVEPASS();
  std::vector<int32_t> STEPS;
  while (JEUJOUEURS->SAVING()) {
    STEPS.push_back(JEUJOUEURS->SAVESTEP(0));
  }
  EXPECT_EQ(STEPS, (std::vector<int32_t>{1, 1, 1}));
  CONSOLELOG.CLEAR();
  EXPECT_EQ(JEUJOUEURS->SAVEPLAYERS(), 0);
  EXPECT_TRUE(CONSOLELOG.LINES().empty());
  JEUJOUEURS->FIND("bob")->AVAILTURNS = 7;
  EXPECT_EQ(JEUJOUEURS->SAVEPLAYERS(), 1);
  EXPECT_EQ(CONSOLELOG.LINES(), std::vector<std::string>{"joueur:bob"});
  // A player loaded from its file is as its file says: nothing to write.
  FREEGAME();
  INITGAME();
  EXPECT_EQ(JEUJOUEURS->SAVEPLAYERS(), 0);
}

TEST_F(Players, APlayerFileWhoseIdentifierIsTakenGetsAFreeOne) {
  NewPlayer("alice");
  NewPlayer("bob");
  JEUJOUEURS->SAVEPLAYERS();
  const fs::path BOB = GAME.DIR.PATH() / "players" / "bob.plr";
  std::string TEXT = ReadAll(BOB);
  ASSERT_EQ(TEXT.rfind("#1\r\n", 0), 0u);
  std::ofstream(BOB, std::ios::binary | std::ios::trunc) << "#0" << TEXT.substr(2);
  FREEGAME();
  INITGAME();
  ASSERT_EQ(JEUJOUEURS->COUNT(), 2);
  EXPECT_EQ(JEUJOUEURS->FIND("alice")->FUID, 0);
  EXPECT_EQ(JEUJOUEURS->FIND("bob")->FUID, 1);
  EXPECT_EQ(CONSOLELOG.LINES().back(), "joueur bob : uid 0 deja pris, nouveau uid 1");
}

TEST_F(Players, ARaceThatIsNotFoundIsWrittenEmpty) {
  cJoueur* J = NewPlayer("alice");
  J->CHGRACE("martiens");
  EXPECT_EQ(J->RACE, nullptr);
  cBuffer B;
  J->TOBUFFER(B);
  EXPECT_EQ(B.LINES()[4], "race:");
  J->CHGRACE("PLAINIERS");
  ASSERT_NE(J->RACE, nullptr);
}
