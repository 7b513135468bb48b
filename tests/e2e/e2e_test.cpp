// Black-box tests: the real server binary in a fresh game directory, spoken to
// over TCP on 127.0.0.1. Every wait has a deadline.

#include "e2e_support.h"

using namespace e2e;

TEST_F(Server, GreetsANewConnectionBeforeItSendsAnything) {
  auto C = std::make_unique<cConnection>();
  ASSERT_TRUE(C->OPEN());
  EXPECT_EQ(C->LINES(2), (Lines{"Welcome", "login"}));
  EXPECT_TRUE(SERVER->WAITLOG("Incoming connection"));
}

TEST_F(Server, LineFeedsNeverEndALine) {
  auto C = Connect();
  C->SEND("alice\n");
  EXPECT_TRUE(C->SILENT());
  C->SEND("\r");
  EXPECT_EQ(C->LINE(), "mot de passe");
  C->SEND("Sec\nret\r");
  EXPECT_EQ(C->LINE(), "en jeu");
}

TEST_F(Server, LinesInOneSegmentAreAllActedOnInOrder) {
  Play().reset();
  auto C = Connect();
  C->SEND("ALICE\r\nSecret\r\nhelp\r\nserver whoami\r\n");
  EXPECT_EQ(C->LINES(2), (Lines{"mot de passe", "en jeu"}));
  EXPECT_EQ(C->LINES(HELP.size()), HELP);
  EXPECT_EQ(C->LINE(), "Alice");
}

TEST_F(Server, EmptyLinesAreIgnoredAndDoNotCountAsAttempts) {
  auto C = Connect();
  C->SEND("\r\n\r\r\n");
  EXPECT_TRUE(C->SILENT());
  C->SEND("bob\r\n\r\npw\r\n");
  EXPECT_EQ(C->LINES(2), (Lines{"mot de passe", "en jeu"}));
}

TEST_F(Server, AnUnknownAccountIsRefusedAndItsLaterLinesIgnored) {
  auto C = Connect();
  C->SEND("carol\r\n");
  EXPECT_EQ(C->LINE(), "compte inconnu");
  C->SEND("alice\r\nSecret\r\n");
  EXPECT_TRUE(C->SILENT());
}

TEST_F(Server, WrongPasswordsMayBeRetried) {
  auto C = Connect();
  C->SEND("alice\r\n");
  EXPECT_EQ(C->LINE(), "mot de passe");
  C->SEND("secret\r\n");
  EXPECT_EQ(C->LINE(), "erreur passe");
  C->SEND("Secret \r\n");
  EXPECT_EQ(C->LINE(), "erreur passe");
  C->SEND("Secret\r\n");
  EXPECT_EQ(C->LINE(), "en jeu");
  // The console tells of each mistake but never shows what was tried.
  EXPECT_TRUE(SERVER->WAITLOG("erreur commande:\nerreur commande:\n"));
  EXPECT_EQ(SERVER->LOG().find("erreur commande:secret"), std::string::npos);
}

TEST_F(Server, AGuesserIsSlowedAfterThreeWrongPasswordsAndNobodyElseIs) {
  auto OTHER = Play();
  auto GUESSER = Connect();
  GUESSER->SEND("alice\r\n");
  EXPECT_EQ(GUESSER->LINE(), "mot de passe");
  const auto T0 = Clock::now();
  GUESSER->SEND("a\rb\rc\rd\re\rf\r");
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(GUESSER->LINE(), "erreur passe");
  }
  // The three further answers wait 250, 500 and 1000 ms; meanwhile the other
  // player is answered at once.
  for (int I = 0; I < 5; ++I) {
    const auto T1 = Clock::now();
    OTHER->SEND("server whoami\r\n");
    EXPECT_EQ(OTHER->LINE(), "Alice");
    EXPECT_LT(Clock::now() - T1, 200ms);
  }
  EXPECT_EQ(GUESSER->LINES(3, 3000ms), (Lines{"erreur passe", "erreur passe", "erreur passe"}));
  // 250 + 500 + 1000 ms, counted on a millisecond clock.
  EXPECT_GE(Clock::now() - T0, 1740ms);
}

