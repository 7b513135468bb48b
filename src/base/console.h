#pragma once

#include <string>
#include <vector>

/// The server's log: writes one line to standard output and flushes it.
/// While a cConsoleCapture is alive the line is kept by the capture instead.
void CONSOLE(const std::string& LINE);

/// Collects the console lines written during its lifetime (for tests).
class cConsoleCapture {
 public:
  cConsoleCapture();
  ~cConsoleCapture();
  cConsoleCapture(const cConsoleCapture&) = delete;
  cConsoleCapture& operator=(const cConsoleCapture&) = delete;

  const std::vector<std::string>& LINES() const { return FLINES; }
  void CLEAR() { FLINES.clear(); }

 private:
  friend void CONSOLE(const std::string& LINE);
  std::vector<std::string> FLINES;
  cConsoleCapture* FPREVIOUS;
};
