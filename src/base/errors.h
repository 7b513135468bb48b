#pragma once

#include <stdexcept>
#include <string>

#include "base/buffer.h"

/// Raised when a text that should spell a number does not.
class cConversionError : public std::runtime_error {
 public:
  explicit cConversionError(const std::string& BADTEXT)
      : std::runtime_error("'" + BADTEXT + "' is not a valid integer value"), FBADTEXT(BADTEXT) {}

  const std::string& BADTEXT() const { return FBADTEXT; }

 private:
  std::string FBADTEXT;
};

/// Raised when a data or player file cannot be loaded: its message names the
/// file, the line and the bad text, ready for the console.
class cLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Runs READ(B), a reader of the file loaded into B. A number that does not
/// parse becomes a cLoadError naming the file, the line last read and the bad text.
template <class READER>
void READWITHCONTEXT(cBuffer& B, READER&& READ) {
  try {
    READ(B);
  } catch (const cConversionError& E) {
    const int32_t LINE = B.GETCURRENT() < 1 ? 1 : B.GETCURRENT();
    throw cLoadError(B.FILENAME() + ", line " + std::to_string(LINE) + ": '" + E.BADTEXT() +
                     "' is not a valid number");
  }
}
