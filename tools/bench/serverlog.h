// What the load client reads on the measured server's console while it runs.

#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

/// The server's own account of one save pass.
struct tSavePass {
  int64_t PLAYERS = 0;
  int64_t PAUSEUS = 0;
  bool operator==(const tSavePass&) const = default;
};

/// The figures of LINE when it is exactly
/// "Save pass: N players written, longest pause P us" (N and P decimal);
/// nothing for any other line.
std::optional<tSavePass> PARSESAVEPASS(const std::string& LINE);

/// Follows a console file as the server writes it, from its end at the
/// moment the follower is made, or from its start with FROMSTART.
class cConsoleFollower {
 public:
  explicit cConsoleFollower(std::filesystem::path PATH, bool FROMSTART = false);
  /// The lines ended since the last call, without their line ends; a line
  /// still being written waits for its end.
  std::vector<std::string> NEWLINES();

 private:
  std::filesystem::path FFILE;
  std::uintmax_t FOFFSET = 0;
  std::string FPARTIAL;
};
