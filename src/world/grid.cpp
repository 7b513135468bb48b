#include "world/grid.h"

#include <algorithm>
#include <cstdlib>

bool INMAP(int32_t X, int32_t Y) {
  return X >= 1 && X <= TXMAP && Y >= 1 && Y <= TYMAP;
}

bool INMAP(tcoordMap P) {
  return INMAP(P.X, P.Y);
}

void LINEGRID(tcoordMap ORIG, tcoordMap FIN, std::vector<tcoordMap>& L) {
  // Integer line drawing with a decision variable D: each square moves one step
  // along the longer axis, and one along the shorter one too when D says so.
  const int32_t DX = std::abs(FIN.X - ORIG.X);
  const int32_t DY = std::abs(FIN.Y - ORIG.Y);
  int32_t N = 0;
  int32_t D = 0;
  int32_t D1 = 0;
  int32_t D2 = 0;
  int32_t STEP1X = 0;
  int32_t STEP1Y = 0;
  int32_t STEP2X = 1;
  int32_t STEP2Y = 1;
  if (DX >= DY) {
    N = DX + 1;
    D = 2 * DY - DX;
    D1 = 2 * DY;
    D2 = 2 * (DY - DX);
    STEP1X = 1;
  } else {
    N = DY + 1;
    D = 2 * DX - DY;
    D1 = 2 * DX;
    D2 = 2 * (DX - DY);
    STEP1Y = 1;
  }
  if (ORIG.X > FIN.X) {
    STEP1X = -STEP1X;
    STEP2X = -STEP2X;
  }
  if (ORIG.Y > FIN.Y) {
    STEP1Y = -STEP1Y;
    STEP2Y = -STEP2Y;
  }
  int32_t X = ORIG.X;
  int32_t Y = ORIG.Y;
  L.reserve(L.size() + static_cast<std::size_t>(N));
  for (int32_t I = 0; I < N; ++I) {
    L.push_back(COORDMAP(X, Y));
    if (D < 0) {
      D += D1;
      X += STEP1X;
      Y += STEP1Y;
    } else {
      D += D2;
      X += STEP2X;
      Y += STEP2Y;
    }
  }
}

std::vector<tcoordMap> LINEGRID(tcoordMap ORIG, tcoordMap FIN) {
  std::vector<tcoordMap> L;
  LINEGRID(ORIG, FIN, L);
  return L;
}

void AREAGRID(tcoordMap CENTRE, int32_t RANGE, std::vector<tcoordMap>& L) {
  // Offsets that fall off the map are skipped by the bounds of the loops, so a
  // large range costs no more than the map itself; a negative one gives nothing.
  const int64_t R = RANGE;
  const int64_t AFROM = std::max(-R, int64_t{1} - CENTRE.X);
  const int64_t ATO = std::min(R, int64_t{TXMAP} - CENTRE.X);
  const int64_t BFROM = std::max(-R, int64_t{1} - CENTRE.Y);
  const int64_t BTO = std::min(R, int64_t{TYMAP} - CENTRE.Y);
  for (int64_t A = AFROM; A <= ATO; ++A) {
    for (int64_t B = BFROM; B <= BTO; ++B) {
      L.push_back(COORDMAP(static_cast<int32_t>(CENTRE.X + A), static_cast<int32_t>(CENTRE.Y + B)));
    }
  }
}

std::vector<tcoordMap> AREAGRID(tcoordMap CENTRE, int32_t RANGE) {
  std::vector<tcoordMap> L;
  AREAGRID(CENTRE, RANGE, L);
  return L;
}
