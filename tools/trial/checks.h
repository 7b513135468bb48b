// What the crash trial checks in the files a killed server leaves: each one
// must be the version it held before, or a whole new version.

#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// What a whole player file says of itself.
struct tPlayerFile {
  std::string NAME;
  int64_t NBTURNS = 0;
};

/// TEXT read as a player file that is complete: every line ended by CR LF;
/// "#id", "name:", "nbTurns:", "availTurns:", "race:" and "capital:" lines;
/// and last of all [MAP], "count:K", K runs "a-b" and one empty line. Any file
/// cut short, or with bytes left over after its end, fails. Nothing, and WHY,
/// when it is not.
std::optional<tPlayerFile> READPLAYERFILE(const std::string& TEXT, std::string& WHY);

/// Whether BYTES is a whole world file: exactly SQUARES records of RECORDSIZE
/// bytes, each beginning with a terrain number below TERRAINS. WHY says why not.
bool WORLDFILECOMPLETE(const std::string& BYTES, int64_t SQUARES, int64_t RECORDSIZE, int TERRAINS,
                       std::string& WHY);
