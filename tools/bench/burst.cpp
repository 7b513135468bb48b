#include "burst.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "load.h"
#include "process.h"

namespace {

// How long one connection of the burst may take to be established.
constexpr int CONNECTLIMITMS = 1000;
// The longest wait of one poll, so that an interruption is seen promptly.
constexpr long long POLLSLICEUS = 100000;

// A non-blocking socket whose connection to 127.0.0.1:PORT has begun; -1 and
// errno when it could not begin.
int STARTCONNECT(uint16_t PORT) {
  const int FD = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (FD < 0) {
    return -1;
  }
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_port = htons(PORT);
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(FD, reinterpret_cast<const sockaddr*>(&A), sizeof A) != 0 && errno != EINPROGRESS) {
    const int ERR = errno;
    ::close(FD);
    errno = ERR;
    return -1;
  }
  return FD;
}

// Waits at most WAITUS for EVENTS on FD; the events that came, 0 for none.
short POLLONE(int FD, short EVENTS, long long WAITUS) {
  pollfd P{FD, EVENTS, 0};
  const int MS = static_cast<int>((std::max(0LL, WAITUS) + 999) / 1000);
  if (::poll(&P, 1, MS) <= 0) {
    return 0;
  }
  return P.revents;
}

bool ESTABLISHED(int FD) {
  int ERR = 0;
  socklen_t LEN = sizeof ERR;
  return ::getsockopt(FD, SOL_SOCKET, SO_ERROR, &ERR, &LEN) == 0 && ERR == 0;
}

}  // namespace

tBurst CONNECTANDCLOSE(int COUNT, uint16_t PORT) {
  tBurst B;
  const long long START = NOWUS();
  for (int I = 0; I < COUNT; ++I) {
    if (INTERRUPTED()) {
      throw cBenchError("interrupted");
    }
    const int FD = STARTCONNECT(PORT);
    if (FD < 0) {
      throw cBenchError(std::string("cannot connect to 127.0.0.1: ") + std::strerror(errno));
    }
    const bool OPEN =
        (POLLONE(FD, POLLOUT, CONNECTLIMITMS * 1000LL) & POLLOUT) != 0 && ESTABLISHED(FD);
    if (OPEN && I % 2 == 1) {
      const linger RESET{1, 0};
      ::setsockopt(FD, SOL_SOCKET, SO_LINGER, &RESET, sizeof RESET);
      ++B.RESET;
    }
    ++(OPEN ? B.OPENED : B.FAILED);
    ::close(FD);
    // A server whose queue is full makes every further connection wait too.
    if (!OPEN) {
      break;
    }
  }
  B.SECONDS = static_cast<double>(NOWUS() - START) / 1e6;
  return B;
}

std::string BURSTTEXT(const tBurst& B) {
  char TEXT[160];
  std::snprintf(TEXT, sizeof TEXT,
                "behind %d connections closed at once (%d with a reset), opened in %.2f s",
                B.OPENED, B.RESET, B.SECONDS);
  std::string R = TEXT;
  if (B.FAILED > 0) {
    R += ", then one not established within 1 s ended the burst";
  }
  return R;
}

std::optional<long long> WAITFORWELCOME(uint16_t PORT, int LIMITMS) {
  const long long START = NOWUS();
  const long long DEADLINE = START + LIMITMS * 1000LL;
  const int FD = STARTCONNECT(PORT);
  if (FD < 0) {
    throw cBenchError(std::string("cannot connect to 127.0.0.1: ") + std::strerror(errno));
  }
  std::string IN;
  bool CONNECTED = false;
  std::optional<long long> WAITED;
  std::string PROBLEM;
  while (!WAITED && PROBLEM.empty() && NOWUS() < DEADLINE && !INTERRUPTED()) {
    const short WANTED = CONNECTED ? POLLIN : POLLOUT;
    const short EV = POLLONE(FD, WANTED, std::min(POLLSLICEUS, DEADLINE - NOWUS()));
    if (EV == 0) {
      continue;
    }
    if (!CONNECTED) {
      CONNECTED = ESTABLISHED(FD);
      if (!CONNECTED) {
        PROBLEM = "the connection after the burst failed";
      }
      continue;
    }
    char DATA[4096];
    const ssize_t N = ::recv(FD, DATA, sizeof DATA, 0);
    if (N <= 0) {
      if (N < 0 && (errno == EAGAIN || errno == EINTR)) {
        continue;
      }
      PROBLEM = "the server closed the connection after the burst before its greeting";
      continue;
    }
    IN.append(DATA, static_cast<std::size_t>(N));
    const auto END = IN.find('\n');
    if (END != std::string::npos) {
      std::string LINE = IN.substr(0, END);
      if (!LINE.empty() && LINE.back() == '\r') {
        LINE.pop_back();
      }
      if (LINE == "Welcome") {
        WAITED = NOWUS() - START;
      } else {
        PROBLEM = "after the burst the server greeted with \"" + LINE + "\", not \"Welcome\"";
      }
    } else if (IN.size() > 4096) {
      PROBLEM = "after the burst the server sent 4 KiB without a line end";
    }
  }
  ::close(FD);
  if (INTERRUPTED()) {
    throw cBenchError("interrupted");
  }
  if (!PROBLEM.empty()) {
    throw cBenchError(PROBLEM);
  }
  return WAITED;
}
