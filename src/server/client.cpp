#include "server/client.h"

#include <algorithm>
#include <array>
#include <cerrno>

std::unique_ptr<cListClients> CLIENTS;

cClientInfos::cClientInfos(TCPsocket SOCKET, uint32_t NOW) : SOCK(SOCKET), FIDLE(NOW) {}

cClientInfos::~cClientInfos() {
  // The client owns its socket: it goes with it.
  CLOSE();
}

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

void cClientInfos::FLUSH() {
  if (SOCK == nullptr || PENDINGOUTPUT() == 0) {
    return;
  }
  // The socket is non-blocking: the library returns how much the kernel took.
  const std::size_t LEN = std::min<std::size_t>(PENDINGOUTPUT(), 1u << 20);
  const int SENT = SDLNet_TCP_Send(SOCK, OUTPUT().data(), static_cast<int>(LEN));
  if (SENT > 0) {
    CONSUMEOUTPUT(static_cast<std::size_t>(SENT));
  }
}

void cClientInfos::CLOSE() {
  if (SOCK != nullptr) {
    SDLNet_TCP_Close(SOCK);
    SOCK = nullptr;
  }
}

bool cClientInfos::DATAREADY() const {
  return SOCK != nullptr && SDLNet_SocketReady(SOCK) != 0;
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
  FCLIENTS.erase(FCLIENTS.begin() + INDEX);
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
  FCLIENTS.clear();
}
