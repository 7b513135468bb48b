#include "files.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

namespace fs = std::filesystem;

namespace {

int HEXVALUE(char C) {
  if (C >= '0' && C <= '9') {
    return C - '0';
  }
  if (C >= 'a' && C <= 'f') {
    return C - 'a' + 10;
  }
  if (C >= 'A' && C <= 'F') {
    return C - 'A' + 10;
  }
  return -1;
}

// The path of TARGET with its escapes decoded, or nothing when an escape is
// malformed or stands for a byte that would change the path's shape.
std::optional<std::string> DECODEDPATH(std::string_view TARGET) {
  TARGET = TARGET.substr(0, TARGET.find_first_of("?#"));
  std::string R;
  for (std::size_t I = 0; I < TARGET.size(); ++I) {
    char C = TARGET[I];
    if (C == '%') {
      const int HI = I + 2 < TARGET.size() ? HEXVALUE(TARGET[I + 1]) : -1;
      const int LO = HI >= 0 ? HEXVALUE(TARGET[I + 2]) : -1;
      if (LO < 0) {
        return std::nullopt;
      }
      C = static_cast<char>(HI * 16 + LO);
      if (C == '/') {
        return std::nullopt;
      }
      I += 2;
    }
    if (C == '\\' || C == '\0') {
      return std::nullopt;
    }
    R += C;
  }
  return R;
}

bool INSIDE(const fs::path& ROOT, const fs::path& P) {
  const auto [R, _] = std::mismatch(ROOT.begin(), ROOT.end(), P.begin(), P.end());
  return R == ROOT.end();
}

}  // namespace

std::string CONTENTTYPE(const fs::path& NAME) {
  static const std::array<std::pair<const char*, const char*>, 12> TYPES{{
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},
      {".json", "application/json"},
      {".map", "application/json"},
      {".svg", "image/svg+xml"},
      {".png", "image/png"},
      {".ico", "image/x-icon"},
      {".txt", "text/plain; charset=utf-8"},
      {".woff2", "font/woff2"},
      {".webmanifest", "application/manifest+json"},
  }};
  const std::string EXT = NAME.extension().string();
  for (const auto& [E, TYPE] : TYPES) {
    if (EXT == E) {
      return TYPE;
    }
  }
  return "application/octet-stream";
}

tFileReply PAGEFILE(const fs::path& ROOT, std::string_view TARGET) {
  const auto PATH = DECODEDPATH(TARGET);
  if (!PATH || !PATH->starts_with('/')) {
    return {};
  }
  fs::path P = ROOT;
  std::istringstream PARTS(*PATH);
  for (std::string PART; std::getline(PARTS, PART, '/');) {
    if (PART.starts_with('.')) {
      return {};
    }
    if (!PART.empty()) {
      P /= PART;
    }
  }
  std::error_code EC;
  if (fs::is_directory(P, EC)) {
    P /= "index.html";
  }
  const fs::path REAL = fs::canonical(P, EC);
  if (EC || !INSIDE(ROOT, REAL) || !fs::is_regular_file(REAL, EC)) {
    return {};
  }
  const auto SIZE = fs::file_size(REAL, EC);
  std::ifstream IN(REAL, std::ios::binary);
  if (EC || SIZE > PAGEFILEMAX || !IN) {
    return {};
  }
  tFileReply R{200, CONTENTTYPE(REAL), std::string(SIZE, '\0')};
  if (!IN.read(R.BODY.data(), static_cast<std::streamsize>(SIZE))) {
    return {};
  }
  return R;
}
