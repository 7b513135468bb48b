// Black-box tests of what needs the real process and the network: the
// console, connections and their ends, floods and readers that do not read,
// slots, idle limits, signals, options, starts that fail and restarts.

#include <fcntl.h>
#include <signal.h>

#include <sstream>

#include "e2e_support.h"

using namespace e2e;

TEST_F(Server, AGuesserIsSlowedAfterThreeWrongPasswordsAndNobodyElseIs) {
  auto OTHER = Play();
  cConnection GUESSER;
  ASSERT_TRUE(GUESSER.OPEN());
  GUESSER.SEND("alice\r\n");
  EXPECT_EQ(GUESSER.LINES(3), (Lines{"Welcome", "login", "mot de passe"}));
  const auto T0 = Clock::now();
  GUESSER.SEND("a\rb\rc\rd\re\rf\r");
  EXPECT_EQ(GUESSER.LINES(3), (Lines(3, "erreur passe")));
  for (int I = 0; I < 5; ++I) {
    const auto T1 = Clock::now();
    EXPECT_TRUE(OTHER->WHOAMI());
    EXPECT_LT(Clock::now() - T1, 200ms);
  }
  // The three further answers wait 250, 500 and 1000 ms (a millisecond clock).
  EXPECT_EQ(GUESSER.LINES(3, 3000ms), (Lines(3, "erreur passe")));
  EXPECT_GE(Clock::now() - T0, 1740ms);
}

// The console tells what clients do, their bytes made visible; connections
// end on a quit, on their close or reset, and the server goes on.
TEST_F(Server, TheConsoleTellsWhatClientsDoAndConnectionsEndWhileTheServerGoesOn) {
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
  C->SEND("admin shutdown\r\nserver whoami\r\nserver quit\r\nhelp\r\nserver whoami\r\n");
  EXPECT_EQ(C->LINES(3), (Lines{"stop", "Alice", "Bye bye"}));
  EXPECT_TRUE(C->QUIET(400));
  // The quitting connection closes at the next activity on the network.
  cConnection D;
  ASSERT_TRUE(D.OPEN());
  EXPECT_TRUE(C->WAITCLOSE(5000));
  EXPECT_TRUE(WAITLOG(*SERVER, " quitting"));
  EXPECT_EQ(CountOf(SERVER->CONSOLE(), "\nhelp\n"), 0);
  // Lines sent just before a half close are all acted on.
  D.SEND("alice\r\nSecret\r\nserver whoami\r\nserver quit\r\n");
  D.SHUTDOWNWRITE();
  EXPECT_EQ(D.LINES(6), (Lines{"Welcome", "login", "mot de passe", "en jeu", "Alice", "Bye bye"}));
  for (const bool RESET : {false, true}) {
    cConnection E;
    ASSERT_TRUE(E.OPEN());
    RESET ? E.RESET() : E.CLOSE();
  }
  EXPECT_TRUE(WAITLOG(*SERVER, " disconnect"));
  EXPECT_TRUE(Play()->WHOAMI());
}

// 100 KB without a line end, and a client that asks for help 12000 times
// without reading: neither holds up a player, the first is answered once its
// line ends, the second is dropped.
TEST_F(Server, NeitherALongLineNorAClientThatDoesNotReadHoldsUpOthersOrGrowsWithoutBound) {
  auto BIG = Play();
  cConnection SLOW;
  ASSERT_TRUE(SLOW.OPEN(4096));
  SLOW.ENTER("bob", "pw");
  auto FAST = Play();
  ASSERT_TRUE(BIG->SEND(std::string(100000, 'x')));
  std::string FLOOD;
  for (int I = 0; I < 12000; ++I) {
    FLOOD += "help\r";
  }
  std::thread WRITER([&] { SLOW.SEND(FLOOD); });
  auto WORST = Clock::duration::zero();
  for (int I = 0; I < 20; ++I) {
    const auto T0 = Clock::now();
    EXPECT_TRUE(FAST->WHOAMI("Alice", 2000ms));
    WORST = std::max(WORST, Clock::now() - T0);
    std::this_thread::sleep_for(50ms);
  }
  WRITER.join();
  EXPECT_LT(WORST, 1000ms);
  EXPECT_TRUE(WAITLOG(*SERVER, " output overflow disconnect", 20000ms));
  BIG->SEND("\r");
  EXPECT_TRUE(BIG->WHOAMI("Alice", 20000ms));
}