TEST_F(Server, ClientBytesReachTheConsoleAsVisibleEscapes) {
  auto C = Play();
  C->SEND("\x1b]0;owned\x07\x1b[2J\x9b fake\\x41 \xE9t\xE9\r");
  EXPECT_TRUE(SERVER->WAITLOG("\n\\x1b]0;owned\\x07\\x1b[2J\\x9b fake\\\\x41 \xE9t\xE9\n"))
      << SERVER->LOG();
  EXPECT_EQ(SERVER->LOG().find('\x1b'), std::string::npos);
}

TEST_F(Server, CommandsInPlayAnswerAndAreLogged) {
  auto C = Play();
  C->SEND("HELP\r\n");
  EXPECT_EQ(C->LINES(HELP.size()), HELP);
  C->SEND("server\r\n");
  EXPECT_EQ(C->LINES(4), (Lines{"RETURN SERVER HELP", "WHOAMI", "QUIT", "END RETURN"}));
  C->SEND("SERVER HELP\r\n");
  EXPECT_EQ(C->LINES(4), (Lines{"RETURN SERVER HELP", "WHOAMI", "QUIT", "END RETURN"}));
  C->SEND("server whoami\r\n");
  EXPECT_EQ(C->LINE(), "Alice");
  C->SEND("TURN 0\r\n");
  EXPECT_EQ(C->LINES(2), (Lines{"TURN PASSED", "END RETURN"}));
  C->SEND("turn x\r\n");
  EXPECT_EQ(C->LINE(), "TURN PASSED");
  EXPECT_EQ(C->LINE().rfind("erreur", 0), 0u);
  EXPECT_EQ(C->LINE(), "END RETURN");
  C->SEND("dance\r\nadmin\r\n");
  EXPECT_TRUE(C->SILENT());
  EXPECT_TRUE(SERVER->WAITLOG("\nserver whoami\n"));
  EXPECT_TRUE(SERVER->WAITLOG("\nturn x\n"));
}

TEST_F(Server, AdminShutdownAnswersStopAndTheServerKeepsRunning) {
  auto C = Play();
  C->SEND("admin shutdown\r\n");
  EXPECT_EQ(C->LINE(), "stop");
  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(SERVER->RUNNING());
  C->SEND("server whoami\r\n");
  EXPECT_EQ(C->LINE(), "Alice");
  auto D = Connect();
}

TEST_F(Server, QuitSaysGoodbyeIgnoresLaterLinesAndClosesAtTheNextActivity) {
  auto C = Play();
  C->SEND("server quit\r\nhelp\r\nserver whoami\r\n");
  EXPECT_EQ(C->LINE(), "Bye bye");
  EXPECT_TRUE(C->SILENT());
  auto D = Connect();  // activity on the network
  EXPECT_TRUE(C->CLOSEDBYSERVER());
  EXPECT_TRUE(SERVER->WAITLOG("Client 1 quitting"));
  EXPECT_EQ(CountOf(SERVER->LOG(), "\nhelp\n"), 0);
}

TEST_F(Server, AClientThatConnectsAndClosesIsRemoved) {
  {
    cConnection C;
    ASSERT_TRUE(C.OPEN());
  }
  EXPECT_TRUE(SERVER->WAITLOG("Client 1 disconnect"));
  auto D = Play();
}

TEST_F(Server, LinesSentJustBeforeClosingAreActedOn) {
  auto C = Play();
  C->SEND("server whoami\r\nserver quit\r\n");
  C->SHUTDOWNWRITE();
  EXPECT_EQ(C->LINES(2), (Lines{"Alice", "Bye bye"}));
}

TEST_F(Server, AnOverLongLineIsDiscardedAndTheConnectionGoesOn) {
  auto C = Connect();
  C->SEND(std::string(257, 'a') + "\r\n");
  EXPECT_TRUE(C->SILENT());
  EXPECT_TRUE(SERVER->WAITLOG("Client 1 line longer than 256 bytes discarded"));
  C->SEND("alice\r\nSecret\r\n");
  EXPECT_EQ(C->LINES(3), (Lines{"mot de passe", "en jeu", "Race :"}));
  ChooseRace(*C, "0");
  C->SEND(std::string(5000, 'x') + "\rserver whoami\r");
  EXPECT_EQ(C->LINE(), "Alice");
  // A line of exactly 256 bytes is a line.
  C->SEND("SERVER WHOAMI" + std::string(243, ' ') + "\r");
  EXPECT_TRUE(C->SILENT());
  EXPECT_TRUE(SERVER->WAITLOG("\nSERVER WHOAMI" + std::string(243, ' ') + "\n"));
}

