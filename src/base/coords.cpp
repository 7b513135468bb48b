#include "base/coords.h"

#include <algorithm>
#include <limits>

#include "base/strutils.h"

namespace {
// A value held at the nearer end of the 16-bit range: cutting it to its low
// bits would bring a far-off coordinate (65537) back onto the map (1).
int16_t SATURATE16(int32_t V) {
  return static_cast<int16_t>(std::clamp<int32_t>(V, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}
}  // namespace

tcoordMap COORDMAP(int32_t X, int32_t Y) {
  return {SATURATE16(X), SATURATE16(Y)};
}

int32_t MAP2INDEX(int32_t X, int32_t Y) {
  if (X < 0 || Y < 0) {
    return 0;
  }
  return (Y - 1) * TXMAP + X;
}

int32_t MAP2INDEX(tcoordMap C) {
  return MAP2INDEX(C.X, C.Y);
}

tcoordMap INDEX2MAP(uint32_t INDEX) {
  const uint32_t WIDTH = static_cast<uint32_t>(TXMAP);
  return COORDMAP(static_cast<int32_t>((INDEX - 1) % WIDTH + 1),
                  static_cast<int32_t>((INDEX - 1) / WIDTH + 1));
}

std::string COORDTOSTRING(int32_t X, int32_t Y) {
  return std::to_string(X) + "," + std::to_string(Y);
}

std::string COORDTOSTRING(tcoordMap P) {
  return COORDTOSTRING(P.X, P.Y);
}

std::string STRTOKCOORD(std::string& S, char DELIMITER) {
  const auto POS = S.find(DELIMITER);
  if (POS == std::string::npos) {
    return {};
  }
  std::string R = S.substr(0, POS);
  S.erase(0, POS + 1);
  return R;
}

tcoordMap COORDFROMSTRING(const std::string& S) {
  std::string REST = S;
  const int32_t X = STRTOINT(STRTOKCOORD(REST, ','));
  const int32_t Y = STRTOINT(REST);
  return COORDMAP(X, Y);
}
