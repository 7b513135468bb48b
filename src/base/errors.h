#pragma once

#include <stdexcept>
#include <string>

/// Raised when a text that should spell a number does not.
/// Loaders add where the text came from (file and line) with WITHCONTEXT.
class cConversionError : public std::runtime_error {
 public:
  explicit cConversionError(const std::string& BADTEXT)
      : std::runtime_error("'" + BADTEXT + "' is not a valid integer value"), FBADTEXT(BADTEXT) {}
  cConversionError(const std::string& BADTEXT, const std::string& MESSAGE)
      : std::runtime_error(MESSAGE), FBADTEXT(BADTEXT) {}

  const std::string& BADTEXT() const { return FBADTEXT; }

 private:
  std::string FBADTEXT;
};
