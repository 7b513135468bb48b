#pragma once

#include <string>
#include <string_view>
#include <vector>

/// The server's log: writes one line to standard output and flushes it.
/// The line is written as CONSOLETEXT shows it, so that no text (a client's
/// command above all) can move the cursor of an operator's terminal or split
/// into forged lines. While a cConsoleCapture is alive the line is kept by the
/// capture instead.
void CONSOLE(const std::string& LINE);

/// LINE with every control byte, DEL and C1 control (0x80 to 0x9F) written as
/// a visible escape \xNN (lower-case hex) and every backslash doubled, so
/// that an escape in the log always stands for the byte. Printable ASCII and
/// the Latin-1 letters of the game's texts stay as they are.
std::string CONSOLETEXT(std::string_view LINE);

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
