#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// The server's log: writes one line to standard output, at once when the
/// output takes it. The line is written as CONSOLETEXT shows it, so that no
/// text (a client's command above all) can move the cursor of an operator's
/// terminal or split into forged lines. While a cConsoleCapture is alive the
/// line is kept by the capture instead.
///
/// The console never holds up the game: once CONSOLEOPEN has made the output
/// non-blocking, lines that a stalled output (a pipe nobody reads, a stuck
/// journal) cannot take wait in a queue of at most CONSOLEMAXQUEUE bytes.
/// Lines that find the queue full are dropped and counted; when the queue has
/// drained, one line says how many were lost.
void CONSOLE(const std::string& LINE);

/// LINE with every control byte, DEL and C1 control (0x80 to 0x9F) written as
/// a visible escape \xNN (lower-case hex) and every backslash doubled, so
/// that an escape in the log always stands for the byte. Printable ASCII and
/// the Latin-1 letters of the game's texts stay as they are.
std::string CONSOLETEXT(std::string_view LINE);

/// Most bytes of console lines that wait for a stalled output.
constexpr std::size_t CONSOLEMAXQUEUE = 1 << 20;

/// Writes standard output without blocking from now on: a socket through
/// non-blocking sends, a pipe or terminal through a non-blocking descriptor of
/// its own (the shell's is left as it is). A regular file, which never makes a
/// writer wait, keeps plain writes.
void CONSOLEOPEN();
/// From now on (ON) lines wait in the queue, within its bound, until
/// CONSOLEFLUSH writes them in one go: the game loop flushes once a wake-up,
/// before it sleeps, instead of writing each line by itself.
void CONSOLEBATCH(bool ON);
/// Writes what the output takes now of the waiting lines.
void CONSOLEFLUSH();
/// Bytes of lines waiting for the output.
std::size_t CONSOLEPENDING();
/// The descriptor to watch for room while lines wait, or -1.
int CONSOLEWAITFD();
/// Waits at most MS milliseconds for the waiting lines to be written (at exit).
void CONSOLEDRAIN(int MS);

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
