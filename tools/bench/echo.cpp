#include "echo.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "process.h"

namespace {

// More than this without a line end is not a line client: the connection is
// dropped rather than its buffer grown. Echoes waiting beyond it stop reading.
constexpr std::size_t MAXPARTIAL = 65536;

struct tEchoConnection {
  int FD = -1;
  std::string IN;
  std::string OUT;
};

// Sends what the socket takes now; false when the peer is gone.
bool SENDSOME(tEchoConnection& C) {
  while (!C.OUT.empty()) {
    const ssize_t N = ::send(C.FD, C.OUT.data(), C.OUT.size(), MSG_NOSIGNAL);
    if (N > 0) {
      C.OUT.erase(0, static_cast<std::size_t>(N));
    } else if (N < 0 && errno == EINTR) {
      continue;
    } else {
      return N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
  }
  return true;
}

// Reads once and queues every complete line back; false when the peer is
// gone or sends no line end.
bool RECEIVESOME(tEchoConnection& C) {
  char DATA[16384];
  ssize_t N = 0;
  do {
    N = ::recv(C.FD, DATA, sizeof DATA, 0);
  } while (N < 0 && errno == EINTR);
  if (N == 0 || (N < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
    return false;
  }
  if (N > 0) {
    C.IN.append(DATA, static_cast<std::size_t>(N));
  }
  const auto LAST = C.IN.rfind('\n');
  if (LAST != std::string::npos) {
    C.OUT.append(C.IN, 0, LAST + 1);
    C.IN.erase(0, LAST + 1);
  }
  return C.IN.size() <= MAXPARTIAL;
}

}  // namespace

cEchoServer::cEchoServer() {
  FLISTEN = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  A.sin_port = 0;
  socklen_t LEN = sizeof A;
  if (FLISTEN < 0 || ::bind(FLISTEN, reinterpret_cast<const sockaddr*>(&A), sizeof A) != 0 ||
      ::listen(FLISTEN, SOMAXCONN) != 0 ||
      ::getsockname(FLISTEN, reinterpret_cast<sockaddr*>(&A), &LEN) != 0 ||
      ::pipe2(FSTOP, O_CLOEXEC) != 0) {
    const std::string WHY = std::strerror(errno);
    if (FLISTEN >= 0) {
      ::close(FLISTEN);
    }
    throw cClientError("cannot start the echo server on 127.0.0.1: " + WHY);
  }
  FPORT = ntohs(A.sin_port);
  // The interruption signals are for the thread that measures, whose waits
  // they cut short: the echo thread is started with them blocked.
  sigset_t BLOCKED;
  sigset_t PREVIOUS;
  sigemptyset(&BLOCKED);
  sigaddset(&BLOCKED, SIGINT);
  sigaddset(&BLOCKED, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &BLOCKED, &PREVIOUS);
  FTHREAD = std::thread([this] { SERVE(); });
  pthread_sigmask(SIG_SETMASK, &PREVIOUS, nullptr);
}

cEchoServer::~cEchoServer() {
  const char STOP = 1;
  while (::write(FSTOP[1], &STOP, 1) < 0 && errno == EINTR) {
  }
  FTHREAD.join();
  ::close(FSTOP[0]);
  ::close(FSTOP[1]);
  ::close(FLISTEN);
}

void cEchoServer::SERVE() {
  std::vector<tEchoConnection> CONNECTIONS;
  std::vector<pollfd> FDS;
  for (;;) {
    FDS.clear();
    FDS.push_back({FSTOP[0], POLLIN, 0});
    FDS.push_back({FLISTEN, POLLIN, 0});
    for (const tEchoConnection& C : CONNECTIONS) {
      // A peer that does not read its echoes is not read either.
      short EVENTS = C.OUT.size() < MAXPARTIAL ? POLLIN : 0;
      if (!C.OUT.empty()) {
        EVENTS = static_cast<short>(EVENTS | POLLOUT);
      }
      FDS.push_back({C.FD, EVENTS, 0});
    }
    if (::poll(FDS.data(), FDS.size(), -1) < 0 && errno != EINTR) {
      break;
    }
    if (FDS[0].revents != 0) {
      break;
    }
    // The connections as they were polled, before any accepted now joins them.
    std::vector<tEchoConnection> KEPT;
    for (std::size_t I = 0; I < CONNECTIONS.size(); ++I) {
      tEchoConnection& C = CONNECTIONS[I];
      const short EV = FDS[I + 2].revents;
      bool ALIVE = true;
      if ((EV & (POLLIN | POLLHUP | POLLERR)) != 0) {
        ALIVE = RECEIVESOME(C);
      }
      if (ALIVE && !C.OUT.empty()) {
        ALIVE = SENDSOME(C);
      }
      if (ALIVE) {
        KEPT.push_back(std::move(C));
      } else {
        ::close(C.FD);
      }
    }
    CONNECTIONS = std::move(KEPT);
    if ((FDS[1].revents & POLLIN) != 0) {
      for (;;) {
        const int FD = ::accept4(FLISTEN, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (FD < 0) {
          break;
        }
        const int ONE = 1;
        ::setsockopt(FD, IPPROTO_TCP, TCP_NODELAY, &ONE, sizeof ONE);
        CONNECTIONS.push_back({FD, {}, {}});
      }
    }
  }
  for (const tEchoConnection& C : CONNECTIONS) {
    ::close(C.FD);
  }
}
