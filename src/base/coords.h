#pragma once

#include <cstdint>
#include <string>

/// Number of columns and rows of the map; squares run from 1 to 10 both ways.
constexpr int32_t TXMAP = 10;
constexpr int32_t TYMAP = 10;

/// A map coordinate; (-1, -1) marks a piece that is not on the map.
struct tcoordMap {
  int16_t X = 0;
  int16_t Y = 0;
  friend bool operator==(const tcoordMap&, const tcoordMap&) = default;
};

/// The coordinate (X, Y); a value outside the 16-bit range is held at its
/// nearer end, so a coordinate off the map stays off it.
tcoordMap COORDMAP(int32_t X, int32_t Y);
/// Square index (Y - 1) * TXMAP + X; 0 when X or Y is negative.
int32_t MAP2INDEX(int32_t X, int32_t Y);
int32_t MAP2INDEX(tcoordMap C);
/// The square of index INDEX (1 to TXMAP * TYMAP).
tcoordMap INDEX2MAP(uint32_t INDEX);
/// "X,Y" in decimal.
std::string COORDTOSTRING(tcoordMap P);
std::string COORDTOSTRING(int32_t X, int32_t Y);
/// Reads "X,Y" as COORDMAP takes its values; raises cConversionError when
/// either part is not a number.
tcoordMap COORDFROMSTRING(const std::string& S);
/// Text before the first DELIMITER, removed from S with it; without DELIMITER,
/// the empty text and S unchanged (unlike STRTOK).
std::string STRTOKCOORD(std::string& S, char DELIMITER);
