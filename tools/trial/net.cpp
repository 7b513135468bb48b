#include "net.h"

#include "process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {
uint16_t GPORT = 9090;
}

void SETTRIALPORT(uint16_t PORT) {
  if (PORT == 0) {
    // The kernel's choice of a free port, released at once for the server.
    const int FD = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t LEN = sizeof A;
    if (FD < 0 || ::bind(FD, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0 ||
        ::getsockname(FD, reinterpret_cast<sockaddr*>(&A), &LEN) != 0) {
      throw std::runtime_error("no free port");
    }
    ::close(FD);
    PORT = ntohs(A.sin_port);
  }
  GPORT = PORT;
}

uint16_t TRIALPORT() {
  return GPORT;
}

sockaddr_in TRIALADDRESS() {
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_port = htons(GPORT);
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return A;
}

int64_t NOWMS() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

cTrialServer::cTrialServer(std::vector<std::string> COMMAND, fs::path DIR,
                           std::vector<std::string> ENV)
    : FCOMMAND(std::move(COMMAND)), FENV(std::move(ENV)), FDIR(std::move(DIR)) {
  if (FCOMMAND.empty()) {
    throw std::runtime_error("no server program");
  }
  if (FCOMMAND[0].find('/') != std::string::npos) {
    FCOMMAND[0] = fs::absolute(FCOMMAND[0]).string();
  }
}

cTrialServer::~cTrialServer() {
  if (RUNNING()) {
    KILL();
  }
}

void cTrialServer::SPAWN() {
  std::vector<std::string> COMMAND = FCOMMAND;
  COMMAND.push_back("--port");
  COMMAND.push_back(std::to_string(TRIALPORT()));
  const std::string LOG = (FDIR / "console.log").string();
  // The last run's console goes first: its lines must not pass for this run's.
  std::error_code EC;
  fs::remove(LOG, EC);
  FPID = SPAWNINDIR(std::move(COMMAND), FDIR, LOG, FENV);
  FEXITED = false;
  FCODE = -1;
}

bool cTrialServer::WAITLISTENING(int MILLIS) {
  const int64_t LIMIT = NOWMS() + MILLIS;
  while (NOWMS() < LIMIT) {
    if (CONSOLE().find("Server is listening") != std::string::npos) {
      return true;
    }
    if (!RUNNING()) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

bool cTrialServer::RUNNING() {
  if (!FEXITED) {
    int STATUS = 0;
    if (::waitpid(FPID, &STATUS, WNOHANG) == FPID) {
      FEXITED = true;
      FCODE = WIFEXITED(STATUS) ? WEXITSTATUS(STATUS) : -1;
    }
  }
  return !FEXITED;
}

bool cTrialServer::WAITEXIT(int MILLIS) {
  const int64_t LIMIT = NOWMS() + MILLIS;
  while (RUNNING() && NOWMS() < LIMIT) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return !RUNNING();
}

void cTrialServer::SIGNAL(int SIG) {
  if (RUNNING()) {
    ::kill(FPID, SIG);
  }
}

void cTrialServer::KILL() {
  if (FEXITED) {
    return;
  }
  ::kill(FPID, SIGKILL);
  int STATUS = 0;
  ::waitpid(FPID, &STATUS, 0);
  FEXITED = true;
  FCODE = WIFEXITED(STATUS) ? WEXITSTATUS(STATUS) : -1;
}

long cTrialServer::RSSKIB() const {
  std::ifstream IN("/proc/" + std::to_string(FPID) + "/status");
  for (std::string LINE; std::getline(IN, LINE);) {
    if (LINE.rfind("VmRSS:", 0) == 0) {
      return std::strtol(LINE.c_str() + 6, nullptr, 10);
    }
  }
  return -1;
}

std::string cTrialServer::CONSOLE() const {
  std::ifstream IN(FDIR / "console.log", std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

cLineClient::~cLineClient() {
  CLOSE();
}

void cLineClient::CLOSE() {
  if (FFD >= 0) {
    ::close(FFD);
    FFD = -1;
  }
  FIN.clear();
}

bool cLineClient::CONNECT(int MILLIS) {
  CLOSE();
  FFD = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (FFD < 0) {
    return false;
  }
  sockaddr_in A = TRIALADDRESS();
  timeval TV{MILLIS / 1000, (MILLIS % 1000) * 1000};
  ::setsockopt(FFD, SOL_SOCKET, SO_SNDTIMEO, &TV, sizeof TV);
  if (::connect(FFD, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0) {
    CLOSE();
    return false;
  }
  return true;
}

bool cLineClient::SEND(const std::string& BYTES) {
  std::size_t DONE = 0;
  while (FFD >= 0 && DONE < BYTES.size()) {
    const ssize_t N = ::send(FFD, BYTES.data() + DONE, BYTES.size() - DONE, MSG_NOSIGNAL);
    if (N <= 0) {
      return false;
    }
    DONE += static_cast<std::size_t>(N);
  }
  return FFD >= 0;
}

bool cLineClient::READLINE(std::string& LINE, int MILLIS) {
  const int64_t LIMIT = NOWMS() + MILLIS;
  for (;;) {
    const std::size_t END = FIN.find("\r\n");
    if (END != std::string::npos) {
      LINE = FIN.substr(0, END);
      FIN.erase(0, END + 2);
      return true;
    }
    const int64_t LEFT = LIMIT - NOWMS();
    if (FFD < 0 || LEFT <= 0) {
      return false;
    }
    pollfd P{FFD, POLLIN, 0};
    if (::poll(&P, 1, static_cast<int>(LEFT)) <= 0) {
      continue;
    }
    char B[65536];
    const ssize_t N = ::recv(FFD, B, sizeof B, 0);
    if (N <= 0) {
      return false;
    }
    FIN.append(B, static_cast<std::size_t>(N));
  }
}

bool cLineClient::READUNTIL(const std::string& WANT, std::vector<std::string>& BEFORE, int MILLIS) {
  const int64_t LIMIT = NOWMS() + MILLIS;
  std::string LINE;
  while (READLINE(LINE, static_cast<int>(std::max<int64_t>(LIMIT - NOWMS(), 0)))) {
    if (LINE == WANT) {
      return true;
    }
    BEFORE.push_back(LINE);
  }
  return false;
}