TEST_F(Server, HundredKilobytesWithoutACarriageReturnNeitherStopTheServerNorOthers) {
  auto BIG = Play();
  auto OTHER = Play();
  ASSERT_TRUE(BIG->SEND(std::string(100000, 'x')));
  for (int I = 0; I < 5; ++I) {
    const auto T0 = Clock::now();
    OTHER->SEND("server whoami\r\n");
    EXPECT_EQ(OTHER->LINE(2000ms), "Alice");
    EXPECT_LT(Clock::now() - T0, 500ms);
  }
  // The sender's connection goes on once its line ends.
  BIG->SEND("\rserver whoami\r");
  EXPECT_EQ(BIG->LINE(20000ms), "Alice");
  EXPECT_TRUE(SERVER->RUNNING());
}

TEST_F(Server, AClientThatDoesNotReadNeitherBlocksOthersNorGrowsWithoutBound) {
  auto SLOW = std::make_unique<cConnection>();
  ASSERT_TRUE(SLOW->OPEN(4096));
  EXPECT_EQ(SLOW->LINES(2), (Lines{"Welcome", "login"}));
  SLOW->SEND("bob\r\npw\r\n");
  EXPECT_EQ(SLOW->LINES(3), (Lines{"mot de passe", "en jeu", "Race :"}));
  ChooseRace(*SLOW, "1");

  auto FAST = Play();
  std::string FLOOD;
  for (int I = 0; I < 12000; ++I) {
    FLOOD += "help\r";
  }
  std::thread WRITER([&] { SLOW->SEND(FLOOD); });

  auto WORST = Clock::duration::zero();
  for (int I = 0; I < 20; ++I) {
    const auto T0 = Clock::now();
    FAST->SEND("server whoami\r\n");
    EXPECT_EQ(FAST->LINE(2000ms), "Alice");
    WORST = std::max(WORST, Clock::now() - T0);
    std::this_thread::sleep_for(50ms);
  }
  WRITER.join();
  EXPECT_LT(WORST, 1000ms);
  RecordProperty(
      "worst_answer_us",
      std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(WORST).count()));
  EXPECT_TRUE(SERVER->WAITLOG("Client 1 output overflow disconnect", 20000ms))
      << SERVER->LOG().size();
  FAST->SEND("server whoami\r\n");
  EXPECT_EQ(FAST->LINE(), "Alice");
}

TEST_F(Server, AHundredConnectionsAtOnceAreAllGreetedAndTheServerStaysUp) {
  std::vector<std::unique_ptr<cConnection>> MANY;
  for (int I = 0; I < 100; ++I) {
    MANY.push_back(std::make_unique<cConnection>());
    MANY.back()->START();
  }
  // One accept per poll: 100 connections take about 5 s.
  const auto END = Clock::now() + 30000ms;
  int GREETED = 0;
  for (auto& C : MANY) {
    const auto LEFT = std::chrono::duration_cast<std::chrono::milliseconds>(END - Clock::now());
    GREETED += C->LINE(std::max(LEFT, 1ms)) == "Welcome" ? 1 : 0;
  }
  EXPECT_EQ(GREETED, 100);
  MANY.clear();
  EXPECT_TRUE(SERVER->RUNNING());
  auto C = Play();
  C->SEND("server whoami\r\n");
  EXPECT_EQ(C->LINE(10000ms), "Alice");
}

TEST_F(Server, AClientSilentForMoreThanFiveSecondsBeforeLoggingInIsDroppedAtItsNextByte) {
  auto C = Connect();
  auto P = Play();
  std::this_thread::sleep_for(5300ms);
  C->SEND("alice\r\n");
  EXPECT_TRUE(C->CLOSEDBYSERVER());
  EXPECT_TRUE(SERVER->WAITLOG("Client 1 idle disconnect"));
  // A client in play is never dropped for idleness.
  P->SEND("server whoami\r\n");
  EXPECT_EQ(P->LINE(), "Alice");
}

