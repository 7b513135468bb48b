#include "checks.h"

#include <vector>

namespace {

// The number after PREFIX when LINE is PREFIX and at most 10 digits, a minus
// sign before them allowed.
std::optional<int64_t> NUMBERAFTER(const std::string& LINE, const std::string& PREFIX) {
  if (LINE.compare(0, PREFIX.size(), PREFIX) != 0) {
    return std::nullopt;
  }
  const std::size_t FROM =
      PREFIX.size() + (LINE.size() > PREFIX.size() && LINE[PREFIX.size()] == '-' ? 1 : 0);
  if (FROM >= LINE.size() || LINE.size() - FROM > 10 ||
      LINE.find_first_not_of("0123456789", FROM) != std::string::npos) {
    return std::nullopt;
  }
  return std::stoll(LINE.substr(PREFIX.size()));
}

}  // namespace

std::optional<tPlayerFile> READPLAYERFILE(const std::string& TEXT, std::string& WHY) {
  std::vector<std::string> L;
  for (std::size_t START = 0; START < TEXT.size();) {
    const std::size_t END = TEXT.find("\r\n", START);
    if (END == std::string::npos) {
      WHY = "its last line has no CR LF (cut short)";
      return std::nullopt;
    }
    L.push_back(TEXT.substr(START, END - START));
    START = END + 2;
  }
  // The heading, then the known map last of all: "[MAP]", "count:K", K runs
  // "a-b" and the empty line that ends the record. A cut anywhere loses it.
  const auto TURNS = L.size() >= 6 ? NUMBERAFTER(L[2], "nbTurns:") : std::nullopt;
  if (!TURNS || !NUMBERAFTER(L[0], "#") || L[1].rfind("name:", 0) != 0 ||
      !NUMBERAFTER(L[3], "availTurns:") || L[4].rfind("race:", 0) != 0 ||
      L[5].rfind("capital:", 0) != 0) {
    WHY = "its heading is not #id, name, nbTurns, availTurns, race, capital";
    return std::nullopt;
  }
  std::size_t MAP = L.size();
  while (MAP > 6 && L[MAP - 1] != "[MAP]") {
    --MAP;
  }
  const auto RUNS = MAP < L.size() ? NUMBERAFTER(L[MAP], "count:") : std::nullopt;
  bool WHOLE = RUNS && *RUNS >= 0 && MAP + 1 + static_cast<std::size_t>(*RUNS) + 1 == L.size() &&
               L.back().empty();
  for (std::size_t I = MAP + 1; WHOLE && I + 1 < L.size(); ++I) {
    const std::size_t DASH = L[I].find('-');
    WHOLE = DASH != std::string::npos && NUMBERAFTER(L[I].substr(0, DASH), "") &&
            NUMBERAFTER(L[I].substr(DASH + 1), "");
  }
  if (!WHOLE) {
    WHY = "it does not end with its map: [MAP], count:K, K runs and an empty line";
    return std::nullopt;
  }
  return tPlayerFile{L[1].substr(5), *TURNS};
}

bool WORLDFILECOMPLETE(const std::string& BYTES, int64_t SQUARES, int64_t RECORDSIZE, int TERRAINS,
                       std::string& WHY) {
  if (static_cast<int64_t>(BYTES.size()) != SQUARES * RECORDSIZE) {
    WHY =
        std::to_string(BYTES.size()) + " bytes instead of " + std::to_string(SQUARES * RECORDSIZE);
    return false;
  }
  for (int64_t S = 0; S < SQUARES; ++S) {
    const int T = static_cast<unsigned char>(BYTES[static_cast<std::size_t>(S * RECORDSIZE)]);
    if (T >= TERRAINS) {
      WHY = "square " + std::to_string(S) + " has terrain " + std::to_string(T);
      return false;
    }
  }
  return true;
}
