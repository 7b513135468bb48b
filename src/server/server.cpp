#include "server/server.h"

#include <SDL/SDL.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "base/console.h"
#include "protocol/nanny.h"
#include "server/serverparts.h"

// The loop: opening the server, the events of its sockets, the turns of the
// clients' lines, and the passes of the clock with what falls due in them.

std::unique_ptr<cServer> ZRKSERVER;

namespace {

// The library gives no public access to a socket's descriptor. Its private
// socket structure begins with an int "ready" flag followed by the descriptor;
// OPENSERVER checks this on the listening socket before relying on it.
int SOCKETFD(TCPsocket S) {
  std::array<int, 2> HEAD{};
  std::memcpy(HEAD.data(), static_cast<const void*>(S), sizeof HEAD);
  return HEAD[1];
}

// Whether FD is a listening IPv4 socket bound to PORT.
bool ISLISTENINGON(int FD, uint16_t PORT) {
  sockaddr_in ADDR{};
  socklen_t LEN = sizeof ADDR;
  if (FD < 0 || getsockname(FD, reinterpret_cast<sockaddr*>(&ADDR), &LEN) != 0) {
    return false;
  }
  int LISTENING = 0;
  socklen_t OPTLEN = sizeof LISTENING;
  if (getsockopt(FD, SOL_SOCKET, SO_ACCEPTCONN, &LISTENING, &OPTLEN) != 0) {
    return false;
  }
  return ADDR.sin_family == AF_INET && ntohs(ADDR.sin_port) == PORT && LISTENING != 0;
}

bool SETNONBLOCKING(int FD) {
  const int FLAGS = fcntl(FD, F_GETFL, 0);
  return FLAGS >= 0 && fcntl(FD, F_SETFL, FLAGS | O_NONBLOCK) == 0;
}

// Whether a multiple of K lies in (FROM, TO].
bool CROSSES(uint64_t FROM, uint64_t TO, uint64_t K) {
  return TO / K != FROM / K;
}

}  // namespace

std::unique_ptr<cServer> cServer::CREATE(const tServerOptions& OPTIONS) {
  auto S = std::make_unique<cServer>();
  S->FPORT = OPTIONS.PORT;
  S->FIDLEBUSY = OPTIONS.IDLEBUSYMS;
  S->FIDLEQUIET = OPTIONS.IDLEQUIETMS;
  S->FDEADLINE = std::max(LOGINDEADLINE, 3 * std::max(OPTIONS.IDLEBUSYMS, OPTIONS.IDLEQUIETMS));
  S->FMAXCLIENTS = FITDESCRIPTORS(OPTIONS.MAXCLIENTS);
  if (!S->OPENSERVER()) {
    return nullptr;
  }
  return S;
}

cServer::~cServer() {
  if (CLIENTS) {
    CLIENTS->CLEAR();
  }
  if (SOCK != nullptr) {
    SDLNet_TCP_Close(SOCK);
  }
  if (FEPOLL >= 0) {
    ::close(FEPOLL);
  }
  for (int& FD : FWAKEPIPE) {
    if (FD >= 0) {
      ::close(FD);
      FD = -1;
    }
  }
}

bool cServer::OPENSERVER() {
  IPaddress IP{};
  if (SDLNet_ResolveHost(&IP, nullptr, FPORT) != 0) {
    CONSOLE("Server_Open failed!");
    return false;
  }
  SOCK = SDLNet_TCP_Open(&IP);
  if (SOCK == nullptr) {
    CONSOLE("Server_Open failed!");
    return false;
  }
  FLISTENFD = SOCKETFD(SOCK);
  // The library listens with a backlog of 5: in a burst of connections the
  // kernel then loses those that complete their handshake while the queue is
  // full and that wait for the greeting before sending anything.
  if (!ISLISTENINGON(FLISTENFD, FPORT) || !SETNONBLOCKING(FLISTENFD) ||
      listen(FLISTENFD, SOMAXCONN) != 0) {
    CONSOLE(
        "Cannot reach the descriptor of the listening socket: the network library is not "
        "the expected version");
    return false;
  }
  FEPOLL = epoll_create1(EPOLL_CLOEXEC);
  if (FEPOLL < 0 || pipe2(FWAKEPIPE, O_NONBLOCK | O_CLOEXEC) != 0 ||
      !WATCHFD(FEPOLL, EPOLL_CTL_ADD, FLISTENFD, EPOLLIN, LISTENID) ||
      !WATCHFD(FEPOLL, EPOLL_CTL_ADD, FWAKEPIPE[0], EPOLLIN, WAKEID)) {
    CONSOLE(std::string("Cannot watch the sockets: ") + std::strerror(errno));
    return false;
  }
  return true;
}

