#include "serverlog.h"

#include <charconv>
#include <fstream>
#include <system_error>

namespace {

// A decimal number at the start of TEXT, digits only; advances TEXT past it.
std::optional<int64_t> TAKENUMBER(std::string_view& TEXT) {
  int64_t VALUE = 0;
  if (TEXT.empty() || TEXT.front() < '0' || TEXT.front() > '9') {
    return std::nullopt;
  }
  const auto [PTR, EC] = std::from_chars(TEXT.data(), TEXT.data() + TEXT.size(), VALUE);
  if (EC != std::errc()) {
    return std::nullopt;
  }
  TEXT.remove_prefix(static_cast<std::size_t>(PTR - TEXT.data()));
  return VALUE;
}

bool TAKE(std::string_view& TEXT, std::string_view WORDS) {
  if (!TEXT.starts_with(WORDS)) {
    return false;
  }
  TEXT.remove_prefix(WORDS.size());
  return true;
}

}  // namespace

std::optional<tSavePass> PARSESAVEPASS(const std::string& LINE) {
  std::string_view TEXT = LINE;
  if (!TAKE(TEXT, "Save pass: ")) {
    return std::nullopt;
  }
  const auto PLAYERS = TAKENUMBER(TEXT);
  if (!PLAYERS || !TAKE(TEXT, " players written, longest pause ")) {
    return std::nullopt;
  }
  const auto PAUSE = TAKENUMBER(TEXT);
  if (!PAUSE || TEXT != " us") {
    return std::nullopt;
  }
  return tSavePass{*PLAYERS, *PAUSE};
}

cConsoleFollower::cConsoleFollower(std::filesystem::path PATH, bool FROMSTART)
    : FFILE(std::move(PATH)) {
  std::error_code EC;
  const auto SIZE = std::filesystem::file_size(FFILE, EC);
  FOFFSET = EC || FROMSTART ? 0 : SIZE;
}

std::vector<std::string> cConsoleFollower::NEWLINES() {
  std::vector<std::string> LINES;
  std::ifstream IN(FFILE, std::ios::binary);
  if (!IN || !IN.seekg(static_cast<std::streamoff>(FOFFSET))) {
    return LINES;
  }
  char DATA[65536];
  for (;;) {
    IN.read(DATA, sizeof DATA);
    const std::streamsize N = IN.gcount();
    if (N <= 0) {
      break;
    }
    FOFFSET += static_cast<std::uintmax_t>(N);
    for (std::streamsize I = 0; I < N; ++I) {
      if (DATA[I] != '\n') {
        FPARTIAL += DATA[I];
        continue;
      }
      if (!FPARTIAL.empty() && FPARTIAL.back() == '\r') {
        FPARTIAL.pop_back();
      }
      LINES.push_back(std::move(FPARTIAL));
      FPARTIAL.clear();
    }
  }
  return LINES;
}
