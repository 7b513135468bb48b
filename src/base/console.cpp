#include "base/console.h"

#include <array>
#include <cstdio>

namespace {
cConsoleCapture* gCapture = nullptr;
}

std::string CONSOLETEXT(std::string_view LINE) {
  static constexpr std::array<char, 16> HEX{'0', '1', '2', '3', '4', '5', '6', '7',
                                            '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
  std::string R;
  R.reserve(LINE.size());
  for (const char C : LINE) {
    const auto BYTE = static_cast<unsigned char>(C);
    // Printable ASCII and the Latin-1 letters and signs (0xA0 and above) stay;
    // control bytes of both ranges, DEL and the backslash itself are escaped.
    const bool PRINTABLE = (BYTE >= 0x20 && BYTE < 0x7F) || BYTE >= 0xA0;
    if (C == '\\') {
      R += "\\\\";
    } else if (PRINTABLE) {
      R += C;
    } else {
      R += "\\x";
      R += HEX[BYTE >> 4];
      R += HEX[BYTE & 0x0F];
    }
  }
  return R;
}

void CONSOLE(const std::string& LINE) {
  const std::string TEXT = CONSOLETEXT(LINE);
  if (gCapture != nullptr) {
    gCapture->FLINES.push_back(TEXT);
    return;
  }
  std::fwrite(TEXT.data(), 1, TEXT.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

cConsoleCapture::cConsoleCapture() : FPREVIOUS(gCapture) {
  gCapture = this;
}

cConsoleCapture::~cConsoleCapture() {
  gCapture = FPREVIOUS;
}
