// Black-box tests of what needs the real process and the network: the
// console, connections and their ends, floods and readers that do not read,
// slots, idle and quiet time, signals, starts that fail and restarts.

#include <fcntl.h>
#include <signal.h>

#include <sstream>

#include "e2e_support.h"

using namespace e2e;

TEST_F(Server, TheConsoleTellsWhatClientsDoWithTheirBytesMadeVisible) {
  auto C = Play();
  C->SEND(std::string(257, 'a') +
          "\r\x1b]0;owned\x07\x1b[2J\x9b fake\\x41 \xE9t\xE9\rserver whoami\r");
  EXPECT_EQ(C->LINE(), "Alice");
  ASSERT_TRUE(WAITLOG(*SERVER, "\nserver whoami\n"));
  const std::string LOG = SERVER->CONSOLE();
  for (const std::string TEXT :
       {"Incoming connection", "personnage inexistant\nCreation du personnage\n",
        " line longer than 256 bytes discarded",
        "\n\\x1b]0;owned\\x07\\x1b[2J\\x9b fake\\\\x41 \xE9t\xE9\n"}) {
    EXPECT_NE(LOG.find(TEXT), std::string::npos) << TEXT << "\n" << LOG;
  }
  EXPECT_EQ(LOG.find('\x1b'), std::string::npos);
}

TEST_F(Server, AGuesserIsSlowedAfterThreeWrongPasswordsAndNobodyElseIs) {
  auto OTHER = Play();
  auto GUESSER = Connect();
  GUESSER->SEND("alice\r\n");
  EXPECT_EQ(GUESSER->LINE(), "mot de passe");
  const auto T0 = Clock::now();
  GUESSER->SEND("a\rb\rc\rd\re\rf\r");
  EXPECT_EQ(GUESSER->LINES(3), (Lines(3, "erreur passe")));
  // The three further answers wait 250, 500 and 1000 ms; meanwhile the other
  // player is answered at once.
  for (int I = 0; I < 5; ++I) {
    const auto T1 = Clock::now();
    OTHER->SEND("server whoami\r\n");
    EXPECT_EQ(OTHER->LINE(), "Alice");
    EXPECT_LT(Clock::now() - T1, 200ms);
  }
  EXPECT_EQ(GUESSER->LINES(3, 3000ms), (Lines(3, "erreur passe")));
  // 250 + 500 + 1000 ms, counted on a millisecond clock.
  EXPECT_GE(Clock::now() - T0, 1740ms);
}

TEST_F(Server, ConnectionsEndOnQuitOnTheirCloseOrResetAndTheServerGoesOn) {
  auto C = Play();
  C->SEND("admin shutdown\r\nserver whoami\r\nserver quit\r\nhelp\r\nserver whoami\r\n");
  EXPECT_EQ(C->LINES(3), (Lines{"stop", "Alice", "Bye bye"}));
  EXPECT_TRUE(C->QUIET(400));
  // The quitting connection closes at the next activity on the network.
  auto D = Connect();
  EXPECT_TRUE(C->WAITCLOSE(5000));
  EXPECT_TRUE(WAITLOG(*SERVER, " quitting"));
  EXPECT_EQ(CountOf(SERVER->CONSOLE(), "\nhelp\n"), 0);
  // Lines sent just before a half close are all acted on.
  D->SEND("alice\r\nSecret\r\nserver whoami\r\nserver quit\r\n");
  D->SHUTDOWNWRITE();
  EXPECT_EQ(D->LINES(4), (Lines{"mot de passe", "en jeu", "Alice", "Bye bye"}));
  for (const bool RESET : {false, true}) {
    cConnection E;
    ASSERT_TRUE(E.OPEN());
    RESET ? E.RESET() : E.CLOSE();
  }
  EXPECT_TRUE(WAITLOG(*SERVER, " disconnect"));
  auto AGAIN = Play();
  AGAIN->SEND("server whoami\r\n");
  EXPECT_EQ(AGAIN->LINE(), "Alice");
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
}

TEST_F(Server, AClientThatDoesNotReadNeitherBlocksOthersNorGrowsWithoutBound) {
  cConnection SLOW;
  ASSERT_TRUE(SLOW.OPEN(4096));
  SLOW.ENTER("bob", "pw");
  auto FAST = Play();
  std::string FLOOD;
  for (int I = 0; I < 12000; ++I) {
    FLOOD += "help\r";
  }
  std::thread WRITER([&] { SLOW.SEND(FLOOD); });
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
  EXPECT_TRUE(WAITLOG(*SERVER, " output overflow disconnect", 20000ms));
  FAST->SEND("server whoami\r\n");
  EXPECT_EQ(FAST->LINE(), "Alice");
}

