// The measured server: its temporary game directory and its process.

#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gamecopy.h"

/// Set by SIGINT and SIGTERM; every wait of the load client gives up when set.
bool INTERRUPTED();
void INSTALLINTERRUPTHANDLERS();

/// The port every server of this protocol listens on.
constexpr uint16_t GAMEPORT = 9090;

/// Starts COMMAND (its program found on the PATH when it names no folder) in
/// DIR with its standard output and error in LOG, its input from /dev/null and
/// the variables of ENV ("NAME=VALUE") added, and returns its process id. The
/// child dies with the calling process, so no server outlives its client.
/// Throws when the fork fails; the child exits 126 or 127 when it cannot run.
pid_t SPAWNINDIR(std::vector<std::string> COMMAND, const std::filesystem::path& DIR,
                 const std::string& LOG, std::vector<std::string> ENV = {});

/// The server program running in a game directory, its console in
/// console.log there. Stopped (SIGTERM, then SIGKILL) with the object.
class cServerProcess {
 public:
  cServerProcess(std::vector<std::string> COMMAND, std::filesystem::path DIR);
  ~cServerProcess();
  cServerProcess(const cServerProcess&) = delete;
  cServerProcess& operator=(const cServerProcess&) = delete;

  /// Starts the server and returns once it listens on the game port. Waits a
  /// bounded time while another process holds the port; throws when the port
  /// stays taken or the server does not come up.
  void START();
  /// The server's peak resident memory in KiB, from /proc; -1 when unknown.
  long PEAKRSSKIB() const;
  bool RUNNING();
  /// Waits at most MILLIS for the server to end; true once it has.
  bool WAITEXIT(int MILLIS);
  /// Sends SIG to the running server; false when it has already ended.
  bool SIGNAL(int SIG);
  /// SIGTERM, a bounded wait, then SIGKILL. The exit code, or -1 when the
  /// server had to be killed or ended on a signal.
  int STOP();
  /// The signal that ended the server, 0 while it runs or when it exited.
  int ENDSIGNAL() const { return FSIGNAL; }
  std::filesystem::path CONSOLEPATH() const { return FDIR / "console.log"; }
  /// The last LINES lines of the server's console.
  std::string CONSOLETAIL(std::size_t LINES) const;

 private:
  std::vector<std::string> FCOMMAND;
  std::filesystem::path FDIR;
  pid_t FPID = -1;
  bool FEXITED = true;
  int FCODE = -1;
  int FSIGNAL = 0;
};
