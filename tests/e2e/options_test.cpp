// The server's options, seen from outside: the game directory it serves, the
// idle limits of clients not yet in play, and the informational options.

#include "e2e_support.h"

using namespace e2e;

TEST(ServerOptions, TheGameDirectoryOptionServesThatDirectoryFromAnyWorkingDirectory) {
  cGameDir GAME;
  cGameDir ELSEWHERE;
  fs::remove_all(ELSEWHERE.PATH() / "data");
  fs::remove_all(ELSEWHERE.PATH() / "players");
  cServerProcess SERVER(ELSEWHERE.PATH(), false, {"--dir", GAME.PATH().string()});
  ASSERT_TRUE(SERVER.WAITLOG("Server is listening")) << SERVER.LOG();
  cConnection C;
  ASSERT_TRUE(C.OPEN());
  C.SEND("alice\r\nSecret\r\n");
  EXPECT_EQ(C.LINES(4), (Lines{"Welcome", "login", "mot de passe", "en jeu"}));
  EXPECT_EQ(SERVER.STOP(), 0) << SERVER.LOG();
  EXPECT_TRUE(fs::exists(GAME.PATH() / "data" / "world.wld"));
  EXPECT_FALSE(fs::exists(ELSEWHERE.PATH() / "data"));
}

TEST(ServerOptions, ClientsNotInPlayAreDroppedAfterTheIdleLimitsGiven) {
  cGameDir DIR;
  cServerProcess SERVER(DIR.PATH(), false, {"--idle-busy", "1", "--idle-quiet", "2"});
  ASSERT_TRUE(SERVER.WAITLOG("Server is listening")) << SERVER.LOG();

  // Alone on a quiet network: the quiet limit, 2 s rather than 20.
  cConnection QUIET;
  ASSERT_TRUE(QUIET.OPEN());
  const auto START = Clock::now();
  EXPECT_TRUE(QUIET.CLOSEDBYSERVER(6000ms));
  EXPECT_GE(Clock::now() - START, 1900ms);
  EXPECT_TRUE(SERVER.WAITLOG("Idle deconnect"));

  // While another client is busy: the busy limit, 1 s rather than 5.
  cConnection PLAYER;
  ASSERT_TRUE(PLAYER.OPEN());
  PLAYER.SEND("alice\r\nSecret\r\n0\r\n");
  cConnection SILENT;
  ASSERT_TRUE(SILENT.OPEN());
  for (const auto END = Clock::now() + 1800ms; Clock::now() < END;) {
    PLAYER.SEND("server whoami\r\n");
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(SILENT.CLOSEDBYSERVER(100ms));
  EXPECT_TRUE(SERVER.WAITLOG(" idle disconnect")) << SERVER.LOG();
}

TEST(ServerOptions, HelpAndVersionAnswerWithoutServingAndABadOptionIsRefused) {
  cGameDir DIR;
  const fs::path OUT = DIR.PATH() / "out.txt";
  const auto RUN = [&OUT](const std::string& ARGS) {
    const int STATUS = std::system(
        (std::string(ROYAUMES_SERVER_BIN) + " " + ARGS + " >" + OUT.string() + " 2>&1").c_str());
    return WIFEXITED(STATUS) ? WEXITSTATUS(STATUS) : -1;
  };
  EXPECT_EQ(RUN("--help"), 0);
  EXPECT_NE(ReadFile(OUT).find("--idle-quiet S"), std::string::npos) << ReadFile(OUT);
  EXPECT_EQ(RUN("--version"), 0);
  EXPECT_EQ(ReadFile(OUT).rfind("royaumes-server ", 0), 0u) << ReadFile(OUT);
  EXPECT_EQ(RUN("--port 99999"), 2);
  EXPECT_NE(ReadFile(OUT).find("--port takes a port number"), std::string::npos) << ReadFile(OUT);
  EXPECT_EQ(RUN("--dir " + (DIR.PATH() / "none").string()), 1);
  EXPECT_NE(ReadFile(OUT).find("cannot use the game directory"), std::string::npos);
}