TEST_F(Server, ASecondServerOnTheSamePortFailsWithExitCode1) {
  cGameDir OTHERDIR;
  cServerProcess OTHER(OTHERDIR.PATH(), false, {}, false);
  EXPECT_EQ(OTHER.WAITEXIT(), 1);
  EXPECT_NE(OTHER.LOG().find("Server_Open failed!\n"), std::string::npos) << OTHER.LOG();
  auto C = Connect();
}

TEST_F(Server, ABurstOfConnectAndCloseDoesNotKeepTheNextPlayerWaiting) {
  for (int I = 0; I < 2000; ++I) {
    cConnection C;
    C.START();
    if (I % 2 == 0) {
      C.RESET();
    }
  }
  const auto T0 = Clock::now();
  cConnection NEXT;
  ASSERT_TRUE(NEXT.OPEN());
  EXPECT_EQ(NEXT.LINE(2000ms), "Welcome");
  EXPECT_LT(Clock::now() - T0, 1000ms);
}

TEST_F(Server, OneAddressHoldingEverySlotWithoutLoggingInGivesWayAndGoesAtTheDeadline) {
  std::vector<std::unique_ptr<cConnection>> HOLDERS;
  for (int I = 0; I < 512; ++I) {
    HOLDERS.push_back(std::make_unique<cConnection>());
    HOLDERS.back()->START();
  }
  int GREETED = 0;
  for (auto& C : HOLDERS) {
    GREETED += C->LINES(2, 10000ms) == Lines{"Welcome", "login"} ? 1 : 0;
  }
  ASSERT_EQ(GREETED, 512);
  const auto T0 = Clock::now();
  // One byte every 2 s, never a whole line: under every idle limit.
  const auto TRICKLE = [&HOLDERS] {
    for (auto& C : HOLDERS) {
      C->SEND("a");
    }
  };
  TRICKLE();
  cConnection PLAYER;
  ASSERT_TRUE(PLAYER.OPEN(0, "127.0.0.2"));
  EXPECT_EQ(PLAYER.LINES(2), (Lines{"Welcome", "login"}));
  PLAYER.SEND("alice\r\nSecret\r\n");
  EXPECT_EQ(PLAYER.LINES(3), (Lines{"mot de passe", "en jeu", "Race :"}));
  ChooseRace(PLAYER, "0");
  EXPECT_TRUE(SERVER->WAITLOG("Client 1 gives its slot to a newcomer"));
  while (Clock::now() - T0 < 63s) {
    std::this_thread::sleep_for(2s);
    TRICKLE();
    PLAYER.SEND("server whoami\r\n");
    EXPECT_EQ(PLAYER.LINE(), "Alice");
  }
  EXPECT_EQ(CountOf(SERVER->LOG(), "Client 1 login deadline disconnect\n"), 511);
}

TEST_F(Server, AQuietServerUsesNextToNoProcessorTime) {
  auto C = Play();
  std::this_thread::sleep_for(200ms);
  const long BEFORE = SERVER->CPUTICKS();
  std::this_thread::sleep_for(3000ms);
  // A clock tick is 10 ms: at most 30 ms of work in 3 s.
  EXPECT_LE(SERVER->CPUTICKS() - BEFORE, 3);
  C->SEND("server whoami\r\n");
  EXPECT_EQ(C->LINE(), "Alice");
}

TEST_F(Server, AClosedTerminalSavesThePlayersAndEndsWithExitCode0) {
  Play().reset();
  EXPECT_EQ(SERVER->STOP(SIGHUP), 0) << SERVER->LOG();
  EXPECT_TRUE(fs::exists(DIR.PATH() / "players" / "Alice.plr"));
  EXPECT_NE(SERVER->LOG().find("joueur:Alice\n"), std::string::npos) << SERVER->LOG();
}

