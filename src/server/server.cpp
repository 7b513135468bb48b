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
#include <chrono>
#include <climits>
#include <cstring>
#include <exception>
#include <string>
#include <unordered_map>

#include "base/console.h"
#include "players/joueur.h"
#include "protocol/nanny.h"
#include "world/world.h"

std::unique_ptr<cServer> ZRKSERVER;
volatile std::sig_atomic_t cServer::FSTOPREQUESTED = 0;
volatile std::sig_atomic_t cServer::FSAVEREQUESTED = 0;
int cServer::FWAKEPIPE[2] = {-1, -1};

namespace {

// What the event watch names its sockets by: clients by their FID (from 1).
constexpr uint64_t LISTENID = 0;
constexpr uint64_t WAKEID = UINT64_MAX;
constexpr uint64_t CONSOLEID = UINT64_MAX - 1;

// Most connections accepted in one turn of the loop before the clients are
// served again.
constexpr int32_t ACCEPTSPERTURN = 256;
// How long the listen queue is left alone when the process has no descriptor
// left for a new connection.
constexpr uint32_t NODESCRIPTORPAUSE = 100;

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

// A fixed kernel send buffer: what a client does not read then waits in its
// own bounded queue (MAXPENDINGOUTPUT) rather than in megabytes of kernel memory.
bool LIMITSENDBUFFER(int FD) {
  const int SIZE = 64 * 1024;
  return setsockopt(FD, SOL_SOCKET, SO_SNDBUF, &SIZE, sizeof SIZE) == 0;
}

std::string CLIENTLINE(const cClientInfos& C, const char* ENDING) {
  return "Client " + std::to_string(C.FNUM) + ENDING;
}

bool WATCHFD(int EPOLL, int OP, int FD, uint32_t EVENTS, uint64_t ID) {
  epoll_event EV{};
  EV.events = EVENTS;
  EV.data.u64 = ID;
  return epoll_ctl(EPOLL, OP, FD, &EV) == 0;
}

// Whether a multiple of K lies in (FROM, TO].
bool CROSSES(uint64_t FROM, uint64_t TO, uint64_t K) {
  return TO / K != FROM / K;
}

int64_t MICROSECONDSSINCE(std::chrono::steady_clock::time_point START) {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               START)
      .count();
}

// The deposits that exploitation changes live in the cached squares: written
// back, the world survives a restart. A world that cannot be written (a full
// disk) is said, and the players are saved all the same.
void SAVEWORLDSQUARES() {
  if (WORLDMAP) {
    try {
      WORLDMAP->SAVEWORLD();
    } catch (const std::exception& E) {
      CONSOLE(E.what());
    }
  }
}

}  // namespace

void SAVEGAMESTATE() {
  SAVEWORLDSQUARES();
  if (JEUJOUEURS) {
    JEUJOUEURS->SAVEPLAYERS();
  }
}

void cServer::WAKE() {
  if (FWAKEPIPE[1] >= 0) {
    const char BYTE = 0;
    if (::write(FWAKEPIPE[1], &BYTE, 1) < 0) {
      // Full: the loop has a wake-up waiting already.
    }
  }
}

void cServer::REQUESTSTOP() {
  FSTOPREQUESTED = 1;
  WAKE();
}

void cServer::REQUESTSAVE() {
  FSAVEREQUESTED = 1;
  WAKE();
}

