#pragma once

#include <cstdint>
#include <vector>

#include "base/coords.h"

/// Whether (X, Y) is a square of the map: 1 to TXMAP across, 1 to TYMAP down.
bool INMAP(int32_t X, int32_t Y);
bool INMAP(tcoordMap P);

/// Appends to L the squares of the straight line from ORIG to FIN, both ends
/// included, in order from ORIG: max(|dx|, |dy|) + 1 squares.
void LINEGRID(tcoordMap ORIG, tcoordMap FIN, std::vector<tcoordMap>& L);
std::vector<tcoordMap> LINEGRID(tcoordMap ORIG, tcoordMap FIN);

/// Appends to L the squares of the map within RANGE of CENTRE in both
/// directions (the centre alone for 0), column by column: X in the outer loop,
/// Y in the inner one, leaving out those off the map. Coordinates rather than
/// squares, since fetching a square may evict one fetched before: fetch each
/// with WORLDMAP->GETSQUARE when it is used.
void AREAGRID(tcoordMap CENTRE, int32_t RANGE, std::vector<tcoordMap>& L);
std::vector<tcoordMap> AREAGRID(tcoordMap CENTRE, int32_t RANGE);
