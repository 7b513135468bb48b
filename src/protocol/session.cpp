#include "protocol/session.h"

#include <algorithm>

#include "base/strutils.h"
#include "entities/account.h"
#include "players/joueur.h"

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

cSession::cSession() = default;

cSession::~cSession() {
  // A player still waiting for its race is lost with its session: its name is
  // free again for the account's next login.
  TAKENEWJOUEUR();
}

bool cSession::TAKELINE(uint32_t NOW) {
  if (HELD(NOW) || !FLINES.HASLINE()) {
    return false;
  }
  FHOLDING = false;
  FCOMMAND = FLINES.NEXTLINE();
  FLINETICK = NOW;
  return true;
}

void cSession::HOLDUNTIL(uint32_t UNTIL) {
  FHOLDUNTIL = UNTIL;
  FHOLDING = true;
}

bool cSession::HELD(uint32_t NOW) const {
  // Ticks wrap after 49 days: the difference tells which comes first.
  return FHOLDING && static_cast<int32_t>(NOW - FHOLDUNTIL) < 0;
}

void cSession::SEND(const std::string& S) {
  FOUTPUT += S;
  FOUTPUT += "\r\n";
}

void cSession::CONSUMEOUTPUT(std::size_t N) {
  FOUTSTART += std::min(N, PENDINGOUTPUT());
  if (FOUTSTART == FOUTPUT.size()) {
    CLEAROUTPUT();
  } else if (FOUTSTART > FOUTPUT.size() / 2) {
    FOUTPUT.erase(0, FOUTSTART);
    FOUTSTART = 0;
  }
}

void cSession::SENDBUFFER(cBuffer& B) {
  B.REWIND();
  while (!B.ISEOF()) {
    SEND(B.READLN());
  }
}

bool cSession::LOGON(const std::string& STRACCOUNT) {
  FACCOUNT = JEUACCOUNTS ? JEUACCOUNTS->FIND(GSTRING(STRACCOUNT)) : nullptr;
  return FACCOUNT != nullptr;
}

std::string cSession::GETNAME() const {
  return FACCOUNT != nullptr ? FACCOUNT->FNAME : std::string();
}

std::string cSession::GETPASSWD() const {
  return FACCOUNT != nullptr ? FACCOUNT->PASSWD : std::string();
}

uint8_t cSession::GETLEVEL() const {
  return FACCOUNT != nullptr ? FACCOUNT->LEVEL : 0;
}

std::unique_ptr<cJoueur> cSession::TAKENEWJOUEUR() {
  if (FNEWJOUEUR && JEUJOUEURS) {
    JEUJOUEURS->RELEASE(FNEWJOUEUR->FNAME);
  }
  if (FJOUEUR == FNEWJOUEUR.get()) {
    FJOUEUR = nullptr;
  }
  return std::move(FNEWJOUEUR);
}
