#include "server/server.h"

#include "base/console.h"

// The rules of the clients not yet in play: how long they may stay silent, and
// by when they must have logged in.

uint32_t cServer::IDLE(const cClientInfos& CLIENT, uint32_t NOW) const {
  return NOW - CLIENT.FIDLE;
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
