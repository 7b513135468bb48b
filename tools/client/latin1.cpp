#include "latin1.h"

std::string UTF8(const std::string& LATIN1) {
  std::string R;
  R.reserve(LATIN1.size());
  for (const char C : LATIN1) {
    const auto B = static_cast<unsigned char>(C);
    if (B < 0x80) {
      R += C;
    } else {
      R += static_cast<char>(0xC0 | (B >> 6));
      R += static_cast<char>(0x80 | (B & 0x3F));
    }
  }
  return R;
}

std::optional<std::string> LATIN1(std::string_view UTF8TEXT, std::optional<char> INSTEAD) {
  std::string R;
  R.reserve(UTF8TEXT.size());
  for (std::size_t I = 0; I < UTF8TEXT.size();) {
    const auto B = static_cast<unsigned char>(UTF8TEXT[I]);
    const std::size_t LEN = B >= 0xF0 ? 4 : B >= 0xE0 ? 3 : B >= 0xC0 ? 2 : 1;
    if (LEN == 1) {
      R += static_cast<char>(B);
    } else if (LEN == 2 && B <= 0xC3 && I + 1 < UTF8TEXT.size()) {
      const auto NEXT = static_cast<unsigned char>(UTF8TEXT[I + 1]);
      R += static_cast<char>(((B & 0x03u) << 6) | (NEXT & 0x3Fu));
    } else if (INSTEAD) {
      R += *INSTEAD;
    } else {
      return std::nullopt;
    }
    I += LEN;
  }
  return R;
}
