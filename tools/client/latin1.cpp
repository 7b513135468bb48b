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