std::unique_ptr<cServer> cServer::CREATE(const tServerOptions& OPTIONS) {
  auto S = std::make_unique<cServer>();
  S->FPORT = OPTIONS.PORT;
  S->FIDLEBUSY = OPTIONS.IDLEBUSYMS;
  S->FIDLEQUIET = OPTIONS.IDLEQUIETMS;
  S->FDEADLINE = std::max(LOGINDEADLINE, 3 * std::max(OPTIONS.IDLEBUSYMS, OPTIONS.IDLEQUIETMS));
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
  if (CLIENTS->GETCOUNT() >= MAXCLIENTS && !FREESLOT()) {
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

uint32_t cServer::IDLE(const cClientInfos& CLIENT, uint32_t NOW) const {
  return NOW - CLIENT.FIDLE;
}

void cServer::DROP(cClientInfos& C, const char* ENDING) {
  CONSOLE(CLIENTLINE(C, ENDING));
  // Closing the socket ends its watch; events already reported for it find no
  // client with its FID.
  CLIENTS->DEL(&C);
}

void cServer::CHECKCLIENTSDATA(uint32_t NOW) {
  int32_t I = 0;
  int32_t OUTSIDE = 0;
  while (I < CLIENTS->GETCOUNT()) {
    cClientInfos& C = *CLIENTS->GETCLIENT(I);
    if (C.FSTATE != CON_PLAYING && C.FSTATE != CON_CLOSING && IDLE(C, NOW) > FIDLEBUSY) {
      DROP(C, " idle disconnect");
      continue;
    }
    if (C.FSTATE == CON_CLOSING) {
      DROP(C, " quitting");
      continue;
    }
    OUTSIDE += C.FSTATE != CON_PLAYING ? 1 : 0;
    ++I;
  }
  FOUTSIDEPLAY = OUTSIDE;
}

void cServer::CONTROLTIMEOUTSESSION(uint32_t NOW) {
  // After a removal the next client moves into position I and is skipped
  // until the next quiet check, 50 ms later.
  for (int32_t I = 0; I < CLIENTS->GETCOUNT(); ++I) {
    cClientInfos& C = *CLIENTS->GETCLIENT(I);
    if (C.FSTATE != CON_PLAYING && IDLE(C, NOW) > FIDLEQUIET) {
      CONSOLE("Idle deconnect");
      CLIENTS->DEL(I);
    }
  }
}

void cServer::CONTROLDEADLINE(uint32_t NOW) {
  int32_t I = 0;
  int32_t OUTSIDE = 0;
  while (I < CLIENTS->GETCOUNT()) {
    cClientInfos& C = *CLIENTS->GETCLIENT(I);
    const bool LOGGINGIN = C.FSTATE != CON_PLAYING && C.FSTATE != CON_CLOSING;
    if (LOGGINGIN && NOW - C.FCREATED > FDEADLINE) {
      DROP(C, " login deadline disconnect");
      continue;
    }
    OUTSIDE += C.FSTATE != CON_PLAYING ? 1 : 0;
    ++I;
  }
  FOUTSIDEPLAY = OUTSIDE;
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

bool cServer::HANDLELINES(cClientInfos& C) {
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
  return C.HASLINE() && !C.HELD(NOW) && C.PENDINGOUTPUT() <= MAXPENDINGOUTPUT;
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
    const bool MORE = HANDLELINES(*C);
    FLUSHCLIENT(*C, NOW);
    if (MORE) {
      C->FQUEUED = true;
      FREADY.push_back(ID);
    } else if (C->HASLINE() && C->HELD(SDL_GetTicks())) {
      FHELD.push_back(ID);
    }
    WATCH(*C);
  }
}

void cServer::FLUSHCLIENT(cClientInfos& C, uint32_t NOW) {
  if (C.FLUSH() > 0) {
    C.FLASTSENT = NOW;
  }
  if (C.PENDINGOUTPUT() > MAXPENDINGOUTPUT && !C.FOVERFULL) {
    C.FOVERFULL = true;
    C.FLASTSENT = NOW;
    FOVERFULL.push_back(C.FID);
  }
}

void cServer::CONTROLSTALLS(uint32_t NOW) {
  for (std::size_t I = 0; I < FOVERFULL.size();) {
    cClientInfos* C = CLIENTS->FINDID(FOVERFULL[I]);
    const bool STALLED = C != nullptr && C->PENDINGOUTPUT() > MAXPENDINGOUTPUT;
    if (STALLED && NOW - C->FLASTSENT <= OUTPUTSTALL) {
      ++I;
      continue;
    }
    FOVERFULL[I] = FOVERFULL.back();
    FOVERFULL.pop_back();
    if (STALLED) {
      DROP(*C, " output overflow disconnect");
    } else if (C != nullptr) {
      C->FOVERFULL = false;
    }
  }
}

void cServer::WATCH(cClientInfos& C) {
  uint32_t WANT = 0;
  if (C.FSTATE != CON_CLOSING && C.FSTATE != CON_DISCONNECT && C.WAITINGLINES() < MAXWAITINGLINES &&
      C.PENDINGOUTPUT() <= MAXPENDINGOUTPUT) {
    WANT |= EPOLLIN;
  }
  if (C.PENDINGOUTPUT() > 0) {
    WANT |= EPOLLOUT;
  }
  if (WANT != C.FEVENTS && WATCHFD(FEPOLL, EPOLL_CTL_MOD, C.SOCK, WANT, C.FID)) {
    C.FEVENTS = WANT;
  }
}

void cServer::STARTSAVE(bool ASKED) {
  const auto START = std::chrono::steady_clock::now();
  SAVEWORLDSQUARES();
  if (JEUJOUEURS) {
    JEUJOUEURS->STARTSAVEPASS();
  }
  FSAVING = true;
  FSAVEASKED = ASKED;
  FSAVEWRITTEN = 0;
  FSAVELONGESTUS = MICROSECONDSSINCE(START);
  SAVESTEP();
}

void cServer::SAVESTEP() {
  if (!FSAVING) {
    return;
  }
  const auto START = std::chrono::steady_clock::now();
  if (JEUJOUEURS && JEUJOUEURS->SAVING()) {
    FSAVEWRITTEN += JEUJOUEURS->SAVESTEP(SAVESTEPUS);
  }
  FSAVELONGESTUS = std::max(FSAVELONGESTUS, MICROSECONDSSINCE(START));
  if (JEUJOUEURS && JEUJOUEURS->SAVING()) {
    return;
  }
  FSAVING = false;
  if (FSAVEWRITTEN > 0 || FSAVEASKED) {
    CONSOLE("Save pass: " + std::to_string(FSAVEWRITTEN) + " players written, longest pause " +
            std::to_string(FSAVELONGESTUS) + " us");
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
}
