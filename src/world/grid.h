#pragma once

#include <cstdint>
#include <vector>

#include "base/coords.h"

class cSquareMemory;

/// Whether (X, Y) is a square of the map: 1 to TXMAP across, 1 to TYMAP down.
bool INMAP(int32_t X, int32_t Y);
bool INMAP(tcoordMap P);

/// Appends to L the squares of the straight line from ORIG to FIN, both ends
/// included, in order from ORIG: max(|dx|, |dy|) + 1 squares.
void LINEGRID(tcoordMap ORIG, tcoordMap FIN, std::vector<tcoordMap>& L);
std::vector<tcoordMap> LINEGRID(tcoordMap ORIG, tcoordMap FIN);

/// Appends to L the world's squares within RANGE of CENTRE in both directions
/// (the centre alone for 0), column by column, leaving out those off the map or
/// without a record. The squares belong to the square cache: use them at once.
void AREAGRID(tcoordMap CENTRE, int32_t RANGE, std::vector<cSquareMemory*>& L);
std::vector<cSquareMemory*> AREAGRID(tcoordMap CENTRE, int32_t RANGE);
