// The command line of a tool: options with values, flags, and plain words.

#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

/// ARGS (without the program's name) read as options "--name VALUE" or
/// "--name=VALUE" (the names in VALUED), flags (the names in FLAGS, any form
/// such as "-h" included) and, in order, the other words.
class cArgs {
 public:
  cArgs(const std::vector<std::string>& ARGS, const std::vector<std::string>& VALUED,
        const std::vector<std::string>& FLAGS);
  /// Why the line is not well formed, "" when it is: an unknown option, a
  /// flag given a value, an option without its value.
  const std::string& ERROR() const { return FERROR; }
  bool HAS(const std::string& NAME) const;
  /// The last value given to NAME, or FALLBACK.
  std::string VALUE(const std::string& NAME, const std::string& FALLBACK = "") const;
  /// Every value given to NAME, in order.
  std::vector<std::string> VALUES(const std::string& NAME) const;
  const std::vector<std::string>& WORDS() const { return FWORDS; }
  /// NAME's last value read into OUT as a whole decimal number within [LOW,
  /// HIGH]; false when it is not one (OUT untouched). True when NAME is absent.
  bool NUMBER(const std::string& NAME, long LOW, long HIGH, long& OUT) const;

 private:
  std::vector<std::pair<std::string, std::string>> FGIVEN;
  std::vector<std::string> FWORDS;
  std::string FERROR;
};

/// What a tool PROGRAM answers before its own work, from A (whose flags include
/// "--help", "-h" and "--version"): USAGE for --help, its name and VERSION for
/// --version (exit code 0); the error and USAGE on the error stream for a
/// malformed line (exit code 2). Nothing when the tool may go on.
std::optional<int> ANSWERHELPVERSIONERROR(const cArgs& A, const std::string& PROGRAM,
                                          const std::string& USAGE, const std::string& VERSION);
