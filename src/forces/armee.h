#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "base/buffer.h"
#include "entities/mobile_list.h"
#include "forces/troupe.h"

/// One line of an army: troops, owned.
using cListeTroupes = tListeOf<cCreaturePosition>;

/// A champion's army: three lines of troops in order, line 1 first. The army
/// owns its troops; ADD keeps at most MAXPERLINE troops in a line.
class cArmee {
 public:
  static constexpr int32_t NBLINES = 3;
  static constexpr int32_t MAXPERLINE = 5;

  /// Three empty lines.
  cArmee();
  ~cArmee();
  cArmee(const cArmee&) = delete;
  cArmee& operator=(const cArmee&) = delete;

  /// The line (LINE..3) that ADD would use, or 0 when none has room (or LINE
  /// is outside 1..3).
  int32_t FREELINE(int32_t LINE = 1) const;
  /// Appends TROUPE to FREELINE(LINE) and takes it (TROUPE becomes null); false,
  /// with TROUPE left to the caller and the army unchanged, when there is no room.
  bool ADD(std::unique_ptr<cCreaturePosition>& TROUPE, int32_t LINE = 1);
  /// Appends TROUPE to line LINE (clamped to 1..3) whatever its size.
  void APPEND(std::unique_ptr<cCreaturePosition> TROUPE, int32_t LINE);
  /// Takes TROUPE out of the line holding it (the others keep their order);
  /// nullptr when the army does not hold it.
  std::unique_ptr<cCreaturePosition> REMOVE(const cCreaturePosition* TROUPE);

  /// Troops in all three lines.
  int32_t GETCOUNT() const;
  /// Troop X (1 for the first) of line Y (1..3), or nullptr.
  cCreaturePosition* GETARMEE(int32_t X, int32_t Y) const;
  /// The list of line Y (1..3); std::out_of_range otherwise.
  cListeTroupes& LINE(int32_t Y);
  const cListeTroupes& LINE(int32_t Y) const;

  /// Every troop line by line: its record, "line:L", "col:C"; then "endUnits".
  void TOBUFFER(cBuffer& C);
  /// Reads troops up to "endUnits" (or the end of C) and appends each to the
  /// end of its line, in the order read. The creature is found by identifier in
  /// JEUCREATURES and the troop is off the map (-1, -1). A line number outside
  /// 1..3 is brought into that range; a troop whose creature does not exist is
  /// read and dropped. A bad identifier or count raises cConversionError.
  void FROMBUFFER(cBuffer& C);

 private:
  std::array<cListeTroupes, NBLINES> FARMEE;
};
