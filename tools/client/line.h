// Speaking to the server: a line connection over TCP with bounded waits, the
// shapes of its replies, and the login dialogue of one account.

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// COMMAND upper-cased, without leading or trailing spaces, inner runs of
/// spaces made one: the form the server reads.
std::string NORMALISECOMMAND(const std::string& COMMAND);

/// How many "END RETURN" lines end the reply to COMMAND: 0 for the commands
/// answered by a single line, 2 for the ones answered by two blocks, 1 for the
/// rest.
int ENDBLOCKSOF(const std::string& COMMAND);

/// The count after PREFIX in LINE ("nbLines:12" with "nbLines:" gives 12), or
/// -1 when LINE is not PREFIX followed by a number of at most 6 digits.
long COUNTAFTER(const std::string& LINE, const std::string& PREFIX);

/// Reads the reply to one command: complete at its first line when it is a
/// one-line answer (ENDBLOCKS 0), otherwise at its ENDBLOCKS-th "END RETURN".
class cReplyReader {
 public:
  explicit cReplyReader(int ENDBLOCKS) : FLEFT(ENDBLOCKS) {}
  /// Takes the next line; true once the reply is complete.
  bool FEED(const std::string& LINE);
  bool COMPLETE() const { return FCOMPLETE; }

 private:
  int FLEFT;
  bool FCOMPLETE = false;
};

/// The login dialogue of one account, driven by the server's lines: the
/// greeting ("Welcome", "login"), the name, the password, and for a new
/// player the race question ("Race :", "nbLines:N", N races), answered with
/// RACE, and the player's record (lines up to "[MAP]", "count:K", K runs and
/// the empty line that ends it).
class cLogin {
 public:
  /// NEW: the account has no player yet; its race is sent when the question
  /// has come whole. ANY: it may have one. The race and "SERVER WHOAMI" follow
  /// "en jeu" at once (in play the race is no command), and WHOAMI's answer
  /// ends the dialogue.
  enum sPlayer { NEW, ANY };
  cLogin(std::string NAME, std::string PASSWORD, sPlayer PLAYER, std::string RACE = "0");
  /// Takes the next line of the server; the bytes to send in answer ("" for
  /// none). A line the dialogue does not expect fails it (ERROR says which).
  std::string FEED(const std::string& LINE);
  bool DONE() const { return FSTAGE == stDONE; }
  bool FAILED() const { return !FERROR.empty(); }
  const std::string& ERROR() const { return FERROR; }
  /// What the dialogue waits for, in words.
  const char* STEP() const;
  /// The new player's record; empty when the player existed.
  const std::vector<std::string>& RECORD() const { return FRECORDLINES; }

 private:
  enum sStage {
    stWELCOME,
    stLOGIN,
    stNAME,
    stPASSWORD,
    stRACE,
    stMENUCOUNT,
    stMENU,
    stRECORD,
    stMAPCOUNT,
    stRUNS,
    stEND,
    stWHOAMI,
    stDONE
  };
  std::string REFUSE(const std::string& WHY);

  std::string FNAME, FPASSWORD, FRACE;
  sPlayer FPLAYER;
  sStage FSTAGE = stWELCOME;
  /// Lines left of the race menu or of the record's map.
  long FLEFT = 0;
  std::vector<std::string> FRECORDLINES;
  std::string FERROR;
};

/// One TCP connection to the server on 127.0.0.1. Lines are sent as they are
/// given and read up to CR LF, their bytes kept as they came.
class cLineConnection {
 public:
  cLineConnection() = default;
  ~cLineConnection() { CLOSE(); }
  cLineConnection(const cLineConnection&) = delete;
  cLineConnection& operator=(const cLineConnection&) = delete;

  /// Begins connecting to PORT without waiting, from the loopback address
  /// FROM and with a receive buffer of RCVBUF bytes when given.
  bool START(uint16_t PORT, const char* FROM = nullptr, int RCVBUF = 0);
  /// Connects and waits at most MILLIS for the connection to be made.
  bool OPEN(uint16_t PORT, int MILLIS = 5000, const char* FROM = nullptr, int RCVBUF = 0);
  /// Sends every byte, waiting at most MILLIS while the socket is full.
  bool SEND(const std::string& BYTES, int MILLIS = 10000);
  /// The next line without its CR LF, waiting at most MILLIS; nothing on a
  /// time-out or once the peer has closed (CLOSED tells which).
  std::optional<std::string> READLINE(int MILLIS);
  /// Reads lines until one equals WANT; the lines before it go to BEFORE.
  bool READUNTIL(const std::string& WANT, std::vector<std::string>& BEFORE, int MILLIS);
  /// The lines of one reply (see cReplyReader), as far as they came within MILLIS.
  std::vector<std::string> READREPLY(int ENDBLOCKS, int MILLIS);
  /// Runs DIALOGUE on lines read within MILLIS in all; true once done.
  bool LOGIN(cLogin& DIALOGUE, int MILLIS);
  /// Whether nothing at all arrives within MILLIS.
  bool QUIET(int MILLIS);
  /// Whether the peer closes within MILLIS (what comes before is dropped).
  bool WAITCLOSE(int MILLIS);
  bool CLOSED() const { return FCLOSED; }

  // Without waiting, for a caller that polls many connections on FD():
  /// Queues BYTES behind those waiting to be sent.
  void QUEUE(const std::string& BYTES) { FOUT += BYTES; }
  bool PENDING() const { return !FOUT.empty(); }
  /// Sends what the socket takes now of the queued bytes; false on a failure.
  bool FLUSH();
  /// Takes what has arrived (dropped unless KEEP); false once the peer has
  /// closed or failed.
  bool RECEIVE(bool KEEP = true);
  /// The next complete line received.
  std::optional<std::string> NEXTLINE();
  /// What came after the last complete line.
  const std::string& PARTIAL() const { return FIN; }
  void SHUTDOWNWRITE();
  /// Closes with a reset rather than an orderly end.
  void RESET();
  void CLOSE();
  int FD() const { return FFD; }

 private:
  /// Waits at most MILLIS for bytes and takes them (see RECEIVE).
  void FILL(int MILLIS, bool KEEP = true);

  int FFD = -1;
  std::string FIN;
  std::string FOUT;
  bool FCLOSED = false;
};
