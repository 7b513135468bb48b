#include "checks.h"

#include <array>
#include <cctype>
#include <vector>

namespace {

bool ALLDIGITS(const std::string& S, std::size_t FROM = 0) {
  if (FROM < S.size() && S[FROM] == '-') {
    ++FROM;
  }
  if (FROM >= S.size() || S.size() - FROM > 10) {
    return false;
  }
  for (std::size_t I = FROM; I < S.size(); ++I) {
    if (std::isdigit(static_cast<unsigned char>(S[I])) == 0) {
      return false;
    }
  }
  return true;
}

// The number after PREFIX when LINE is PREFIX and a number.
std::optional<int64_t> NUMBERAFTER(const std::string& LINE, const std::string& PREFIX) {
  if (LINE.compare(0, PREFIX.size(), PREFIX) != 0 || !ALLDIGITS(LINE, PREFIX.size())) {
    return std::nullopt;
  }
  return std::stoll(LINE.substr(PREFIX.size()));
}

}  // namespace

std::optional<tPlayerFile> READPLAYERFILE(const std::string& TEXT, std::string& WHY) {
  std::vector<std::string> L;
  std::size_t START = 0;
  while (START < TEXT.size()) {
    const std::size_t END = TEXT.find("\r\n", START);
    if (END == std::string::npos) {
      WHY = "its last line has no CR LF (cut short)";
      return std::nullopt;
    }
    L.push_back(TEXT.substr(START, END - START));
    START = END + 2;
  }
  const auto FAIL = [&WHY](const std::string& W) -> std::optional<tPlayerFile> {
    WHY = W;
    return std::nullopt;
  };
  if (L.size() < 6) {
    return FAIL("fewer lines than its heading");
  }
  tPlayerFile R;
  const auto TURNS = NUMBERAFTER(L[2], "nbTurns:");
  if (L[0].size() < 2 || L[0][0] != '#' || !ALLDIGITS(L[0], 1) || L[1].rfind("name:", 0) != 0 ||
      !TURNS || !NUMBERAFTER(L[3], "availTurns:") || L[4].rfind("race:", 0) != 0 ||
      L[5].rfind("capital:", 0) != 0) {
    return FAIL("its heading is not #id, name, nbTurns, availTurns, race, capital");
  }
  R.NAME = L[1].substr(5);
  R.NBTURNS = *TURNS;
  const std::array<const char*, 5> SECTIONS{"[towns]", "[under construction]", "[troops]",
                                            "[under recruitement]", "[champions]"};
  std::size_t I = 6;
  for (const char* SECTION : SECTIONS) {
    while (I < L.size() && L[I] != SECTION) {
      ++I;
    }
    if (I + 1 >= L.size() || !NUMBERAFTER(L[I + 1], "nbLines:")) {
      return FAIL(std::string("no section ") + SECTION + " with its nbLines");
    }
    I += 2;
  }
  while (I < L.size() && L[I] != "[MAP]") {
    ++I;
  }
  if (I + 1 >= L.size()) {
    return FAIL("no [MAP] section with its count");
  }
  const auto RUNS = NUMBERAFTER(L[I + 1], "count:");
  if (!RUNS || *RUNS < 0) {
    return FAIL("no [MAP] section with its count");
  }
  I += 2;
  for (int64_t K = 0; K < *RUNS; ++K, ++I) {
    const std::size_t DASH = I < L.size() ? L[I].find('-') : std::string::npos;
    if (DASH == std::string::npos || !ALLDIGITS(L[I].substr(0, DASH)) ||
        !ALLDIGITS(L[I].substr(DASH + 1))) {
      return FAIL("its map has fewer runs than its count");
    }
  }
  if (I >= L.size() || !L[I].empty()) {
    return FAIL("no empty line after the map");
  }
  if (I + 1 != L.size()) {
    return FAIL("bytes after the end of the record");
  }
  return R;
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
