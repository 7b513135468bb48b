#include "world/knownmap.h"

#include <algorithm>

#include "base/strutils.h"
#include "world/grid.h"

bool cMAT::INMAT(int32_t X, int32_t Y) const {
  if (!INMAP(X, Y)) {
    return false;
  }
  const int32_t I = MAP2INDEX(X, Y);
  return std::any_of(MAP.begin(), MAP.end(),
                     [I](const tMAT& R) { return R.START <= I && I <= R.STOP; });
}

void cMAT::ADD(int32_t X, int32_t Y) {
  if (!INMAP(X, Y)) {
    return;
  }
  const int32_t I = MAP2INDEX(X, Y);
  if (INMAT(X, Y)) {
    return;
  }
  // K: the first run that starts after I; the run before it (if any) ends before I.
  const auto K = std::upper_bound(MAP.begin(), MAP.end(), I,
                                  [](int32_t V, const tMAT& R) { return V < R.START; });
  if (K != MAP.begin() && std::prev(K)->STOP + 1 == I) {
    std::prev(K)->STOP = I;
  } else if (K != MAP.end() && K->START - 1 == I) {
    K->START = I;
  } else {
    MAP.insert(K, tMAT{I, I});
  }
}

void cMAT::TOBUFFER(cBuffer& C) const {
  C.WRITELN("count:%d", static_cast<int32_t>(MAP.size()));
  for (const tMAT& R : MAP) {
    C.WRITELN("%d-%d", R.START, R.STOP);
  }
  C.WRITELN("");
}

void cMAT::FROMBUFFER(cBuffer& C) {
  CLEAR();
  const int32_t COUNT = STRTOINTERR(AFTERTOKEN(C.READLN(), ':'), 0);
  for (int32_t N = 0; N < COUNT; ++N) {
    std::string LINE = C.READLN();
    const int32_t START = STRTOINT(STRTOK(LINE, '-'));
    const int32_t STOP = STRTOINT(LINE);
    MAP.push_back(tMAT{START, STOP});
  }
  C.READLN();
}