void cServer::CLIENTEVENT(uint64_t ID, uint32_t EVENTS, uint32_t NOW) {
  cClientInfos* C = CLIENTS->FINDID(ID);
  if (C == nullptr) {
    return;
  }
  // A hang-up or an error is reported whatever is watched: the read tells
  // what it is.
  if ((EVENTS & (EPOLLHUP | EPOLLERR)) != 0 || (EVENTS & EPOLLIN) != 0) {
    const int32_t DISCARDED = C->RECEIVE(NOW);
    for (int32_t K = 0; K < DISCARDED; ++K) {
      CONSOLE(CLIENTLINE(*C, " line longer than 256 bytes discarded"));
    }
    if (C->FERROR <= 0) {
      DROP(*C, " disconnect");
      return;
    }
    if (C->HASLINE() && !C->FQUEUED) {
      C->FQUEUED = true;
      FREADY.push_back(ID);
    }
  }
  if ((EVENTS & EPOLLOUT) != 0) {
    FLUSHCLIENT(*C, NOW);
  }
  // Lines that waited for room in the output take their turn again.
  if (C->HASLINE() && !C->FQUEUED && C->PENDINGOUTPUT() <= MAXPENDINGOUTPUT) {
    C->FQUEUED = true;
    FREADY.push_back(ID);
  }
  WATCH(*C);
}

void cServer::HANDLELINES(cClientInfos& C) {
  const uint32_t NOW = SDL_GetTicks();
  for (int32_t N = 0; N < LINESPERTURN && C.FSTATE != CON_CLOSING &&
                      C.PENDINGOUTPUT() <= MAXPENDINGOUTPUT && C.TAKELINE(NOW);
       ++N) {
    // A line that makes the game fail costs that line, never the server.
    std::string WHY;
    if (!PLAYLINE(C, WHY)) {
      CONSOLE("Client " + std::to_string(C.FNUM) + " line failed: " + WHY);
    }
  }
  if (C.FSTATE == CON_CLOSING) {
    C.DROPLINES();
  }
}

void cServer::SERVELINES(uint32_t NOW) {
  // Clients whose hold has ended take their turn again.
  for (std::size_t I = 0; I < FHELD.size();) {
    cClientInfos* C = CLIENTS->FINDID(FHELD[I]);
    if (C == nullptr || !C->HELD(NOW)) {
      if (C != nullptr && !C->FQUEUED) {
        C->FQUEUED = true;
        FREADY.push_back(C->FID);
      }
      FHELD[I] = FHELD.back();
      FHELD.pop_back();
      continue;
    }
    ++I;
  }
  // One turn: every client with lines acts on a few, then the next; one that
  // has more comes back at the end of the next turn.
  std::vector<uint64_t> TURN;
  TURN.swap(FREADY);
  for (const uint64_t ID : TURN) {
    cClientInfos* C = CLIENTS->FINDID(ID);
    if (C == nullptr) {
      continue;
    }
    C->FQUEUED = false;
    HANDLELINES(*C);
    FLUSHCLIENT(*C, NOW);
    // Whether lines have room for their replies is asked after the flush: lines
    // that stopped at the bound may have room now, and a socket that took
    // every byte reports no event that would bring them back. Lines still over
    // the bound come back with the event of the socket taking the excess.
    const uint32_t AFTER = SDL_GetTicks();
    if (C->HASLINE() && !C->HELD(AFTER) && C->PENDINGOUTPUT() <= MAXPENDINGOUTPUT) {
      C->FQUEUED = true;
      FREADY.push_back(ID);
    } else if (C->HASLINE() && C->HELD(AFTER)) {
      FHELD.push_back(ID);
    }
    WATCH(*C);
  }
}

void cServer::PASSES(uint32_t NOW) {
  FELAPSED += NOW - FLASTTICK;
  FLASTTICK = NOW;
  const uint64_t BEFORE = FPASSES;
  FPASSES = FELAPSED / PASSMS;
  PULSE = static_cast<uint32_t>(FPASSES);
  if (FSAVEREQUESTED != 0) {
    FSAVEREQUESTED = 0;
    if (FSAVING) {
      FSAVEASKED = true;
    } else {
      STARTSAVE(true);
    }
  }
  if (FPASSES == BEFORE) {
    return;
  }
  if (CROSSES(BEFORE, FPASSES, PULSESAVE) && !FSAVING) {
    STARTSAVE(false);
  } else {
    SAVESTEP();
  }
  if (CROSSES(BEFORE, FPASSES, PULSECHECK)) {
    if (!FACTIVITY) {
      CONTROLTIMEOUTSESSION(NOW);
    }
    FACTIVITY = false;
    CONTROLDEADLINE(NOW);
    CONTROLSTALLS(NOW);
  }
  if (!FLISTENING && static_cast<int32_t>(NOW - FLISTENAGAIN) >= 0) {
    FLISTENING = WATCHFD(FEPOLL, EPOLL_CTL_ADD, FLISTENFD, EPOLLIN, LISTENID);
    FLISTENAGAIN = NOW + NODESCRIPTORPAUSE;
  }
}

