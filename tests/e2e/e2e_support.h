// What the black-box tests share: a fresh game directory, the real server
// binary running in it on a port of this test process's own, TCP connections
// to it, and the fixture that starts a server for a test. Every wait has a
// deadline.

#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace e2e {

// The port of this process's servers. ctest runs the tests side by side, each
// in a process of its own: each takes a port from its process id, below the
// range the kernel hands out to outgoing connections. Two processes that draw
// the same port take turns (cServerProcess waits for its port).
inline uint16_t PORT() {
  static const auto P = static_cast<uint16_t>(10000 + ::getpid() % 20000);
  return P;
}

// Whether a server could listen on P now: a bind as the server makes it (any
// address, reusable) succeeds.
inline bool PORTFREE(uint16_t P) {
  const int FD = ::socket(AF_INET, SOCK_STREAM, 0);
  const int ON = 1;
  ::setsockopt(FD, SOL_SOCKET, SO_REUSEADDR, &ON, sizeof ON);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_port = htons(P);
  A.sin_addr.s_addr = htonl(INADDR_ANY);
  const bool FREE = ::bind(FD, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0;
  ::close(FD);
  return FREE;
}

// Waits while another process holds P (at most LIMIT).
inline void WAITPORTFREE(uint16_t P, std::chrono::milliseconds LIMIT = 120000ms) {
  for (const auto END = Clock::now() + LIMIT; !PORTFREE(P) && Clock::now() < END;) {
    std::this_thread::sleep_for(100ms);
  }
}

inline std::string ReadFile(const fs::path& P) {
  std::ifstream IN(P, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
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
    fs::remove(FPATH / "data" / "world.wld");
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

// The server binary running in a game directory on PORT(), its console in a
// file.
class cServerProcess {
 public:
  /// With UNREADPIPE the console goes into a pipe that nobody reads (its
  /// reading end kept open) instead of a file. ARGS follow the port option.
  /// Unless WAITFORPORT is false, the server is started once no other process
  /// holds the port, and started again when another took it meanwhile.
  explicit cServerProcess(const fs::path& DIR, bool UNREADPIPE = false,
                          std::vector<std::string> ARGS = {}, bool WAITFORPORT = true)
      : FDIR(DIR), FLOG(DIR / "console.log"), FUNREADPIPE(UNREADPIPE), FARGS(std::move(ARGS)) {
    if (UNREADPIPE && ::pipe(FPIPE) != 0) {
      FPIPE[0] = FPIPE[1] = -1;
    }
    if (WAITFORPORT) {
      WAITPORTFREE(PORT());
    }
    SPAWN();
    if (!WAITFORPORT || UNREADPIPE) {
      return;
    }
    // A process that took the port between the wait and the bind makes the
    // server fail at once: wait for the port again, then start again.
    for (const auto END = Clock::now() + 120s; Clock::now() < END;) {
      if (LOG().find("Server is listening") != std::string::npos) {
        return;
      }
      if (!RUNNING()) {
        if (LOG().find("Server_Open failed!") == std::string::npos) {
          return;
        }
        WAITPORTFREE(PORT());
        FEXITED = false;
        SPAWN();
      }
      std::this_thread::sleep_for(10ms);
    }
  }
  ~cServerProcess() {
    if (FPID > 0 && !FEXITED) {
      ::kill(FPID, SIGKILL);
      ::waitpid(FPID, nullptr, 0);
    }
    if (FPIPE[0] >= 0) {
      ::close(FPIPE[0]);
    }
  }
  cServerProcess(const cServerProcess&) = delete;
  cServerProcess& operator=(const cServerProcess&) = delete;

  std::string LOG() const { return ReadFile(FLOG); }

  /// The server's process id.
  pid_t PID() const { return FPID; }

  /// Whether the console shows TEXT before the deadline.
  bool WAITLOG(const std::string& TEXT, std::chrono::milliseconds LIMIT = 5000ms) const {
    const auto END = Clock::now() + LIMIT;
    while (Clock::now() < END) {
      if (LOG().find(TEXT) != std::string::npos) {
        return true;
      }
      std::this_thread::sleep_for(10ms);
    }
    return LOG().find(TEXT) != std::string::npos;
  }

  /// The exit code once the process ends, or -1 when it does not end in time
  /// (or ends on a signal).
  int WAITEXIT(std::chrono::milliseconds LIMIT = 10000ms) {
    const auto END = Clock::now() + LIMIT;
    while (!FEXITED && Clock::now() < END) {
      int STATUS = 0;
      if (::waitpid(FPID, &STATUS, WNOHANG) == FPID) {
        FEXITED = true;
        FCODE = WIFEXITED(STATUS) ? WEXITSTATUS(STATUS) : -1;
        break;
      }
      std::this_thread::sleep_for(10ms);
    }
    return FEXITED ? FCODE : -1;
  }

  bool RUNNING() {
    int STATUS = 0;
    if (!FEXITED && ::waitpid(FPID, &STATUS, WNOHANG) == FPID) {
      FEXITED = true;
      FCODE = WIFEXITED(STATUS) ? WEXITSTATUS(STATUS) : -1;
    }
    return !FEXITED;
  }

  /// SIG (SIGTERM unless said), then the exit code.
  int STOP(int SIG = SIGTERM) {
    if (!FEXITED) {
      ::kill(FPID, SIG);
    }
    return WAITEXIT();
  }

  /// Clock ticks of processor time the server has used so far.
  long CPUTICKS() const {
    std::ifstream IN("/proc/" + std::to_string(FPID) + "/stat");
    std::string TEXT((std::istreambuf_iterator<char>(IN)), std::istreambuf_iterator<char>());
    // The fields after the command name, which ends with the last ')'.
    std::istringstream FIELDS(TEXT.substr(TEXT.rfind(')') + 2));
    std::string F;
    long UTIME = 0;
    long STIME = 0;
    for (int I = 3; FIELDS >> F; ++I) {
      if (I == 14) {
        UTIME = std::atol(F.c_str());
      } else if (I == 15) {
        STIME = std::atol(F.c_str());
        break;
      }
    }
    return UTIME + STIME;
  }

 private:
  void SPAWN() {
    // A log left by an earlier server in the same directory must not be read as this one's.
    std::error_code EC;
    fs::remove(FLOG, EC);
    const std::string PORTTEXT = std::to_string(PORT());
    std::vector<const char*> ARGV{ROYAUMES_SERVER_BIN, "--port", PORTTEXT.c_str()};
    for (const auto& A : FARGS) {
      ARGV.push_back(A.c_str());
    }
    ARGV.push_back(nullptr);
    FPID = ::fork();
    if (FPID == 0) {
      if (::chdir(FDIR.c_str()) != 0) {
        ::_exit(126);
      }
      const int FD =
          FUNREADPIPE ? FPIPE[1] : ::open(FLOG.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(FD, 1);
      ::dup2(FD, 2);
      ::execv(ROYAUMES_SERVER_BIN, const_cast<char* const*>(ARGV.data()));
      ::_exit(127);
    }
    if (FPIPE[1] >= 0) {
      ::close(FPIPE[1]);
      FPIPE[1] = -1;
    }
  }

  fs::path FDIR;
  fs::path FLOG;
  bool FUNREADPIPE = false;
  std::vector<std::string> FARGS;
  int FPIPE[2] = {-1, -1};
  pid_t FPID = -1;
  bool FEXITED = false;
  int FCODE = -1;
};

// One TCP connection to the server.
class cConnection {
 public:
  cConnection() = default;
  ~cConnection() { CLOSE(); }
  cConnection(const cConnection&) = delete;
  cConnection& operator=(const cConnection&) = delete;

  /// Connects without waiting for the handshake, from the loopback address
  /// FROM (127.0.0.1 unless said).
  void START(int RCVBUF = 0, const char* FROM = nullptr) {
    FD = ::socket(AF_INET, SOCK_STREAM, 0);
    if (RCVBUF > 0) {
      ::setsockopt(FD, SOL_SOCKET, SO_RCVBUF, &RCVBUF, sizeof RCVBUF);
    }
    if (FROM != nullptr) {
      sockaddr_in SOURCE{};
      SOURCE.sin_family = AF_INET;
      ::inet_pton(AF_INET, FROM, &SOURCE.sin_addr);
      ::bind(FD, reinterpret_cast<sockaddr*>(&SOURCE), sizeof SOURCE);
    }
    ::fcntl(FD, F_SETFL, ::fcntl(FD, F_GETFL, 0) | O_NONBLOCK);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_port = htons(PORT());
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(FD, reinterpret_cast<sockaddr*>(&A), sizeof A);
  }
  /// Connects and waits for the handshake.
  bool OPEN(int RCVBUF = 0, const char* FROM = nullptr) {
    START(RCVBUF, FROM);
    pollfd P{FD, POLLOUT, 0};
    if (::poll(&P, 1, 5000) != 1) {
      return false;
    }
    int ERR = 0;
    socklen_t LEN = sizeof ERR;
    ::getsockopt(FD, SOL_SOCKET, SO_ERROR, &ERR, &LEN);
    return ERR == 0;
  }
  void CLOSE() {
    if (FD >= 0) {
      ::close(FD);
      FD = -1;
    }
  }
  void SHUTDOWNWRITE() { ::shutdown(FD, SHUT_WR); }
  /// Closes with a reset rather than an orderly end.
  void RESET() {
    linger L{1, 0};
    ::setsockopt(FD, SOL_SOCKET, SO_LINGER, &L, sizeof L);
    CLOSE();
  }

  /// Sends every byte (waits while the socket is full, up to 10 s).
  bool SEND(const std::string& BYTES) {
    std::size_t DONE = 0;
    const auto END = Clock::now() + 10000ms;
    while (DONE < BYTES.size() && Clock::now() < END) {
      const ssize_t N = ::send(FD, BYTES.data() + DONE, BYTES.size() - DONE, MSG_NOSIGNAL);
      if (N > 0) {
        DONE += static_cast<std::size_t>(N);
      } else if (N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        pollfd P{FD, POLLOUT, 0};
        ::poll(&P, 1, 50);
      } else {
        return false;
      }
    }
    return DONE == BYTES.size();
  }

  /// The next line without its CR LF; "<timeout>" or "<closed>" when none comes.
  std::string LINE(std::chrono::milliseconds LIMIT = 5000ms) {
    const auto END = Clock::now() + LIMIT;
    for (;;) {
      const auto POS = FIN.find("\r\n");
      if (POS != std::string::npos) {
        std::string L = FIN.substr(0, POS);
        FIN.erase(0, POS + 2);
        return L;
      }
      if (FCLOSED) {
        return "<closed>";
      }
      const auto LEFT = std::chrono::duration_cast<std::chrono::milliseconds>(END - Clock::now());
      if (LEFT.count() <= 0) {
        return "<timeout>";
      }
      FILL(static_cast<int>(LEFT.count()));
    }
  }
  std::vector<std::string> LINES(std::size_t N, std::chrono::milliseconds LIMIT = 5000ms) {
    std::vector<std::string> R;
    for (std::size_t I = 0; I < N; ++I) {
      R.push_back(LINE(LIMIT));
    }
    return R;
  }
  /// Whether nothing at all arrives within LIMIT.
  bool SILENT(std::chrono::milliseconds LIMIT = 400ms) {
    const auto END = Clock::now() + LIMIT;
    while (Clock::now() < END && FIN.empty() && !FCLOSED) {
      FILL(20);
    }
    return FIN.empty() && !FCLOSED;
  }
  /// Whether the server closes the connection within LIMIT (data before is skipped).
  bool CLOSEDBYSERVER(std::chrono::milliseconds LIMIT = 5000ms) {
    const auto END = Clock::now() + LIMIT;
    while (!FCLOSED && Clock::now() < END) {
      FILL(50);
      FIN.clear();
    }
    return FCLOSED;
  }

 private:
  void FILL(int WAITMS) {
    pollfd P{FD, POLLIN, 0};
    if (::poll(&P, 1, WAITMS) != 1) {
      return;
    }
    char DATA[4096];
    const ssize_t N = ::recv(FD, DATA, sizeof DATA, 0);
    if (N > 0) {
      FIN.append(DATA, static_cast<std::size_t>(N));
    } else if (N == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      FCLOSED = true;
    }
  }

  int FD = -1;
  std::string FIN;
  bool FCLOSED = false;
};

using Lines = std::vector<std::string>;
const Lines HELP{"RETURN HELP",     "ADMIN [KEYWORD]", "SERVER [KEYWORD]",
                 "GET [KEYWORD]",   "BUILD [KEYWORD]", "RECRUIT [KEYWORD]",
                 "ORDER [KEYWORD]", "TURN [NB_TURNS]", "END RETURN"};

// Every test: a server in a fresh directory, stopped with SIGTERM at the end,
// which must end it with exit code 0.
class Server : public ::testing::Test {
 protected:
  void SetUp() override {
    SERVER = std::make_unique<cServerProcess>(DIR.PATH());
    ASSERT_TRUE(SERVER->WAITLOG("Server is listening")) << SERVER->LOG();
  }
  void TearDown() override {
    if (SERVER && SERVER->RUNNING()) {
      EXPECT_EQ(SERVER->STOP(), 0) << SERVER->LOG();
    }
  }

  // A connection that has read the greeting.
  std::unique_ptr<cConnection> Connect() {
    auto C = std::make_unique<cConnection>();
    EXPECT_TRUE(C->OPEN());
    EXPECT_EQ(C->LINES(2), (Lines{"Welcome", "login"}));
    return C;
  }
  // A connection logged in as Alice, in play; her player is created (race 0)
  // the first time.
  std::unique_ptr<cConnection> Play() {
    auto C = Connect();
    C->SEND("alice\r\n");
    EXPECT_EQ(C->LINE(), "mot de passe");
    C->SEND("Secret\r\n");
    EXPECT_EQ(C->LINE(), "en jeu");
    const std::string NEXT = C->LINE(500ms);
    if (NEXT == "Race :") {
      ChooseRace(*C, "0");
    } else {
      EXPECT_EQ(NEXT, "<timeout>");
    }
    return C;
  }

 public:
  // After "Race :": reads the race menu, answers RACE, and returns the player's
  // record that follows (up to the end of its known map).
  static Lines ChooseRace(cConnection& C, const std::string& RACE) {
    const std::string COUNT = C.LINE();
    EXPECT_EQ(COUNT.rfind("nbLines:", 0), 0u) << COUNT;
    const int N = std::atoi(COUNT.c_str() + 8);
    C.LINES(static_cast<std::size_t>(std::max(N, 0)));
    C.SEND(RACE + "\r\n");
    return ReadRecord(C);
  }
  // A player's record, from its "#" line to the empty line that ends its map.
  static Lines ReadRecord(cConnection& C) {
    Lines R;
    for (std::string L = C.LINE(); L != "<timeout>" && L != "<closed>"; L = C.LINE()) {
      R.push_back(L);
      if (L == "[MAP]") {
        const std::string RUNS = C.LINE();
        R.push_back(RUNS);
        for (int I = 0; I < std::atoi(RUNS.c_str() + 6); ++I) {
          R.push_back(C.LINE());
        }
        R.push_back(C.LINE());
        break;
      }
    }
    return R;
  }

 protected:
  cGameDir DIR;
  std::unique_ptr<cServerProcess> SERVER;
};

// A world of 10 x 10 meadows (terrain 0, one movement point to leave) holding
// 10 of each of the 5 resources: the game's outcome no longer depends on the
// world drawn at the first start.
inline void WRITEMEADOWS(const fs::path& DIR) {
  const std::size_t NBRESS = 5;
  std::string RECORD(1 + 2 * NBRESS, '\0');
  for (std::size_t R = 0; R < NBRESS; ++R) {
    RECORD[1 + 2 * R] = 10;
  }
  std::string WORLD;
  for (int INDEX = 0; INDEX <= 100; ++INDEX) {
    WORLD += RECORD;
  }
  std::ofstream(DIR / "data" / "world.wld", std::ios::binary) << WORLD;
}

// The line of RECORD that begins with KEY, without the key ("" when none).
inline std::string VALUEOF(const Lines& RECORD, const std::string& KEY) {
  for (const auto& L : RECORD) {
    if (L.rfind(KEY, 0) == 0) {
      return L.substr(KEY.size());
    }
  }
  return {};
}

// The lines of a reply up to its "END RETURN" (included).
inline Lines UNTILEND(cConnection& C) {
  Lines R;
  for (std::string L = C.LINE(); L != "<timeout>" && L != "<closed>"; L = C.LINE()) {
    R.push_back(L);
    if (L == "END RETURN") {
      break;
    }
  }
  return R;
}

inline bool HAS(const Lines& LINES, const std::string& LINE) {
  return std::find(LINES.begin(), LINES.end(), LINE) != LINES.end();
}

}  // namespace e2e