TEST_F(Server, AThousandConstructionsPipelinedAreAllEchoedAndListed) {
  auto C = std::make_unique<cConnection>();
  ASSERT_TRUE(C->OPEN(4 << 20));
  const Lines RECORD = C->ENTER("alice", "Secret", cLogin::NEW);
  const auto AT = std::find_if(RECORD.begin(), RECORD.end(),
                               [](const std::string& L) { return L.rfind("position:", 0) == 0; });
  ASSERT_NE(AT, RECORD.end());
  const std::string SQUARE = AT->substr(9);
  // As many constructions as a player may have under way, sent at once: their
  // list is some 75 KB.
  const int N = 1000;
  std::string MANY;
  for (int I = 0; I < N; ++I) {
    MANY += "BUILD BOURG " + SQUARE + "\r\n";
  }
  std::thread WRITER([&C, &MANY] { C->SEND(MANY); });
  int ECHOED = 0;
  for (int I = 0; I < N; ++I) {
    ECHOED +=
        C->LINES(3) == Lines{"RETURN BUILD BATIMENT", "BUILD BOURG AT " + SQUARE, "END RETURN"};
  }
  WRITER.join();
  EXPECT_EQ(ECHOED, N);
  // Five lists at once: the fourth goes over the output bound, and the fifth
  // waits until the socket takes the excess, which its large buffer does at once.
  C->SEND(
      "GET CONSTRUCTIONS\r\nGET CONSTRUCTIONS\r\nGET CONSTRUCTIONS\r\nGET CONSTRUCTIONS\r\n"
      "GET CONSTRUCTIONS\r\n");
  for (int I = 0; I < 5; ++I) {
    const Lines LIST = C->READREPLY(1, 20000);
    EXPECT_EQ(std::count(LIST.begin(), LIST.end(), "position:" + SQUARE), N);
    ASSERT_FALSE(LIST.empty());
    EXPECT_EQ(LIST.back(), "END RETURN");
  }
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

TEST_F(Server, OneAddressHoldingEverySlotWithoutLoggingInGivesWayAndGoesAtTheDeadline) {
  // The cap is the option's: a server of 8 slots.
  EXPECT_EQ(SERVER->STOP(), 0);
  SERVER = SERVE(DIR.PATH(), {"--max-clients", "8"});
  std::vector<std::unique_ptr<cConnection>> HOLDERS;
  for (int I = 0; I < 8; ++I) {
    HOLDERS.push_back(std::make_unique<cConnection>());
    HOLDERS.back()->START(PORT());
  }
  int GREETED = 0;
  for (auto& C : HOLDERS) {
    GREETED += C->LINES(2, 10000ms) == Lines{"Welcome", "login"} ? 1 : 0;
  }
  ASSERT_EQ(GREETED, 8);
  EXPECT_EQ(CountOf(SERVER->CONSOLE(), "gives its slot"), 0);
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
    EXPECT_TRUE(PLAYER.WHOAMI());
  }
  EXPECT_EQ(CountOf(SERVER->CONSOLE(), "Client 1 login deadline disconnect\n"), 7);
}

// Runs that end without serving, while another server holds the port: the
// informational options, options refused, a game the start cannot read, and
// the port itself.
TEST_F(Server, RunsThatCannotOrNeedNotServeEndWithTheirCodeNamingWhy) {
  const struct {
    std::vector<std::string> ARGS;
    std::string FILE, TEXT;
    int CODE;
    std::string SAID;
  } CASES[] = {
      {{"--help"}, "", "", 0, "--idle-quiet S"},
      {{"--version"}, "", "", 0, "royaumes-server "},
      {{"--port", "99999"}, "", "", 2, "--port takes a port number"},
      {{"--max-clients", "0"}, "", "", 2, "--max-clients takes a number of clients"},
      {{"--dir", "none"}, "", "", 1, "cannot use the game directory"},
      {{},
       "players/accounts.zrk",
       "; bad\n1;a;b;null;M;e;0\n2;c;d;null;M;e;x9\n",
       1,
       "players/accounts.zrk, line 3"},
      {{},
       "players/x.plr",
       "#0\r\nname:../escaped\r\nnbTurns:0\r\n",
       1,
       "players/x.plr, line 2: 'name:../escaped'"},
      {{}, "data/terrains.zrk", "", 1, "data/terrains.zrk"},
      {{}, "", "", 1, "Server_Open failed!\n"},
  };
  for (const auto& C : CASES) {
    cGameDir GAME;
    if (!C.TEXT.empty()) {
      std::ofstream(GAME.PATH() / C.FILE) << C.TEXT;
    } else if (!C.FILE.empty()) {
      fs::remove(GAME.PATH() / C.FILE);
    }
    auto RUN = SERVE(GAME.PATH(), C.ARGS, false);
    RUN->SPAWN();
    EXPECT_TRUE(RUN->WAITEXIT(10000));
    EXPECT_EQ(RUN->EXITCODE(), C.CODE) << C.SAID;
    EXPECT_NE(RUN->CONSOLE().find(C.SAID), std::string::npos) << RUN->CONSOLE();
    EXPECT_EQ(RUN->CONSOLE().find("Server is listening"), std::string::npos) << C.SAID;
    EXPECT_FALSE(fs::exists(GAME.PATH() / "escaped.plr"));
  }
  EXPECT_TRUE(Play()->WHOAMI());
}

