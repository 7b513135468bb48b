#pragma once

#include <cstdint>
#include <string>

/// A dice expression: NBDICE dice of MAXDICE faces, plus BASE. Text form "%dD%d+%d".
class cDice {
 public:
  cDice() = default;
  /// All three parts 0, then ASSIGN(S).
  explicit cDice(const std::string& S) { ASSIGN(S); }

  /// Parses "2D6+3", "2d6", "2D6+", a plain number (sets BASE only) or the empty
  /// text (all 0). Raises cConversionError on a part that is not a number.
  void ASSIGN(const std::string& S);
  /// Rolls once; the result wraps to 16 bits.
  uint16_t THRDICE() const;
  std::string TOSTRING() const;

  int32_t NBDICE = 0;
  int32_t MAXDICE = 0;
  int32_t BASE = 0;
};