int cServer::NEXTWAIT(uint32_t NOW) const {
  if (!FREADY.empty() || FSTOPREQUESTED != 0 || FSAVEREQUESTED != 0) {
    return 0;
  }
  // The next pass at which something is due: a save, a step of the one under
  // way, a check of the clients not in play.
  uint64_t DUE = (FPASSES / PULSESAVE + 1) * PULSESAVE;
  if (FSAVING) {
    DUE = FPASSES + 1;
  }
  if (FOUTSIDEPLAY > 0 || !FOVERFULL.empty()) {
    DUE = std::min(DUE, (FPASSES / PULSECHECK + 1) * PULSECHECK);
  }
  const uint64_t ELAPSED = FELAPSED + (NOW - FLASTTICK);
  int64_t WAIT = static_cast<int64_t>(DUE * PASSMS) - static_cast<int64_t>(ELAPSED);
  for (const uint64_t ID : FHELD) {
    if (const cClientInfos* C = CLIENTS->FINDID(ID)) {
      WAIT = std::min<int64_t>(WAIT, static_cast<int32_t>(C->HOLDTICK() - NOW));
    }
  }
  if (!FLISTENING) {
    WAIT = std::min<int64_t>(WAIT, static_cast<int32_t>(FLISTENAGAIN - NOW));
  }
  if (CONSOLEPENDING() > 0 && FCONSOLEWATCHED < 0) {
    WAIT = std::min<int64_t>(WAIT, PASSMS);
  }
  return static_cast<int>(std::clamp<int64_t>(WAIT, 0, INT_MAX));
}

void cServer::WATCHCONSOLE() {
  const int FD = CONSOLEWAITFD();
  if (FD == FCONSOLEWATCHED) {
    return;
  }
  if (FCONSOLEWATCHED >= 0) {
    WATCHFD(FEPOLL, EPOLL_CTL_DEL, FCONSOLEWATCHED, 0, CONSOLEID);
  }
  FCONSOLEWATCHED = (FD >= 0 && WATCHFD(FEPOLL, EPOLL_CTL_ADD, FD, EPOLLOUT, CONSOLEID)) ? FD : -1;
}

void cServer::GAMELOOP() {
  STATESERVER = RUNNING;
  FLASTTICK = SDL_GetTicks();
  FELAPSED = 0;
  FPASSES = 0;
  PULSE = 0;
  // Pass 0 saves, as every 6000th does.
  STARTSAVE(false);
  // The console lines of one wake-up go out in one write at its end.
  CONSOLEBATCH(true);
  std::array<epoll_event, 128> EVENTS{};
  while (STATESERVER == RUNNING) {
    if (FSTOPREQUESTED != 0) {
      STATESERVER = STOP;
      break;
    }
    WATCHCONSOLE();
    const int N = epoll_wait(FEPOLL, EVENTS.data(), static_cast<int>(EVENTS.size()),
                             NEXTWAIT(SDL_GetTicks()));
    if (N < 0 && errno != EINTR) {
      CONSOLE(std::string("epoll_wait: ") + std::strerror(errno));
      CONSOLE("handleComm sortie exit");
      FEXITCODE = 1;
      STATESERVER = STOP;
      break;
    }
    const uint32_t NOW = SDL_GetTicks();
    bool ACTIVE = false;
    for (int I = 0; I < N; ++I) {
      const uint64_t ID = EVENTS[static_cast<std::size_t>(I)].data.u64;
      ACTIVE = ACTIVE || (ID != WAKEID && ID != CONSOLEID);
    }
    if (ACTIVE) {
      // Activity on the network: the idle rule of clients not in play, and the
      // departure of those that asked to quit, come before their bytes are read.
      FACTIVITY = true;
      CHECKCLIENTSDATA(NOW);
    }
    for (int I = 0; I < N; ++I) {
      const epoll_event& E = EVENTS[static_cast<std::size_t>(I)];
      if (E.data.u64 == WAKEID) {
        std::array<char, 64> DRAIN{};
        while (::read(FWAKEPIPE[0], DRAIN.data(), DRAIN.size()) > 0) {
        }
      } else if (E.data.u64 == CONSOLEID) {
        CONSOLEFLUSH();
      } else if (E.data.u64 == LISTENID) {
        ACCEPTCLIENTS(NOW);
      } else {
        CLIENTEVENT(E.data.u64, E.events, NOW);
      }
    }
    SERVELINES(NOW);
    PASSES(SDL_GetTicks());
    CONSOLEFLUSH();
  }
  CONSOLEBATCH(false);
  CONSOLEFLUSH();
}
