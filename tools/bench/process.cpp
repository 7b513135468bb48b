#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

volatile std::sig_atomic_t GINTERRUPTED = 0;

void ONINTERRUPT(int /*SIG*/) {
  GINTERRUPTED = 1;
}

// How long START waits for another process to free the port, and how many
// times it starts the server again when another process took the port first.
constexpr auto PORTWAIT = 30s;
constexpr int STARTATTEMPTS = 3;
// How long a started server may take to load its game and listen.
constexpr auto LISTENWAIT = 20s;
constexpr int STOPWAITMS = 10000;

// The inodes of the sockets listening on PORT, from the kernel's tables.
std::set<unsigned long> LISTENERS(uint16_t PORT) {
  std::set<unsigned long> INODES;
  for (const char* TABLE : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream IN(TABLE);
    std::string LINE;
    std::getline(IN, LINE);  // the column titles
    while (std::getline(IN, LINE)) {
      std::istringstream FIELDS(LINE);
      std::string SLOT, LOCAL, REMOTE, STATE, QUEUES, TIMER, RETRANSMITS, UID, TIMEOUT;
      unsigned long INODE = 0;
      if (!(FIELDS >> SLOT >> LOCAL >> REMOTE >> STATE >> QUEUES >> TIMER >> RETRANSMITS >> UID >>
            TIMEOUT >> INODE)) {
        continue;
      }
      const auto COLON = LOCAL.rfind(':');
      // State 0A is LISTEN; the port is in hexadecimal after the address.
      if (STATE == "0A" && COLON != std::string::npos &&
          std::strtoul(LOCAL.c_str() + COLON + 1, nullptr, 16) == PORT) {
        INODES.insert(INODE);
      }
    }
  }
  return INODES;
}

// Whether process PID holds one of the sockets INODES.
bool HOLDSANY(pid_t PID, const std::set<unsigned long>& INODES) {
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

std::string PROGRAMPATH(const std::string& PROGRAM) {
  // The server runs in the game copy: a relative path is made absolute here.
  if (PROGRAM.find('/') != std::string::npos) {
    return fs::absolute(PROGRAM).string();
  }
  return PROGRAM;
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

pid_t SPAWNINDIR(std::vector<std::string> COMMAND, const fs::path& DIR, const std::string& LOG,
                 std::vector<std::string> ENV) {
  // Everything the child needs is built before the fork.
  std::vector<char*> ARGV;
  for (std::string& A : COMMAND) {
    ARGV.push_back(A.data());
  }
  ARGV.push_back(nullptr);
  const pid_t PARENT = ::getpid();
  const pid_t PID = ::fork();
  if (PID < 0) {
    throw cBenchError("cannot start the server (fork failed)");
  }
  if (PID == 0) {
    // A server left running after its client dies would hold the port.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != PARENT || ::chdir(DIR.c_str()) != 0) {
      ::_exit(126);
    }
    const int OUT = ::open(LOG.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
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
  return PID;
}

cServerProcess::cServerProcess(std::vector<std::string> COMMAND, fs::path DIR)
    : FCOMMAND(std::move(COMMAND)), FDIR(std::move(DIR)) {
  if (FCOMMAND.empty()) {
    throw cBenchError("no server program");
  }
  FCOMMAND[0] = PROGRAMPATH(FCOMMAND[0]);
}

cServerProcess::~cServerProcess() {
  STOP();
}

void cServerProcess::START() {
  const auto GIVEUP = Clock::now() + PORTWAIT;
  for (int ATTEMPT = 1;; ++ATTEMPT) {
    while (!LISTENERS(GAMEPORT).empty()) {
      if (INTERRUPTED()) {
        throw cBenchError("interrupted");
      }
      if (Clock::now() > GIVEUP) {
        throw cBenchError("port " + std::to_string(GAMEPORT) +
                          " is held by another process; waited 30 s for it");
      }
      std::this_thread::sleep_for(250ms);
    }

    FPID = SPAWNINDIR(FCOMMAND, FDIR, (FDIR / "console.log").string());
    FEXITED = false;
    FSIGNAL = 0;

    const auto LIMIT = Clock::now() + LISTENWAIT;
    for (;;) {
      if (INTERRUPTED()) {
        throw cBenchError("interrupted");
      }
      if (!RUNNING()) {
        // Another process may have taken the port between the check and the start.
        if (ATTEMPT < STARTATTEMPTS && !LISTENERS(GAMEPORT).empty()) {
          break;
        }
        if (FCODE == 127 || FCODE == 126) {
          throw cBenchError("cannot run the server \"" + FCOMMAND[0] + "\" in " + FDIR.string());
        }
        throw cBenchError("the server ended (exit code " + std::to_string(FCODE) +
                          ") before listening on port " + std::to_string(GAMEPORT) +
                          "; its console:\n" + CONSOLETAIL(20));
      }
      const auto INODES = LISTENERS(GAMEPORT);
      if (!INODES.empty() && HOLDSANY(FPID, INODES)) {
        return;
      }
      if (Clock::now() > LIMIT) {
        throw cBenchError("the server did not listen on port " + std::to_string(GAMEPORT) +
                          " within 20 s; its console:\n" + CONSOLETAIL(20));
      }
      std::this_thread::sleep_for(20ms);
    }
  }
}

long cServerProcess::PEAKRSSKIB() const {
  if (FEXITED) {
    return -1;
  }
  std::ifstream IN("/proc/" + std::to_string(FPID) + "/status");
  for (std::string LINE; std::getline(IN, LINE);) {
    if (LINE.rfind("VmHWM:", 0) == 0) {
      return std::strtol(LINE.c_str() + 6, nullptr, 10);
    }
  }
  return -1;
}

bool cServerProcess::RUNNING() {
  if (!FEXITED) {
    int STATUS = 0;
    if (::waitpid(FPID, &STATUS, WNOHANG) == FPID) {
      FEXITED = true;
      FCODE = WIFEXITED(STATUS) ? WEXITSTATUS(STATUS) : -1;
      FSIGNAL = WIFSIGNALED(STATUS) ? WTERMSIG(STATUS) : 0;
    }
  }
  return !FEXITED;
}

bool cServerProcess::WAITEXIT(int MILLIS) {
  const auto LIMIT = Clock::now() + std::chrono::milliseconds(MILLIS);
  while (RUNNING() && Clock::now() < LIMIT) {
    std::this_thread::sleep_for(10ms);
  }
  return !RUNNING();
}

int cServerProcess::STOP() {
  if (!RUNNING()) {
    return FCODE;
  }
  ::kill(FPID, SIGTERM);
  if (WAITEXIT(STOPWAITMS)) {
    return FCODE;
  }
  ::kill(FPID, SIGKILL);
  int STATUS = 0;
  ::waitpid(FPID, &STATUS, 0);
  FEXITED = true;
  FCODE = -1;
  FSIGNAL = SIGKILL;
  return FCODE;
}

bool cServerProcess::SIGNAL(int SIG) {
  return RUNNING() && ::kill(FPID, SIG) == 0;
}

std::string cServerProcess::CONSOLETAIL(std::size_t LINES) const {
  std::ifstream IN(FDIR / "console.log");
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
