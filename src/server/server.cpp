#include "server/server.h"

#include <SDL/SDL.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>

#include <array>
#include <cstring>
#include <exception>
#include <string>

#include "base/console.h"
#include "players/joueur.h"
#include "protocol/interpreter.h"
#include "server/nanny.h"
#include "world/world.h"

std::unique_ptr<cServer> ZRKSERVER;
volatile std::sig_atomic_t cServer::FSTOPREQUESTED = 0;

namespace {

// The library gives no public access to a socket's descriptor. Its private
// socket structure begins with an int "ready" flag followed by the descriptor;
// OPENSERVER checks this on the listening socket before relying on it, and every
// accepted socket is checked against its peer address.
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

// Whether FD is connected to the peer the library reports for S.
bool ISPEEROF(int FD, TCPsocket S) {
  const IPaddress* PEER = SDLNet_TCP_GetPeerAddress(S);
  sockaddr_in ADDR{};
  socklen_t LEN = sizeof ADDR;
  if (PEER == nullptr || FD < 0 || getpeername(FD, reinterpret_cast<sockaddr*>(&ADDR), &LEN) != 0) {
    return false;
  }
  return ADDR.sin_family == AF_INET && ADDR.sin_addr.s_addr == PEER->host &&
         ADDR.sin_port == PEER->port;
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

}  // namespace

void SAVEGAMESTATE() {
  // The deposits that exploitation changes live in the cached squares: written
  // back, the world survives a restart.
  if (WORLDMAP) {
    // A world that cannot be written (a full disk) is said, and the players
    // are saved all the same.
    try {
      WORLDMAP->SAVEWORLD();
    } catch (const std::exception& E) {
      CONSOLE(E.what());
    }
  }
  if (JEUJOUEURS) {
    JEUJOUEURS->SAVEPLAYERS();
  }
}

std::unique_ptr<cServer> cServer::CREATE() {
  auto S = std::make_unique<cServer>();
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
  if (SOCKSET != nullptr) {
    SDLNet_FreeSocketSet(SOCKSET);
  }
}

bool cServer::OPENSERVER() {
  IPaddress IP{};
  if (SDLNet_ResolveHost(&IP, nullptr, PORT) != 0) {
    CONSOLE("Server_Open failed!");
    return false;
  }
  SOCK = SDLNet_TCP_Open(&IP);
  if (SOCK == nullptr) {
    CONSOLE("Server_Open failed!");
    return false;
  }
  const int FD = SOCKETFD(SOCK);
  // The library listens with a backlog of 5: in a burst of connections the
  // kernel then loses those that complete their handshake while the queue is
  // full and that wait for the greeting before sending anything. A longer queue
  // keeps them until the one-per-poll accept reaches them.
  if (!ISLISTENINGON(FD, PORT) || !SETNONBLOCKING(FD) || listen(FD, SOMAXCONN) != 0) {
    CONSOLE(
        "Cannot reach the descriptor of the listening socket: the network library is not "
        "the expected version");
    return false;
  }
  SOCKSET = SDLNet_AllocSocketSet(1);
  if (SOCKSET == nullptr) {
    CONSOLE(std::string("SDLNet_AllocSocketSet: ") + SDLNet_GetError());
    return false;
  }
  SDLNet_TCP_AddSocket(SOCKSET, SOCK);
  return true;
}

void cServer::ACCEPTCLIENT() {
  TCPsocket NEWSOCK = SDLNet_TCP_Accept(SOCK);
  if (NEWSOCK == nullptr) {
    return;
  }
  const int FD = SOCKETFD(NEWSOCK);
  if (CLIENTS->GETCOUNT() >= MAXCLIENTS) {
    CONSOLE("Client refused: too many clients");
    SDLNet_TCP_Close(NEWSOCK);
    return;
  }
  if (FD >= FD_SETSIZE || !ISPEEROF(FD, NEWSOCK) || !SETNONBLOCKING(FD) || !LIMITSENDBUFFER(FD)) {
    CONSOLE("Client refused: unusable socket");
    SDLNet_TCP_Close(NEWSOCK);
    return;
  }
  auto C = std::make_unique<cClientInfos>(NEWSOCK, SDL_GetTicks());
  C->FNUM = 1;
  C->SEND("Welcome");
  C->SEND("login");
  C->FLUSH();
  CLIENTS->ADD(std::move(C));
}

bool cServer::CREATESOCKETSET() {
  if (SOCKSET != nullptr) {
    SDLNet_FreeSocketSet(SOCKSET);
  }
  SOCKSET = SDLNet_AllocSocketSet(CLIENTS->GETCOUNT() + 1);
  if (SOCKSET == nullptr) {
    CONSOLE(std::string("SDLNet_AllocSocketSet: ") + SDLNet_GetError());
    return false;
  }
  SDLNet_TCP_AddSocket(SOCKSET, SOCK);
  for (int32_t I = 0; I < CLIENTS->GETCOUNT(); ++I) {
    SDLNet_TCP_AddSocket(SOCKSET, CLIENTS->GETSOCKET(I));
  }
  return true;
}

int32_t cServer::CHECKSOCKETS(uint32_t TIMEOUT) {
  if (!CREATESOCKETSET()) {
    FEXITCODE = 1;
    STATESERVER = STOP;
    return -1;
  }
  return SDLNet_CheckSockets(SOCKSET, TIMEOUT);
}

bool cServer::INCOMINGCONNECTION() const {
  return SDLNet_SocketReady(SOCK) != 0;
}

uint32_t cServer::IDLE(const cClientInfos& CLIENT) const {
  return SDL_GetTicks() - CLIENT.FIDLE;
}

void cServer::CONTROLTIMEOUTSESSION() {
  // After a removal the next client moves into position I and is skipped
  // until the next quiet poll, 50 ms later.
  for (int32_t I = 0; I < CLIENTS->GETCOUNT(); ++I) {
    const cClientInfos* C = CLIENTS->GETCLIENT(I);
    if (C->FSTATE != CON_PLAYING && IDLE(*C) > TIMEOUT_LOGIN) {
      CONSOLE("Idle deconnect");
      CLIENTS->DEL(I);
    }
  }
}

void cServer::HANDLELINES(cClientInfos& C) {
  while (C.FSTATE != CON_CLOSING && C.TAKELINE(SDL_GetTicks())) {
    // A line that makes the game fail costs that line, never the server.
    try {
      if (C.FSTATE != CON_PLAYING) {
        NANNY(C);
      } else {
        CONSOLE(C.FCOMMAND);
        INTERPRETER(C);
      }
    } catch (const std::exception& E) {
      CONSOLE("Client " + std::to_string(C.FNUM) + " line failed: " + E.what());
      C.RESETCOMMAND();
    }
    if (C.PENDINGOUTPUT() > MAXPENDINGOUTPUT) {
      C.FLUSH();
      if (C.PENDINGOUTPUT() > MAXPENDINGOUTPUT) {
        break;
      }
    }
  }
  if (C.FSTATE == CON_CLOSING) {
    C.DROPLINES();
  }
}

bool cServer::FLUSHCLIENT(cClientInfos& C) {
  C.FLUSH();
  if (C.PENDINGOUTPUT() > MAXPENDINGOUTPUT) {
    CONSOLE(CLIENTLINE(C, " output overflow disconnect"));
    return false;
  }
  return true;
}

void cServer::CHECKCLIENTSDATA() {
  int32_t I = 0;
  while (I < CLIENTS->GETCOUNT()) {
    cClientInfos& C = *CLIENTS->GETCLIENT(I);
    if (C.FSTATE != CON_PLAYING && C.FSTATE != CON_CLOSING && IDLE(C) > TIMEOUT_ACTIVE) {
      CONSOLE(CLIENTLINE(C, " idle disconnect"));
      CLIENTS->DEL(I);
      continue;
    }
    if (C.FSTATE == CON_CLOSING) {
      CONSOLE(CLIENTLINE(C, " quitting"));
      CLIENTS->DEL(I);
      continue;
    }
    if (C.DATAREADY() && C.WAITINGLINES() < MAXWAITINGLINES) {
      const int32_t DISCARDED = C.RECEIVE(SDL_GetTicks());
      for (int32_t K = 0; K < DISCARDED; ++K) {
        CONSOLE(CLIENTLINE(C, " line longer than 256 bytes discarded"));
      }
      if (C.FERROR <= 0) {
        CONSOLE(CLIENTLINE(C, " disconnect"));
        CLIENTS->DEL(I);
        continue;
      }
      HANDLELINES(C);
      if (!FLUSHCLIENT(C)) {
        CLIENTS->DEL(I);
        continue;
      }
    }
    ++I;
  }
}

void cServer::SERVEWAITINGLINES() {
  // Lines wait when their client was held (after wrong passwords) or when its
  // output was too full to take more: they are served once that has passed.
  const uint32_t NOW = SDL_GetTicks();
  for (int32_t I = 0; I < CLIENTS->GETCOUNT(); ++I) {
    cClientInfos& C = *CLIENTS->GETCLIENT(I);
    if (C.HASLINE() && !C.HELD(NOW) && C.FSTATE != CON_DISCONNECT &&
        C.PENDINGOUTPUT() <= MAXPENDINGOUTPUT) {
      HANDLELINES(C);
    }
  }
}

void cServer::FLUSHALL() {
  int32_t I = 0;
  while (I < CLIENTS->GETCOUNT()) {
    cClientInfos& C = *CLIENTS->GETCLIENT(I);
    if (C.PENDINGOUTPUT() > 0 && !FLUSHCLIENT(C)) {
      CLIENTS->DEL(I);
      continue;
    }
    ++I;
  }
}

void cServer::HANDLECOMM() {
  const int32_t N = CHECKSOCKETS(0);
  if (FEXITCODE != 0) {
    return;
  }
  if (N == -1) {
    CONSOLE(std::string("SDLNet_CheckSockets: ") + SDLNet_GetError());
    CONSOLE("handleComm sortie exit");
    return;
  }
  if (N == 0) {
    CONTROLTIMEOUTSESSION();
  } else {
    if (INCOMINGCONNECTION()) {
      CONSOLE("Incoming connection");
      ACCEPTCLIENT();
    }
    CHECKCLIENTSDATA();
  }
  SERVEWAITINGLINES();
  // Output that a slow reader's socket could not take yet goes at later polls.
  FLUSHALL();
}

void cServer::GAMELOOP() {
  STATESERVER = RUNNING;
  while (STATESERVER == RUNNING) {
    if (PULSE % 5 == 0) {
      HANDLECOMM();
      if (FEXITCODE != 0) {
        break;
      }
    }
    if (PULSE % 6000 == 0) {
      SAVEGAMESTATE();
    }
    SDL_Delay(10);
    ++PULSE;
    if (FSTOPREQUESTED != 0) {
      STATESERVER = STOP;
    }
  }
}
