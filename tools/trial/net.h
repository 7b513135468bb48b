// The pieces the trials share: the server process they start, kill and
// watch, and a plain line client with bounded waits.

#pragma once

#include <netinet/in.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

/// The server started in DIR, its standard output and error in DIR/console.log
/// (made anew at every start).
class cTrialServer {
 public:
  cTrialServer(std::vector<std::string> COMMAND, std::filesystem::path DIR,
               std::vector<std::string> ENV = {});
  ~cTrialServer();
  cTrialServer(const cTrialServer&) = delete;
  cTrialServer& operator=(const cTrialServer&) = delete;

  /// Starts the server and returns at once.
  void SPAWN();
  /// Waits at most MILLIS for the console line "Server is listening"; false
  /// when it does not come (or the server ended).
  bool WAITLISTENING(int MILLIS);
  bool RUNNING();
  /// Waits at most MILLIS for the end; true once ended.
  bool WAITEXIT(int MILLIS);
  void SIGNAL(int SIG);
  /// SIGKILL and the wait for the end.
  void KILL();
  /// The exit code, or -1 when it ended on a signal.
  int EXITCODE() const { return FCODE; }
  pid_t PID() const { return FPID; }
  /// The resident memory in KiB now, -1 when unknown.
  long RSSKIB() const;
  std::string CONSOLE() const;
  const std::filesystem::path& DIR() const { return FDIR; }

 private:
  std::vector<std::string> FCOMMAND;
  std::vector<std::string> FENV;
  std::filesystem::path FDIR;
  pid_t FPID = -1;
  bool FEXITED = true;
  int FCODE = -1;
};

/// The port the trial's servers listen on (given to them as --port) and its
/// clients connect to. PORT 0 picks one that no one listens on now.
void SETTRIALPORT(uint16_t PORT);
uint16_t TRIALPORT();
/// 127.0.0.1 on TRIALPORT().
struct sockaddr_in TRIALADDRESS();

/// A connection to TRIALADDRESS() that reads lines (CR LF ends them).
class cLineClient {
 public:
  cLineClient() = default;
  ~cLineClient();
  cLineClient(const cLineClient&) = delete;
  cLineClient& operator=(const cLineClient&) = delete;

  bool CONNECT(int MILLIS);
  bool SEND(const std::string& BYTES);
  /// The next line, waiting at most MILLIS; false on a time-out or a close.
  bool READLINE(std::string& LINE, int MILLIS);
  /// Reads lines until one equals WANT; the lines before it go to BEFORE.
  bool READUNTIL(const std::string& WANT, std::vector<std::string>& BEFORE, int MILLIS);
  void CLOSE();
  int FD() const { return FFD; }

 private:
  int FFD = -1;
  std::string FIN;
};

/// The monotonic clock in milliseconds.
int64_t NOWMS();
