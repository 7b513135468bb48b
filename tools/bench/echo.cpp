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

#include "process.h"

cEchoServer::cEchoServer() {
  FLISTEN = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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
  // The listening socket until a peer comes, then the peer until it goes.
  int FD = -1;
  for (;;) {
    pollfd P[2] = {{FSTOP[0], POLLIN, 0}, {FD >= 0 ? FD : FLISTEN, POLLIN, 0}};
    if ((::poll(P, 2, -1) < 0 && errno != EINTR) || P[0].revents != 0) {
      break;
    }
    if (P[1].revents == 0) {
      continue;
    }
    if (FD < 0) {
      FD = ::accept4(FLISTEN, nullptr, nullptr, SOCK_CLOEXEC);
      const int ONE = 1;
      ::setsockopt(FD, IPPROTO_TCP, TCP_NODELAY, &ONE, sizeof ONE);
      continue;
    }
    char DATA[16384];
    const ssize_t N = ::recv(FD, DATA, sizeof DATA, 0);
    if (N <= 0 || ::send(FD, DATA, static_cast<std::size_t>(N), MSG_NOSIGNAL) != N) {
      ::close(FD);
      FD = -1;
    }
  }
  if (FD >= 0) {
    ::close(FD);
  }
}