TEST(ServerStart, AConsoleNobodyReadsStopsNeitherPlayNorTheGracefulStop) {
  cGameDir DIR;
  cServerProcess SERVER(DIR.PATH(), true);
  // The console cannot be read to know when the server listens: connect until it does.
  const auto CONNECT = [] {
    auto C = std::make_unique<cConnection>();
    for (const auto END = Clock::now() + 10s; Clock::now() < END;) {
      C = std::make_unique<cConnection>();
      if (C->OPEN() && C->LINE(1000ms) == "Welcome") {
        EXPECT_EQ(C->LINE(), "login");
        return C;
      }
      std::this_thread::sleep_for(50ms);
    }
    ADD_FAILURE() << "no greeting";
    return C;
  };
  auto C = CONNECT();
  C->SEND("alice\r\nSecret\r\n");
  EXPECT_EQ(C->LINES(3), (Lines{"mot de passe", "en jeu", "Race :"}));
  Server::ChooseRace(*C, "0");
  // Every command is a console line: 1.2 MB of them, far more than the pipe
  // and the console's queue hold. Lines that name no command answer nothing;
  // the question at the end answers once all of them are done.
  std::string FLOOD;
  for (int I = 0; I < 6000; ++I) {
    FLOOD += std::string(200, 'x') + "\r\n";
  }
  ASSERT_TRUE(C->SEND(FLOOD + "server whoami\r\n"));
  EXPECT_EQ(C->LINE(20000ms), "Alice");
  auto OTHER = CONNECT();
  OTHER->SEND("bob\r\npw\r\n");
  EXPECT_EQ(OTHER->LINES(2), (Lines{"mot de passe", "en jeu"}));
  EXPECT_EQ(SERVER.STOP(), 0);
  EXPECT_TRUE(fs::exists(DIR.PATH() / "players" / "Alice.plr"));
}

TEST(ServerStart, ABadAccountsFileStopsStartUpNamingFileLineAndText) {
  cGameDir DIR;
  std::ofstream(DIR.PATH() / "players" / "accounts.zrk")
      << "; bad\n1;a;b;null;M;e;0\n2;c;d;null;M;e;x9\n";
  cServerProcess SERVER(DIR.PATH());
  EXPECT_EQ(SERVER.WAITEXIT(), 1);
  const std::string LOG = SERVER.LOG();
  EXPECT_NE(LOG.find("players/accounts.zrk"), std::string::npos) << LOG;
  EXPECT_NE(LOG.find("line 3"), std::string::npos) << LOG;
  EXPECT_NE(LOG.find("x9"), std::string::npos) << LOG;
  EXPECT_EQ(LOG.find("Server is listening"), std::string::npos) << LOG;
}

TEST(ServerStart, APlayerFileWhoseNameIsNotAFileNameStopsStartUp) {
  cGameDir DIR;
  std::ofstream(DIR.PATH() / "players" / "x.plr") << "#0\r\nname:../escaped\r\nnbTurns:0\r\n";
  cServerProcess SERVER(DIR.PATH());
  EXPECT_EQ(SERVER.WAITEXIT(), 1);
  const std::string LOG = SERVER.LOG();
  EXPECT_NE(LOG.find("players/x.plr, line 2: 'name:../escaped'"), std::string::npos) << LOG;
  EXPECT_FALSE(fs::exists(DIR.PATH() / "escaped.plr"));
}

TEST(ServerStart, AMissingRulesFileStopsStartUpNamingIt) {
  cGameDir DIR;
  fs::remove(DIR.PATH() / "data" / "terrains.zrk");
  cServerProcess SERVER(DIR.PATH());
  EXPECT_EQ(SERVER.WAITEXIT(), 1);
  const std::string LOG = SERVER.LOG();
  EXPECT_NE(LOG.find("data/terrains.zrk"), std::string::npos) << LOG;
  EXPECT_EQ(LOG.find("Server is listening"), std::string::npos) << LOG;
}

TEST(ServerStart, TheWorldIsCreatedOnceThenReusedAcrossRestarts) {
  cGameDir DIR;
  const fs::path WORLD = DIR.PATH() / "data" / "world.wld";
  std::string FIRSTWORLD;
  {
    cServerProcess FIRST(DIR.PATH());
    ASSERT_TRUE(FIRST.WAITLOG("Server is listening")) << FIRST.LOG();
    EXPECT_EQ(CountOf(FIRST.LOG(), "Creation du monde : 10x10\n"), 1) << FIRST.LOG();
    EXPECT_EQ(FIRST.STOP(), 0) << FIRST.LOG();
    FIRSTWORLD = ReadFile(WORLD);
  }
  // 101 records of 1 + 2 bytes per resource: one for every map index up to 100.
  const std::size_t NBRESS = 5;
  EXPECT_EQ(FIRSTWORLD.size(), 101 * (1 + 2 * NBRESS));
  cServerProcess SECOND(DIR.PATH());
  ASSERT_TRUE(SECOND.WAITLOG("Server is listening")) << SECOND.LOG();
  EXPECT_EQ(SECOND.LOG().find("Creation du monde"), std::string::npos) << SECOND.LOG();
  EXPECT_EQ(SECOND.STOP(), 0) << SECOND.LOG();
  EXPECT_EQ(ReadFile(WORLD), FIRSTWORLD);
}

