// A server process run by a client tool or a test: started in a game
// directory with its console in a file there, watched until it listens on its
// port, signalled, stopped and reaped. Every wait has a deadline.

#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

/// A failure that ends a tool's run, with the reason to print.
class cClientError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Set by SIGINT and SIGTERM once INSTALLINTERRUPTHANDLERS ran; long waits
/// give up when set.
bool INTERRUPTED();
/// Catches SIGINT and SIGTERM for INTERRUPTED, and ignores SIGPIPE.
void INSTALLINTERRUPTHANDLERS();

/// The monotonic clock in milliseconds and in microseconds.
int64_t NOWMS();
long long NOWUS();

/// Whether some process listens on PORT now (from the kernel's tables); with
/// PID > 0, whether that process holds such a listening socket.
bool LISTENING(uint16_t PORT, pid_t PID = 0);
/// A port that no one listens on now, as the kernel picks it.
uint16_t FREEPORT();

/// A server program started in a game directory, its standard output and
/// error in DIR/console.log (made anew at every start), its input /dev/null.
/// Killed with SIGKILL if still running when the object goes.
class cServerProcess {
 public:
  /// COMMAND: the program (found on the PATH when it names no folder) and its
  /// arguments; PORT: where it listens; ENV: variables added ("NAME=VALUE").
  cServerProcess(std::vector<std::string> COMMAND, std::filesystem::path DIR, uint16_t PORT,
                 std::vector<std::string> ENV = {});
  ~cServerProcess();
  cServerProcess(const cServerProcess&) = delete;
  cServerProcess& operator=(const cServerProcess&) = delete;

  /// Starts the server and returns at once; with OUTFD >= 0 its output goes
  /// there instead of the console file. The child dies with the caller.
  void SPAWN(int OUTFD = -1);
  /// Waits at most MILLIS for the server to listen on its port; false when it
  /// does not (or ends first).
  bool WAITLISTENING(int MILLIS);
  /// Waits at most PORTWAITMS for the port to be free, starts the server and
  /// waits at most LISTENWAITMS for it to listen, starting it again (twice at
  /// most) when another process took the port meanwhile. Throws cClientError
  /// naming the cause (and the console's end) when it does not come up.
  void START(int PORTWAITMS = 30000, int LISTENWAITMS = 20000);
  bool RUNNING();
  /// Waits at most MILLIS for the end; true once ended.
  bool WAITEXIT(int MILLIS);
  /// Sends SIG to the running server; false when it has already ended.
  bool SIGNAL(int SIG);
  /// SIGKILL and the wait for the end.
  void KILL();
  /// SIGTERM, at most WAITMS for the end, then SIGKILL. The exit code, or -1
  /// when the server had to be killed or ended on a signal.
  int STOP(int WAITMS = 10000);
  /// The exit code, or -1 when it ended on a signal (or runs).
  int EXITCODE() const { return FCODE; }
  /// The signal that ended the server, 0 while it runs or when it exited.
  int ENDSIGNAL() const { return FSIGNAL; }
  pid_t PID() const { return FPID; }
  /// A memory figure of /proc/PID/status in KiB ("VmRSS", "VmHWM"); -1 when unknown.
  long MEMORYKIB(const std::string& FIELD) const;
  const std::filesystem::path& DIR() const { return FDIR; }
  std::filesystem::path CONSOLEPATH() const { return FDIR / "console.log"; }
  std::string CONSOLE() const;
  /// The last LINES lines of the console, each indented "  | ".
  std::string CONSOLETAIL(std::size_t LINES) const;

 private:
  void REAPED(int STATUS);

  std::vector<std::string> FCOMMAND;
  std::vector<std::string> FENV;
  std::filesystem::path FDIR;
  uint16_t FPORT;
  pid_t FPID = -1;
  bool FEXITED = true;
  int FCODE = -1;
  int FSIGNAL = 0;
};
