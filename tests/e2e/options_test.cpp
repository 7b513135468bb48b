// The server's options, seen from outside: the game directory it serves, the
// idle limits of clients not yet in play, and the informational options.

#include <sys/wait.h>

#include "e2e_support.h"

using namespace e2e;

TEST(ServerOptions, TheGameDirectoryOptionServesThatDirectoryFromAnyWorkingDirectory) {
  cGameDir GAME;
  cGameDir ELSEWHERE;
  fs::remove_all(ELSEWHERE.PATH() / "data");
  fs::remove_all(ELSEWHERE.PATH() / "players");
  auto SERVER = SERVE(ELSEWHERE.PATH(), {"--dir", GAME.PATH().string()});
  cConnection C;
  ASSERT_TRUE(C.OPEN());
  C.ENTER("alice", "Secret");
  EXPECT_EQ(SERVER->STOP(), 0) << SERVER->CONSOLE();
  EXPECT_TRUE(fs::exists(GAME.PATH() / "data" / "world.wld"));
  EXPECT_FALSE(fs::exists(ELSEWHERE.PATH() / "data"));
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

  // A client in play is never dropped for its silence.
  while (PLAYER.READLINE(100)) {
  }
  std::this_thread::sleep_for(2500ms);
  PLAYER.SEND("server whoami\r\n");
  EXPECT_EQ(PLAYER.LINE(), "Alice");
}

TEST(ServerOptions, HelpAndVersionAnswerWithoutServingAndABadOptionIsRefused) {
  cGameDir DIR;
  const fs::path OUT = DIR.PATH() / "out.txt";
  const struct {
    std::string ARGS;
    int CODE;
    std::string SAID;
  } CASES[] = {
      {"--help", 0, "--idle-quiet S"},
      {"--version", 0, "royaumes-server "},
      {"--port 99999", 2, "--port takes a port number"},
      {"--dir " + (DIR.PATH() / "none").string(), 1, "cannot use the game directory"},
  };
  for (const auto& C : CASES) {
    const int STATUS = std::system(
        (std::string(ROYAUMES_SERVER_BIN) + " " + C.ARGS + " >" + OUT.string() + " 2>&1").c_str());
    EXPECT_EQ(WIFEXITED(STATUS) ? WEXITSTATUS(STATUS) : -1, C.CODE) << C.ARGS;
    EXPECT_NE(ReadFile(OUT).find(C.SAID), std::string::npos) << ReadFile(OUT);
  }
}
