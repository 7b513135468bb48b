#include "burst.h"

#include <algorithm>
#include <cstdio>

#include "line.h"
#include "process.h"

tBurst CONNECTANDCLOSE(int COUNT, uint16_t PORT) {
  tBurst B;
  const long long START = NOWUS();
  for (int I = 0; I < COUNT; ++I) {
    if (INTERRUPTED()) {
      throw cClientError("interrupted");
    }
    cLineConnection C;
    // A server whose queue is full makes every further connection wait too.
    if (!C.OPEN(PORT, 1000)) {
      ++B.FAILED;
      break;
    }
    ++B.OPENED;
    if (I % 2 == 1) {
      ++B.RESET;
      C.RESET();
    }
  }
  B.SECONDS = static_cast<double>(NOWUS() - START) / 1e6;
  return B;
}

std::string BURSTTEXT(const tBurst& B) {
  char TEXT[160];
  std::snprintf(TEXT, sizeof TEXT,
                "behind %d connections closed at once (%d with a reset), opened in %.2f s",
                B.OPENED, B.RESET, B.SECONDS);
  std::string R = TEXT;
  if (B.FAILED > 0) {
    R += ", then one not established within 1 s ended the burst";
  }
  return R;
}

std::optional<long long> WAITFORWELCOME(uint16_t PORT, int LIMITMS) {
  const long long START = NOWUS();
  const long long DEADLINE = START + LIMITMS * 1000LL;
  cLineConnection C;
  if (!C.START(PORT)) {
    throw cClientError("cannot connect to 127.0.0.1 after the burst");
  }
  // Short reads, so that an interruption is seen promptly.
  while (NOWUS() < DEADLINE && !INTERRUPTED()) {
    const auto LINE =
        C.READLINE(static_cast<int>(std::min(100LL, (DEADLINE - NOWUS()) / 1000 + 1)));
    if (LINE && *LINE == "Welcome") {
      return NOWUS() - START;
    }
    if (LINE) {
      throw cClientError("after the burst the server greeted with \"" + *LINE +
                         "\", not \"Welcome\"");
    }
    if (C.CLOSED()) {
      throw cClientError("the server closed the connection after the burst before its greeting");
    }
  }
  if (INTERRUPTED()) {
    throw cClientError("interrupted");
  }
  return std::nullopt;
}