TEST(ServerOptions, ClientsNotInPlayAreDroppedAfterTheIdleLimitsGivenAndPlayersNever) {
  cGameDir DIR;
  auto SERVER = SERVE(DIR.PATH(), {"--idle-busy", "1", "--idle-quiet", "2"});
  // Alone on a quiet network: the quiet limit, 2 s rather than 20.
  cConnection QUIET;
  ASSERT_TRUE(QUIET.OPEN());
  const auto START = Clock::now();
  EXPECT_TRUE(QUIET.WAITCLOSE(6000));
  EXPECT_GE(Clock::now() - START, 1900ms);
  EXPECT_TRUE(WAITLOG(*SERVER, "Idle deconnect"));
  // While another client is busy: the busy limit, 1 s rather than 5.
  cConnection PLAYER;
  ASSERT_TRUE(PLAYER.OPEN());
  PLAYER.ENTER("alice", "Secret");
  cConnection SILENT;
  ASSERT_TRUE(SILENT.OPEN());
  for (const auto END = Clock::now() + 1800ms; Clock::now() < END;) {
    PLAYER.SEND("server whoami\r\n");
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(SILENT.WAITCLOSE(100));
  EXPECT_TRUE(WAITLOG(*SERVER, " idle disconnect")) << SERVER->CONSOLE();
  // A client in play is never dropped for its silence, and a quiet server
  // uses next to no processor time: clock ticks of 10 ms, utime and stime
  // being the 14th and 15th fields (the 2nd, in parentheses, is the name).
  while (PLAYER.READLINE(100)) {
  }
  const auto TICKS = [&SERVER] {
    const std::string STAT = ReadFile("/proc/" + std::to_string(SERVER->PID()) + "/stat");
    std::istringstream FIELDS(STAT.substr(STAT.rfind(')') + 2));
    std::string F;
    long SUM = 0;
    for (int I = 3; FIELDS >> F && I <= 15; ++I) {
      SUM += I >= 14 ? std::atol(F.c_str()) : 0;
    }
    return SUM;
  };
  const long BEFORE = TICKS();
  std::this_thread::sleep_for(3000ms);
  EXPECT_LE(TICKS() - BEFORE, 3);
  EXPECT_TRUE(PLAYER.WHOAMI());
}

// A closed terminal (SIGHUP) saves the players and ends with code 0. The next
// start, from another working directory with --dir and a console nobody reads,
// serves the world and the player saved, and neither a flood of console lines
// stops play nor the graceful stop.
TEST_F(Server, AfterAHangUpARestartElsewhereServesWhatWasSavedWhateverItsConsole) {
  EXPECT_EQ(CountOf(SERVER->CONSOLE(), "Creation du monde : 10x10\n"), 1);
  auto C = std::make_unique<cConnection>();
  ASSERT_TRUE(C->OPEN());
  const Lines RECORD = C->ENTER("alice", "Secret", cLogin::NEW);
  C.reset();
  ASSERT_TRUE(SERVER->SIGNAL(SIGHUP));
  ASSERT_TRUE(SERVER->WAITEXIT(10000));
  EXPECT_EQ(SERVER->EXITCODE(), 0) << SERVER->CONSOLE();
  EXPECT_NE(SERVER->CONSOLE().find("joueur:Alice\n"), std::string::npos) << SERVER->CONSOLE();
  const std::string WORLD = ReadFile(DIR.PATH() / "data" / "world.wld");
  std::string SAVED;
  for (const auto& L : RECORD) {
    SAVED += L + "\r\n";
  }
  EXPECT_EQ(ReadFile(DIR.PATH() / "players" / "Alice.plr"), SAVED);

  cGameDir ELSEWHERE;
  fs::remove_all(ELSEWHERE.PATH() / "data");
  int PIPE[2];
  ASSERT_EQ(::pipe2(PIPE, O_CLOEXEC), 0);
  SERVER = SERVE(ELSEWHERE.PATH(), {"--dir", DIR.PATH().string()}, false);
  SERVER->SPAWN(PIPE[1]);
  ::close(PIPE[1]);
  ASSERT_TRUE(SERVER->WAITLISTENING(20000));
  cConnection AGAIN;
  ASSERT_TRUE(AGAIN.OPEN());
  EXPECT_TRUE(AGAIN.ENTER("ALICE", "Secret").empty());
  // Every line is a console line: 1.2 MB of them, far more than the pipe and
  // the console's queue hold. Lines that name no command answer nothing.
  std::string FLOOD;
  for (int I = 0; I < 6000; ++I) {
    FLOOD += std::string(200, 'x') + "\r\n";
  }
  ASSERT_TRUE(AGAIN.SEND(FLOOD + "get all\r\n"));
  Lines ALL{"RETURN PLAYER INFOS"};
  ALL.insert(ALL.end(), RECORD.begin(), RECORD.end());
  ALL.push_back("END RETURN");
  EXPECT_EQ(AGAIN.READREPLY(1, 20000), ALL);
  cConnection OTHER;
  ASSERT_TRUE(OTHER.OPEN());
  OTHER.ENTER("bob", "pw");
  EXPECT_EQ(SERVER->STOP(), 0);
  ::close(PIPE[0]);
  EXPECT_TRUE(fs::exists(DIR.PATH() / "players" / "bob.plr"));
  EXPECT_EQ(ReadFile(DIR.PATH() / "data" / "world.wld"), WORLD);
  EXPECT_FALSE(fs::exists(ELSEWHERE.PATH() / "data"));
}
