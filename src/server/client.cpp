#include "server/client.h"

#include <algorithm>
#include <cerrno>

#include "base/strutils.h"
#include "entities/account.h"
#include "players/joueur.h"

std::unique_ptr<cListClients> CLIENTS;

int32_t cLineAssembler::FEED(const char* DATA, std::size_t N) {
  int32_t DISCARDED = 0;
  for (std::size_t I = 0; I < N; ++I) {
    const char C = DATA[I];
    if (C == '\n') {
      continue;
    }
    if (C == '\r') {
      if (!FDISCARDING && IDX > 0) {
        FLINES.emplace_back(BUF.data(), IDX);
      }
      IDX = 0;
      FDISCARDING = false;
      continue;
    }
    if (FDISCARDING) {
      continue;
    }
    if (IDX == MAXLINE) {
      FDISCARDING = true;
      ++DISCARDED;
      continue;
    }
    BUF[IDX++] = C;
  }
  return DISCARDED;
}

std::string cLineAssembler::NEXTLINE() {
  if (FLINES.empty()) {
    return {};
  }
  std::string L = std::move(FLINES.front());
  FLINES.pop_front();
  return L;
}

cClientInfos::cClientInfos(TCPsocket SOCKET, uint32_t NOW) : SOCK(SOCKET), FIDLE(NOW) {}

cClientInfos::~cClientInfos() = default;

int32_t cClientInfos::RECEIVE(uint32_t NOW) {
  std::array<char, READCHUNK> DATA{};
  errno = 0;
  const int R = SDLNet_TCP_Recv(SOCK, DATA.data(), READCHUNK);
  FIDLE = NOW;
  if (R <= 0) {
    // A socket marked ready that has nothing after all is not a departure.
    if (R < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return 0;
    }
    FERROR = R;
    FSTATE = CON_DISCONNECT;
    return 0;
  }
  return RECEIVEBYTES(DATA.data(), static_cast<std::size_t>(R));
}

bool cClientInfos::TAKELINE() {
  if (!FLINES.HASLINE()) {
    return false;
  }
  FCOMMAND = FLINES.NEXTLINE();
  return true;
}

void cClientInfos::SEND(const std::string& S) {
  FOUTPUT += S;
  FOUTPUT += "\r\n";
}

void cClientInfos::SENDBUFFER(cBuffer& B) {
  B.REWIND();
  while (!B.ISEOF()) {
    SEND(B.READLN());
  }
}

void cClientInfos::FLUSH() {
  if (SOCK == nullptr || FOUTPUT.empty()) {
    return;
  }
  // The socket is non-blocking: the library returns how much the kernel took.
  const std::size_t LEN = std::min<std::size_t>(FOUTPUT.size(), 1u << 20);
  const int SENT = SDLNet_TCP_Send(SOCK, FOUTPUT.data(), static_cast<int>(LEN));
  if (SENT > 0) {
    FOUTPUT.erase(0, static_cast<std::size_t>(SENT));
  }
}

void cClientInfos::CLOSE() {
  if (SOCK != nullptr) {
    SDLNet_TCP_Close(SOCK);
    SOCK = nullptr;
  }
}

bool cClientInfos::LOGON(const std::string& STRACCOUNT) {
  FACCOUNT = JEUACCOUNTS ? JEUACCOUNTS->SEARCHACCOUNT(GSTRING(STRACCOUNT)) : nullptr;
  return FACCOUNT != nullptr;
}

bool cClientInfos::DATAREADY() const {
  return SOCK != nullptr && SDLNet_SocketReady(SOCK) != 0;
}

std::string cClientInfos::GETNAME() const {
  return FACCOUNT != nullptr ? FACCOUNT->FNAME : std::string();
}

std::string cClientInfos::GETPASSWD() const {
  return FACCOUNT != nullptr ? FACCOUNT->PASSWD : std::string();
}

uint8_t cClientInfos::GETLEVEL() const {
  return FACCOUNT != nullptr ? FACCOUNT->LEVEL : 0;
}

cListClients::~cListClients() {
  CLEAR();
}

void cListClients::ADD(std::unique_ptr<cClientInfos> CLIENT) {
  FCLIENTS.push_back(std::move(CLIENT));
}

void cListClients::DEL(int32_t INDEX) {
  if (INDEX < 0 || INDEX >= GETCOUNT()) {
    return;
  }
  const auto POS = FCLIENTS.begin() + INDEX;
  (*POS)->CLOSE();
  FCLIENTS.erase(POS);
}

void cListClients::DEL(const cClientInfos* CLIENT) {
  for (int32_t I = 0; I < GETCOUNT(); ++I) {
    if (GETCLIENT(I) == CLIENT) {
      DEL(I);
      return;
    }
  }
}

void cListClients::CLEAR() {
  // Closing here too: a socket left open at shutdown would outlive its client.
  for (auto& C : FCLIENTS) {
    C->CLOSE();
  }
  FCLIENTS.clear();
}
