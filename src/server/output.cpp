#include "server/server.h"

#include <sys/epoll.h>

#include "server/serverparts.h"

// Output back-pressure: what a client's socket takes is sent, a client whose
// output stays over the bound without its socket taking a byte goes, and a
// socket is read only while its client has room for more lines and replies.

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
