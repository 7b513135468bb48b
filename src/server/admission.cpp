#include "server/server.h"

#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <unordered_map>

#include "base/console.h"
#include "server/serverparts.h"

// Admission: new connections take a slot, or free one held by a client that
// has not logged in; and a client's departure.

namespace {

// Most connections accepted in one turn of the loop before the clients are
// served again.
constexpr int32_t ACCEPTSPERTURN = 256;

// A fixed kernel send buffer: what a client does not read then waits in its
// own bounded queue (MAXPENDINGOUTPUT) rather than in megabytes of kernel memory.
bool LIMITSENDBUFFER(int FD) {
  const int SIZE = 64 * 1024;
  return setsockopt(FD, SOL_SOCKET, SO_SNDBUF, &SIZE, sizeof SIZE) == 0;
}

}  // namespace

bool cServer::FREESLOT() {
  // The address that holds the most clients not in play gives up its oldest:
  // no host can keep the slots that others need by never logging in.
  std::unordered_map<uint32_t, int32_t> HELD;
  uint32_t WORST = 0;
  int32_t MOST = 0;
  for (int32_t I = 0; I < CLIENTS->GETCOUNT(); ++I) {
    const cClientInfos& C = *CLIENTS->GETCLIENT(I);
    if (C.FSTATE != CON_PLAYING) {
      const int32_t N = ++HELD[C.FHOST];
      if (N > MOST) {
        MOST = N;
        WORST = C.FHOST;
      }
    }
  }
  for (int32_t I = 0; MOST > 0 && I < CLIENTS->GETCOUNT(); ++I) {
    cClientInfos& C = *CLIENTS->GETCLIENT(I);
    if (C.FSTATE != CON_PLAYING && C.FHOST == WORST) {
      DROP(C, " gives its slot to a newcomer: every slot is taken");
      return true;
    }
  }
  return false;
}

bool cServer::ACCEPTCLIENT(uint32_t NOW) {
  sockaddr_in ADDR{};
  socklen_t LEN = sizeof ADDR;
  const int FD =
      accept4(FLISTENFD, reinterpret_cast<sockaddr*>(&ADDR), &LEN, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (FD < 0) {
    if (errno == EINTR || errno == ECONNABORTED) {
      return true;
    }
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
      // The connection stays in the queue; trying again at once would only spin.
      CONSOLE("Client refused: no descriptor left");
      WATCHFD(FEPOLL, EPOLL_CTL_DEL, FLISTENFD, 0, LISTENID);
      FLISTENING = false;
      FLISTENAGAIN = NOW + NODESCRIPTORPAUSE;
    }
    return false;
  }
  CONSOLE("Incoming connection");
  if (CLIENTS->GETCOUNT() >= FMAXCLIENTS && !FREESLOT()) {
    CONSOLE("Client refused: too many clients");
    ::close(FD);
    return true;
  }
  if (!LIMITSENDBUFFER(FD)) {
    CONSOLE("Client refused: unusable socket");
    ::close(FD);
    return true;
  }
  auto NEW = std::make_unique<cClientInfos>(FD, NOW, ADDR.sin_addr.s_addr);
  cClientInfos& C = *NEW;
  C.FNUM = 1;
  C.FID = FNEXTID++;
  CLIENTS->ADD(std::move(NEW));
  if (!WATCHFD(FEPOLL, EPOLL_CTL_ADD, FD, EPOLLIN, C.FID)) {
    DROP(C, " refused: its socket cannot be watched");
    return true;
  }
  C.FEVENTS = EPOLLIN;
  // A newcomer is not in play: the checks of the idle limits and of the
  // deadline must wake the loop for it, even when nothing else happens.
  ++FOUTSIDEPLAY;
  C.SEND("Welcome");
  C.SEND("login");
  FLUSHCLIENT(C, NOW);
  return true;
}

void cServer::ACCEPTCLIENTS(uint32_t NOW) {
  for (int32_t N = 0; N < ACCEPTSPERTURN && FLISTENING && ACCEPTCLIENT(NOW); ++N) {
  }
}

void cServer::DROP(cClientInfos& C, const char* ENDING) {
  CONSOLE(CLIENTLINE(C, ENDING));
  // Closing the socket ends its watch; events already reported for it find no
  // client with its FID.
  CLIENTS->DEL(&C);
}

int32_t FITDESCRIPTORS(int32_t WANTED) {
  const auto NEEDED = static_cast<rlim_t>(WANTED) + cServer::SPAREDESCRIPTORS;
  rlimit L{};
  if (getrlimit(RLIMIT_NOFILE, &L) != 0) {
    return WANTED;
  }
  if (L.rlim_cur != RLIM_INFINITY && L.rlim_cur < NEEDED) {
    // Never lowered: a limit already above the need is the operator's.
    L.rlim_cur = L.rlim_max == RLIM_INFINITY ? NEEDED : std::min<rlim_t>(NEEDED, L.rlim_max);
    setrlimit(RLIMIT_NOFILE, &L);
    getrlimit(RLIMIT_NOFILE, &L);
  }
  if (L.rlim_cur == RLIM_INFINITY || L.rlim_cur >= NEEDED) {
    return WANTED;
  }
  // Serving fewer players beats not serving: the cap shrinks to what fits and
  // the console says how to get the rest.
  const auto SPARE = static_cast<rlim_t>(cServer::SPAREDESCRIPTORS);
  const int32_t FIT = L.rlim_cur > SPARE ? static_cast<int32_t>(L.rlim_cur - SPARE) : 1;
  CONSOLE(std::to_string(WANTED) + " clients need " + std::to_string(NEEDED) +
          " open files but the system allows " + std::to_string(L.rlim_cur) + ": at most " +
          std::to_string(FIT) + " clients (raise the hard limit, e.g. LimitNOFILE=, for more)");
  return FIT;
}
