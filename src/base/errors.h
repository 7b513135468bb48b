#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

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

/// The error that stops the load of the file FILENAME at line LINE (counted
/// from 1; anything lower reads as 1): "file, line N: 'BADTEXT' WHY".
inline cLoadError LOADERROR(const std::string& FILENAME, int32_t LINE, const std::string& BADTEXT,
                            const std::string& WHY) {
  return cLoadError(FILENAME + ", line " + std::to_string(LINE < 1 ? 1 : LINE) + ": '" + BADTEXT +
                    "' " + WHY);
}
