// What the black-box tests share on top of the client library: a fresh game
// directory, the server binary running in it on this test process's port.

#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "line.h"
#include "process.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

namespace e2e {

// Each test process takes a port from its id, below the kernel's range for
// outgoing connections; two that draw the same take turns (START waits).
inline uint16_t PORT() {
  static const auto P = static_cast<uint16_t>(10000 + ::getpid() % 20000);
  return P;
}

inline std::string ReadFile(const fs::path& P) {
  return (std::ostringstream() << std::ifstream(P, std::ios::binary).rdbuf()).str();
}

inline int CountOf(const std::string& TEXT, const std::string& PART) {
  int N = 0;
  for (auto POS = TEXT.find(PART); POS != std::string::npos; POS = TEXT.find(PART, POS + 1)) {
    ++N;
  }
  return N;
}

// A fresh game directory: the shipped rules, the fixture's players, no world yet.
class cGameDir {
 public:
  cGameDir() {
    static int COUNTER = 0;
    FPATH = fs::temp_directory_path() /
            ("royaumes_e2e_" + std::to_string(::getpid()) + "_" + std::to_string(COUNTER++));
    fs::remove_all(FPATH);
    fs::create_directories(FPATH);
    fs::copy(fs::path(ROYAUMES_GAME_DIR) / "data", FPATH / "data", fs::copy_options::recursive);
    fs::copy(fs::path(ROYAUMES_E2E_FIXTURE) / "players", FPATH / "players",
             fs::copy_options::recursive);
  }
  ~cGameDir() {
    std::error_code EC;
    fs::remove_all(FPATH, EC);
  }
  cGameDir(const cGameDir&) = delete;
  cGameDir& operator=(const cGameDir&) = delete;
  const fs::path& PATH() const { return FPATH; }

 private:
  fs::path FPATH;
};

// The server binary run in DIR with ARGS; started and listening on PORT()
// unless START is false.
inline std::unique_ptr<cServerProcess> SERVE(const fs::path& DIR,
                                             std::vector<std::string> ARGS = {},
                                             bool START = true) {
  ARGS.insert(ARGS.begin(), {ROYAUMES_SERVER_BIN, "--port", std::to_string(PORT())});
  auto S = std::make_unique<cServerProcess>(ARGS, DIR, PORT());
  if (START) {
    try {
      S->START(120000, 20000);
    } catch (const cClientError& E) {
      ADD_FAILURE() << E.what();
    }
  }
  return S;
}

inline bool WAITLOG(const cServerProcess& S, const std::string& TEXT,
                    std::chrono::milliseconds LIMIT = 5000ms) {
  for (const auto END = Clock::now() + LIMIT; Clock::now() < END;
       std::this_thread::sleep_for(10ms)) {
    if (S.CONSOLE().find(TEXT) != std::string::npos) {
      return true;
    }
  }
  return S.CONSOLE().find(TEXT) != std::string::npos;
}

// A connection to PORT() whose reads say "<timeout>" or "<closed>" when no
// line comes.
class cConnection : public cLineConnection {
 public:
  bool OPEN(int RCVBUF = 0, const char* FROM = nullptr) {
    return cLineConnection::OPEN(PORT(), 5000, FROM, RCVBUF);
  }
  std::string LINE(std::chrono::milliseconds LIMIT = 5000ms) {
    const auto L = READLINE(static_cast<int>(LIMIT.count()));
    return L ? *L : CLOSED() ? "<closed>" : "<timeout>";
  }
  Lines LINES(std::size_t N, std::chrono::milliseconds LIMIT = 5000ms) {
    Lines R;
    while (R.size() < N) {
      R.push_back(LINE(LIMIT));
    }
    return R;
  }
  // Logs in from the greeting; the record of a player made now (race 0).
  Lines ENTER(const std::string& NAME, const std::string& PASSWORD,
              cLogin::sPlayer PLAYER = cLogin::ANY) {
    cLogin L(NAME, PASSWORD, PLAYER);
    EXPECT_TRUE(LOGIN(L, 10000)) << L.STEP() << ": " << L.ERROR();
    return L.RECORD();
  }
  // Whether "server whoami" is answered with NAME within LIMIT.
  bool WHOAMI(const std::string& NAME = "Alice", std::chrono::milliseconds LIMIT = 5000ms) {
    SEND("server whoami\r\n");
    return LINE(LIMIT) == NAME;
  }
};

// A server in a fresh directory, stopped with SIGTERM at the end, which must
// end it with exit code 0.
class Server : public ::testing::Test {
 protected:
  void SetUp() override {
    SERVER = SERVE(DIR.PATH());
    ASSERT_FALSE(HasFailure());
  }
  void TearDown() override {
    if (SERVER && SERVER->RUNNING()) {
      EXPECT_EQ(SERVER->STOP(), 0) << SERVER->CONSOLE();
    }
  }
  // A connection of Alice in play; her player is made the first time.
  std::unique_ptr<cConnection> Play() {
    auto C = std::make_unique<cConnection>();
    EXPECT_TRUE(C->OPEN());
    C->ENTER("alice", "Secret");
    return C;
  }

  cGameDir DIR;
  std::unique_ptr<cServerProcess> SERVER;
};

}  // namespace e2e
