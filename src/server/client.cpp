#include "server/client.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

std::unique_ptr<cListClients> CLIENTS;

cClientInfos::cClientInfos(int SOCKET, uint32_t NOW, uint32_t HOST)
    : SOCK(SOCKET), FIDLE(NOW), FCREATED(NOW), FHOST(HOST) {}

cClientInfos::~cClientInfos() {
  // The client owns its socket: it goes with it.
  CLOSE();
}

int32_t cClientInfos::RECEIVE(uint32_t NOW) {
  if (SOCK < 0) {
    return 0;
  }
  static std::array<char, READCHUNK> DATA;
  ssize_t R = 0;
  do {
    R = ::recv(SOCK, DATA.data(), DATA.size(), 0);
  } while (R < 0 && errno == EINTR);
  FIDLE = NOW;
  if (R <= 0) {
    // A socket reported ready that has nothing after all is not a departure.
    if (R < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return 0;
    }
    FERROR = static_cast<int32_t>(R);
    FSTATE = CON_DISCONNECT;
    return 0;
  }
  return RECEIVEBYTES(DATA.data(), static_cast<std::size_t>(R));
}

std::size_t cClientInfos::FLUSH() {
  std::size_t TOTAL = 0;
  while (SOCK >= 0 && PENDINGOUTPUT() > 0) {
    const std::size_t LEN = std::min<std::size_t>(PENDINGOUTPUT(), 1u << 20);
    const ssize_t SENT = ::send(SOCK, PENDINGDATA(), LEN, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (SENT > 0) {
      CONSUMEOUTPUT(static_cast<std::size_t>(SENT));
      TOTAL += static_cast<std::size_t>(SENT);
    } else if (SENT < 0 && errno == EINTR) {
      continue;
    } else {
      // Full for now (the rest goes when the socket has room), or the peer has
      // gone (the next read says so).
      break;
    }
  }
  return TOTAL;
}

void cClientInfos::CLOSE() {
  if (SOCK >= 0) {
    ::close(SOCK);
    SOCK = -1;
  }
}

cListClients::~cListClients() {
  CLEAR();
}

void cListClients::ADD(std::unique_ptr<cClientInfos> CLIENT) {
  FBYID[CLIENT->FID] = CLIENT.get();
  FCLIENTS.push_back(std::move(CLIENT));
}

void cListClients::DEL(int32_t INDEX) {
  if (INDEX < 0 || INDEX >= GETCOUNT()) {
    return;
  }
  const auto POS = FCLIENTS.begin() + INDEX;
  FBYID.erase((*POS)->FID);
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
  FBYID.clear();
  FCLIENTS.clear();
}

cClientInfos* cListClients::FINDID(uint64_t ID) const {
  const auto IT = FBYID.find(ID);
  return IT == FBYID.end() ? nullptr : IT->second;
}
