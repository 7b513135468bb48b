#pragma once

#include <cstdint>
#include <vector>

#include "base/buffer.h"
#include "base/coords.h"

/// A run of consecutive map indices, START to STOP included.
struct tMAT {
  int32_t START = 0;
  int32_t STOP = 0;
  friend bool operator==(const tMAT&, const tMAT&) = default;
};

/// The squares a player knows: map indices kept as increasing, disjoint runs.
/// Neighbouring runs may touch: adding a square extends one run, never merges two.
class cMAT {
 public:
  /// Forgets every square.
  void CLEAR() { MAP.clear(); }
  /// Whether square (X, Y) is known; false for a square off the map.
  bool INMAT(int32_t X, int32_t Y) const;
  bool INMAT(tcoordMap P) const { return INMAT(P.X, P.Y); }
  /// Marks square (X, Y) as known; a square off the map is ignored.
  void ADD(int32_t X, int32_t Y);
  void ADD(tcoordMap P) { ADD(P.X, P.Y); }

  /// "count:N", one "START-STOP" line per run, then an empty line.
  void TOBUFFER(cBuffer& C) const;
  /// Reads that text in place of the present runs, in the order read. A count
  /// that is not a number reads as 0; a run that is not two numbers raises
  /// cConversionError.
  void FROMBUFFER(cBuffer& C);

  std::vector<tMAT> MAP;
};