TEST_F(Server, AReplyLongerThanTheOutputBoundReachesAClientThatReads) {
  auto C = std::make_unique<cConnection>();
  ASSERT_TRUE(C->OPEN());
  const Lines RECORD = C->ENTER("alice", "Secret", cLogin::NEW);
  const auto AT = std::find_if(RECORD.begin(), RECORD.end(),
                               [](const std::string& L) { return L.rfind("position:", 0) == 0; });
  ASSERT_NE(AT, RECORD.end());
  const std::string SQUARE = AT->substr(9);
  // 5000 constructions waiting for their payments list as some 370 KB, more
  // than the output bound of 256 KB.
  const int N = 5000;
  std::string MANY;
  for (int I = 0; I < N; ++I) {
    MANY += "BUILD BOURG " + SQUARE + "\r\n";
  }
  std::thread WRITER([&C, &MANY] { C->SEND(MANY + "GET CONSTRUCTIONS\r\n"); });
  int ECHOED = 0;
  for (int I = 0; I < N; ++I) {
    ECHOED +=
        C->LINES(3) == Lines{"RETURN BUILD BATIMENT", "BUILD BOURG AT " + SQUARE, "END RETURN"};
  }
  WRITER.join();
  EXPECT_EQ(ECHOED, N);
  const Lines LIST = C->READREPLY(1, 20000);
  EXPECT_EQ(std::count(LIST.begin(), LIST.end(), "position:" + SQUARE), N);
  EXPECT_EQ(LIST.back(), "END RETURN");
}

TEST_F(Server, BurstsOfConnectionsKeepNeitherTheNextPlayerWaitingNorAnyUngreeted) {
  for (int I = 0; I < 2000; ++I) {
    cConnection C;
    C.START(PORT());
    if (I % 2 == 0) {
      C.RESET();
    }
  }
  const auto T0 = Clock::now();
  cConnection NEXT;
  ASSERT_TRUE(NEXT.OPEN());
  EXPECT_EQ(NEXT.LINE(2000ms), "Welcome");
  EXPECT_LT(Clock::now() - T0, 1000ms);
  // One accept per poll: 100 connections take about 5 s.
  std::vector<std::unique_ptr<cConnection>> MANY;
  for (int I = 0; I < 100; ++I) {
    MANY.push_back(std::make_unique<cConnection>());
    MANY.back()->START(PORT());
  }
  const auto END = Clock::now() + 30000ms;
  int GREETED = 0;
  for (auto& C : MANY) {
    const auto LEFT = std::chrono::duration_cast<std::chrono::milliseconds>(END - Clock::now());
    GREETED += C->LINE(std::max(LEFT, 1ms)) == "Welcome" ? 1 : 0;
  }
  EXPECT_EQ(GREETED, 100);
}

TEST_F(Server, ASecondServerOnTheSamePortFailsWithExitCode1) {
  cGameDir OTHERDIR;
  auto OTHER = SERVE(OTHERDIR.PATH(), {}, false);
  OTHER->SPAWN();
  EXPECT_TRUE(OTHER->WAITEXIT(10000));
  EXPECT_EQ(OTHER->EXITCODE(), 1);
  EXPECT_NE(OTHER->CONSOLE().find("Server_Open failed!\n"), std::string::npos) << OTHER->CONSOLE();
  Connect();
}

