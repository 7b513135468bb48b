#include "process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t GINTERRUPTED = 0;

void ONINTERRUPT(int /*SIG*/) {
  GINTERRUPTED = 1;
}

// The inodes of the sockets listening on PORT, from the kernel's tables: each
// line gives the local address and port in hexadecimal, the state (0A is
// LISTEN) and, six fields later, the inode.
std::set<unsigned long> LISTENERS(uint16_t PORT) {
  std::set<unsigned long> INODES;
  for (const char* TABLE : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream IN(TABLE);
    for (std::string LINE; std::getline(IN, LINE);) {
      unsigned LOCALPORT = 0, STATE = 0;
      unsigned long INODE = 0;
      if (std::sscanf(LINE.c_str(), " %*s %*[0-9A-Fa-f]:%x %*s %x %*s %*s %*s %*s %*s %lu",
                      &LOCALPORT, &STATE, &INODE) == 3 &&
          STATE == 0x0A && LOCALPORT == PORT) {
        INODES.insert(INODE);
      }
    }
  }
  return INODES;
}

void SLEEPMS(int MS) {
  std::this_thread::sleep_for(std::chrono::milliseconds(MS));
}

}  // namespace

bool INTERRUPTED() {
  return GINTERRUPTED != 0;
}

void INSTALLINTERRUPTHANDLERS() {
  struct sigaction ACTION {};
  ACTION.sa_handler = ONINTERRUPT;
  sigemptyset(&ACTION.sa_mask);
  sigaction(SIGINT, &ACTION, nullptr);
  sigaction(SIGTERM, &ACTION, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

int64_t NOWMS() {
  return NOWUS() / 1000;
}

long long NOWUS() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool LISTENING(uint16_t PORT, pid_t PID) {
  const std::set<unsigned long> INODES = LISTENERS(PORT);
  if (INODES.empty() || PID <= 0) {
    return !INODES.empty();
  }
  std::error_code EC;
  for (const auto& ENTRY : fs::directory_iterator("/proc/" + std::to_string(PID) + "/fd", EC)) {
    std::error_code LEC;
    const std::string TARGET = fs::read_symlink(ENTRY.path(), LEC).string();
    if (!LEC && TARGET.rfind("socket:[", 0) == 0 &&
        INODES.count(std::strtoul(TARGET.c_str() + 8, nullptr, 10)) != 0) {
      return true;
    }
  }
  return false;
}

uint16_t FREEPORT() {
  const int FD = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t LEN = sizeof A;
  const bool OK = FD >= 0 && ::bind(FD, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0 &&
                  ::getsockname(FD, reinterpret_cast<sockaddr*>(&A), &LEN) == 0;
  if (FD >= 0) {
    ::close(FD);
  }
  if (!OK) {
    throw cClientError("no free port");
  }
  return ntohs(A.sin_port);
}

cServerProcess::cServerProcess(std::vector<std::string> COMMAND, fs::path DIR, uint16_t PORT,
                               std::vector<std::string> ENV)
    : FCOMMAND(std::move(COMMAND)), FENV(std::move(ENV)), FDIR(std::move(DIR)), FPORT(PORT) {
  if (FCOMMAND.empty()) {
    throw cClientError("no server program");
  }
  // The server runs in its game directory: a relative path is made absolute here.
  if (FCOMMAND[0].find('/') != std::string::npos) {
    FCOMMAND[0] = fs::absolute(FCOMMAND[0]).string();
  }
}

cServerProcess::~cServerProcess() {
  KILL();
}

void cServerProcess::SPAWN(int OUTFD) {
  // Everything the child needs is made before the fork; the last run's
  // console goes first, so that its lines cannot pass for this run's.
  std::vector<std::string> COMMAND = FCOMMAND;
  std::vector<std::string> ENV = FENV;
  std::vector<char*> ARGV;
  for (std::string& A : COMMAND) {
    ARGV.push_back(A.data());
  }
  ARGV.push_back(nullptr);
  const std::string LOG = CONSOLEPATH().string();
  std::error_code EC;
  fs::remove(LOG, EC);
  const pid_t PARENT = ::getpid();
  FPID = ::fork();
  if (FPID < 0) {
    throw cClientError("cannot start the server (fork failed)");
  }
  if (FPID == 0) {
    // A server left running after its client dies would hold the port.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != PARENT || ::chdir(FDIR.c_str()) != 0) {
      ::_exit(126);
    }
    const int OUT = OUTFD >= 0 ? OUTFD : ::open(LOG.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int NUL = ::open("/dev/null", O_RDONLY);
    if (OUT < 0 || NUL < 0) {
      ::_exit(126);
    }
    ::dup2(NUL, 0);
    ::dup2(OUT, 1);
    ::dup2(OUT, 2);
    for (std::string& E : ENV) {
      ::putenv(E.data());
    }
    ::execvp(ARGV[0], ARGV.data());
    ::_exit(127);
  }
  FEXITED = false;
  FCODE = -1;
  FSIGNAL = 0;
}

bool cServerProcess::WAITLISTENING(int MILLIS) {
  for (const int64_t LIMIT = NOWMS() + MILLIS; NOWMS() < LIMIT;) {
    if (LISTENING(FPORT, FPID)) {
      return true;
    }
    if (!RUNNING()) {
      return false;
    }
    SLEEPMS(2);
  }
  return false;
}

void cServerProcess::START(int PORTWAITMS, int LISTENWAITMS) {
  const std::string PORT = std::to_string(FPORT);
  const int64_t GIVEUP = NOWMS() + PORTWAITMS;
  for (int ATTEMPT = 1;; ++ATTEMPT) {
    while (LISTENING(FPORT)) {
      if (INTERRUPTED()) {
        throw cClientError("interrupted");
      }
      if (NOWMS() > GIVEUP) {
        throw cClientError("port " + PORT + " is held by another process; waited " +
                           std::to_string(PORTWAITMS / 1000) + " s for it");
      }
      SLEEPMS(100);
    }
    SPAWN();
    for (const int64_t LIMIT = NOWMS() + LISTENWAITMS;;) {
      if (INTERRUPTED()) {
        throw cClientError("interrupted");
      }
      if (!RUNNING()) {
        // Another process may have taken the port between the check and the start.
        if (ATTEMPT < 3 && LISTENING(FPORT)) {
          break;
        }
        if (FCODE == 127 || FCODE == 126) {
          throw cClientError("cannot run the server \"" + FCOMMAND[0] + "\" in " + FDIR.string());
        }
        throw cClientError("the server ended (exit code " + std::to_string(FCODE) +
                           ") before listening on port " + PORT + "; its console:\n" +
                           CONSOLETAIL(20));
      }
      if (LISTENING(FPORT, FPID)) {
        return;
      }
      if (NOWMS() > LIMIT) {
        throw cClientError("the server did not listen on port " + PORT + " within " +
                           std::to_string(LISTENWAITMS / 1000) + " s; its console:\n" +
                           CONSOLETAIL(20));
      }
      SLEEPMS(20);
    }
  }
}

void cServerProcess::REAPED(int STATUS) {
  FEXITED = true;
  FCODE = WIFEXITED(STATUS) ? WEXITSTATUS(STATUS) : -1;
  FSIGNAL = WIFSIGNALED(STATUS) ? WTERMSIG(STATUS) : 0;
}

bool cServerProcess::RUNNING() {
  int STATUS = 0;
  if (!FEXITED && ::waitpid(FPID, &STATUS, WNOHANG) == FPID) {
    REAPED(STATUS);
  }
  return !FEXITED;
}

bool cServerProcess::WAITEXIT(int MILLIS) {
  for (const int64_t LIMIT = NOWMS() + MILLIS; RUNNING() && NOWMS() < LIMIT;) {
    SLEEPMS(1);
  }
  return !RUNNING();
}

bool cServerProcess::SIGNAL(int SIG) {
  return RUNNING() && ::kill(FPID, SIG) == 0;
}

void cServerProcess::KILL() {
  if (RUNNING()) {
    ::kill(FPID, SIGKILL);
    int STATUS = 0;
    ::waitpid(FPID, &STATUS, 0);
    REAPED(STATUS);
  }
}

int cServerProcess::STOP(int WAITMS) {
  if (SIGNAL(SIGTERM) && !WAITEXIT(WAITMS)) {
    KILL();
    FCODE = -1;
  }
  return FCODE;
}

long cServerProcess::MEMORYKIB(const std::string& FIELD) const {
  if (FEXITED) {
    return -1;
  }
  std::ifstream IN("/proc/" + std::to_string(FPID) + "/status");
  for (std::string LINE; std::getline(IN, LINE);) {
    if (LINE.rfind(FIELD + ":", 0) == 0) {
      return std::strtol(LINE.c_str() + FIELD.size() + 1, nullptr, 10);
    }
  }
  return -1;
}

std::string cServerProcess::CONSOLE() const {
  std::ifstream IN(CONSOLEPATH(), std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

std::string cServerProcess::CONSOLETAIL(std::size_t LINES) const {
  std::istringstream IN(CONSOLE());
  std::vector<std::string> ALL;
  for (std::string LINE; std::getline(IN, LINE);) {
    ALL.push_back(LINE);
  }
  std::string R;
  for (std::size_t I = ALL.size() > LINES ? ALL.size() - LINES : 0; I < ALL.size(); ++I) {
    R += "  | " + ALL[I] + "\n";
  }
  return R.empty() ? "  | (empty)\n" : R;
}
