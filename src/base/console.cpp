#include "base/console.h"

#include <cstdio>

namespace {
cConsoleCapture* gCapture = nullptr;
}

void CONSOLE(const std::string& LINE) {
  if (gCapture != nullptr) {
    gCapture->FLINES.push_back(LINE);
    return;
  }
  std::fwrite(LINE.data(), 1, LINE.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

cConsoleCapture::cConsoleCapture() : FPREVIOUS(gCapture) {
  gCapture = this;
}

cConsoleCapture::~cConsoleCapture() {
  gCapture = FPREVIOUS;
}