TEST_F(Server, OneAddressHoldingEverySlotWithoutLoggingInGivesWayAndGoesAtTheDeadline) {
  std::vector<std::unique_ptr<cConnection>> HOLDERS;
  for (int I = 0; I < 512; ++I) {
    HOLDERS.push_back(std::make_unique<cConnection>());
    HOLDERS.back()->START(PORT());
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
  PLAYER.ENTER("alice", "Secret", cLogin::NEW);
  EXPECT_TRUE(WAITLOG(*SERVER, "Client 1 gives its slot to a newcomer"));
  while (Clock::now() - T0 < 63s) {
    std::this_thread::sleep_for(2s);
    TRICKLE();
    PLAYER.SEND("server whoami\r\n");
    EXPECT_EQ(PLAYER.LINE(), "Alice");
  }
  EXPECT_EQ(CountOf(SERVER->CONSOLE(), "Client 1 login deadline disconnect\n"), 511);
}

TEST_F(Server, AQuietServerUsesNextToNoProcessorTime) {
  auto C = Play();
  // Clock ticks of processor time: the fields after the command name, which
  // ends with the last ')', utime and stime being the 14th and 15th.
  const auto TICKS = [this] {
    const std::string STAT = ReadFile("/proc/" + std::to_string(SERVER->PID()) + "/stat");
    std::istringstream FIELDS(STAT.substr(STAT.rfind(')') + 2));
    std::string F;
    long SUM = 0;
    for (int I = 3; FIELDS >> F && I <= 15; ++I) {
      SUM += I >= 14 ? std::atol(F.c_str()) : 0;
    }
    return SUM;
  };
  std::this_thread::sleep_for(200ms);
  const long BEFORE = TICKS();
  std::this_thread::sleep_for(3000ms);
  // A clock tick is 10 ms: at most 30 ms of work in 3 s.
  EXPECT_LE(TICKS() - BEFORE, 3);
  C->SEND("server whoami\r\n");
  EXPECT_EQ(C->LINE(), "Alice");
}

TEST_F(Server, AClosedTerminalSavesThePlayersAndEndsWithExitCode0) {
  Play().reset();
  ASSERT_TRUE(SERVER->SIGNAL(SIGHUP));
  ASSERT_TRUE(SERVER->WAITEXIT(10000));
  EXPECT_EQ(SERVER->EXITCODE(), 0) << SERVER->CONSOLE();
  EXPECT_TRUE(fs::exists(DIR.PATH() / "players" / "Alice.plr"));
  EXPECT_NE(SERVER->CONSOLE().find("joueur:Alice\n"), std::string::npos) << SERVER->CONSOLE();
}

TEST(ServerStart, AConsoleNobodyReadsStopsNeitherPlayNorTheGracefulStop) {
  cGameDir DIR;
  int PIPE[2];
  ASSERT_EQ(::pipe2(PIPE, O_CLOEXEC), 0);
  auto SERVER = SERVE(DIR.PATH(), {}, false);
  SERVER->SPAWN(PIPE[1]);
  ::close(PIPE[1]);
  ASSERT_TRUE(SERVER->WAITLISTENING(20000));
  cConnection C;
  ASSERT_TRUE(C.OPEN());
  C.ENTER("alice", "Secret", cLogin::NEW);
  // Every command is a console line: 1.2 MB of them, far more than the pipe
  // and the console's queue hold. Lines that name no command answer nothing;
  // the question at the end answers once all of them are done.
  std::string FLOOD;
  for (int I = 0; I < 6000; ++I) {
    FLOOD += std::string(200, 'x') + "\r\n";
  }
  ASSERT_TRUE(C.SEND(FLOOD + "server whoami\r\n"));
  EXPECT_EQ(C.LINE(20000ms), "Alice");
  cConnection OTHER;
  ASSERT_TRUE(OTHER.OPEN());
  OTHER.ENTER("bob", "pw");
  EXPECT_EQ(SERVER->STOP(), 0);
  EXPECT_TRUE(fs::exists(DIR.PATH() / "players" / "Alice.plr"));
  ::close(PIPE[0]);
}

TEST(ServerStart, AGameItCannotReadStopsTheStartWithExitCode1NamingWhy) {
  const struct {
    std::string FILE, TEXT, SAID;
  } CASES[] = {
      {"players/accounts.zrk", "; bad\n1;a;b;null;M;e;0\n2;c;d;null;M;e;x9\n",
       "players/accounts.zrk, line 3"},
      {"players/x.plr", "#0\r\nname:../escaped\r\nnbTurns:0\r\n",
       "players/x.plr, line 2: 'name:../escaped'"},
      {"data/terrains.zrk", "", "data/terrains.zrk"},
  };
  for (const auto& C : CASES) {
    cGameDir DIR;
    if (C.TEXT.empty()) {
      fs::remove(DIR.PATH() / C.FILE);
    } else {
      std::ofstream(DIR.PATH() / C.FILE) << C.TEXT;
    }
    auto SERVER = SERVE(DIR.PATH(), {}, false);
    SERVER->SPAWN();
    EXPECT_TRUE(SERVER->WAITEXIT(10000));
    EXPECT_EQ(SERVER->EXITCODE(), 1) << C.FILE;
    EXPECT_NE(SERVER->CONSOLE().find(C.SAID), std::string::npos) << SERVER->CONSOLE();
    EXPECT_EQ(SERVER->CONSOLE().find("Server is listening"), std::string::npos) << C.FILE;
    EXPECT_FALSE(fs::exists(DIR.PATH() / "escaped.plr"));
  }
}

TEST_F(Server, AfterARestartTheWorldAndThePlayerAreTheOnesSaved) {
  EXPECT_EQ(CountOf(SERVER->CONSOLE(), "Creation du monde : 10x10\n"), 1);
  auto C = std::make_unique<cConnection>();
  ASSERT_TRUE(C->OPEN());
  const Lines RECORD = C->ENTER("alice", "Secret", cLogin::NEW);
  C.reset();
  ASSERT_EQ(SERVER->STOP(), 0) << SERVER->CONSOLE();
  const std::string WORLD = ReadFile(DIR.PATH() / "data" / "world.wld");
  std::string SAVED;
  for (const auto& L : RECORD) {
    SAVED += L + "\r\n";
  }
  EXPECT_EQ(ReadFile(DIR.PATH() / "players" / "Alice.plr"), SAVED);

  SERVER = SERVE(DIR.PATH());
  EXPECT_EQ(SERVER->CONSOLE().find("Creation du monde"), std::string::npos);
  auto AGAIN = std::make_unique<cConnection>();
  ASSERT_TRUE(AGAIN->OPEN());
  EXPECT_TRUE(AGAIN->ENTER("ALICE", "Secret").empty());
  Lines ALL{"RETURN PLAYER INFOS"};
  ALL.insert(ALL.end(), RECORD.begin(), RECORD.end());
  ALL.push_back("END RETURN");
  EXPECT_EQ(AGAIN->ASK("get all"), ALL);
  EXPECT_EQ(SERVER->STOP(), 0);
  EXPECT_EQ(ReadFile(DIR.PATH() / "data" / "world.wld"), WORLD);
}