TEST_F(Server, GameQueriesAnswerFromTheLoadedRules) {
  auto C = Play();
  C->SEND("get game grid\r\n");
  EXPECT_EQ(C->LINES(4), (Lines{"RETURN GAME RACES", "WIDTH:10", "HEIGHT:10", "END RETURN"}));
  C->SEND("GET GAME RESSOURCES\r\n");
  EXPECT_EQ(C->LINES(8), (Lines{"RETURN GAME RESSOURCES", "nbLines:5", "0:or", "1:bois", "2:pierre",
                                "3:fer", "4:cristal", "END RETURN"}));
  // The text after GAME also matches the player's own query.
  EXPECT_EQ(C->LINES(3),
            (Lines{"RETURN PLAYER RESSOURCES", "3000/3000/3000/3000/3000", "END RETURN"}));
  C->SEND("GET GAME TROOP #424242\r\n");
  EXPECT_EQ(C->LINES(2), (Lines{"RETURN TROOP INFOS", "END RETURN"}));
}

TEST_F(Server, ANewAccountChoosesARaceAndFindsItsPlayerAgainAfterARestart) {
  auto C = Connect();
  C->SEND("alice\r\nSecret\r\n");
  EXPECT_EQ(C->LINES(3), (Lines{"mot de passe", "en jeu", "Race :"}));
  EXPECT_EQ(C->LINE(), "nbLines:3");
  EXPECT_EQ(C->LINES(3), (Lines{"0:Plainiers", "1:Sylvains", "2:Troglodytes"}));
  C->SEND("sylvains\r\n");
  EXPECT_EQ(C->LINE(), "Race :");
  EXPECT_EQ(C->LINE(), "nbLines:3");
  C->LINES(3);
  C->SEND("1\r\n");
  const Lines RECORD = ReadRecord(*C);
  ASSERT_GE(RECORD.size(), 8u);
  EXPECT_EQ(RECORD[0], "#0");
  EXPECT_EQ(RECORD[1], "name:Alice");
  EXPECT_EQ(RECORD[3], "availTurns:200");
  EXPECT_EQ(RECORD[4].rfind("race:", 0), 0u);
  EXPECT_EQ(RECORD[5], "capital:3000/3000/3000/3000/3000");
  EXPECT_TRUE(SERVER->WAITLOG("personnage inexistant\nCreation du personnage\n"));
  C->SEND("get all\r\n");
  EXPECT_EQ(C->LINE(), "RETURN PLAYER INFOS");
  EXPECT_EQ(ReadRecord(*C), RECORD);
  EXPECT_EQ(C->LINE(), "END RETURN");

  // A graceful stop saves the player.
  C.reset();
  ASSERT_EQ(SERVER->STOP(), 0) << SERVER->LOG();
  EXPECT_NE(SERVER->LOG().find("joueur:Alice\n"), std::string::npos) << SERVER->LOG();
  const fs::path PLAYERFILE = DIR.PATH() / "players" / "Alice.plr";
  const std::string SAVED = ReadFile(PLAYERFILE);
  std::string EXPECTED;
  for (const auto& L : RECORD) {
    EXPECTED += L + "\r\n";
  }
  EXPECT_EQ(SAVED, EXPECTED);

  // After a restart the account goes straight to play with the same player.
  SERVER = std::make_unique<cServerProcess>(DIR.PATH());
  ASSERT_TRUE(SERVER->WAITLOG("Server is listening")) << SERVER->LOG();
  auto AGAIN = Connect();
  AGAIN->SEND("ALICE\r\nSecret\r\nget all\r\n");
  EXPECT_EQ(AGAIN->LINES(3), (Lines{"mot de passe", "en jeu", "RETURN PLAYER INFOS"}));
  EXPECT_EQ(ReadRecord(*AGAIN), RECORD);
  EXPECT_EQ(AGAIN->LINE(), "END RETURN");
}
