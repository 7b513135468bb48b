// The clients of a load run: logging N accounts in, then the command phase.

#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "line.h"
#include "options.h"
#include "stats.h"

/// What one phase measured.
struct tPhaseResult {
  cLatencies ALL;
  /// The command phase per entry of the mix (empty for the login phase).
  std::vector<cLatencies> BYMIX;
  /// When each command of the command phase was sent and answered.
  std::vector<tRoundTrip> TRIPS;
  double SECONDS = 0;
};

/// A command sent and not yet answered: which of the mix, when, and the
/// reader of its reply.
struct tInFlight {
  std::size_t MIXINDEX;
  long long SENTUS;
  cReplyReader READER;
};

/// Gives LINE to the oldest command of INFLIGHT (there must be one); when that
/// completes its reply, records the round trip ending at ATUS in PHASE, drops
/// the command and returns true.
bool REPLYLINE(std::deque<tInFlight>& INFLIGHT, tPhaseResult& PHASE, const std::string& LINE,
               long long ATUS);

/// N connections to 127.0.0.1 on PORT, each logging in as its own generated
/// account and then sending its commands. Every wait is bounded: a reply that
/// does not come within the reply time-out ends the run with a cClientError
/// that says which connection waited for what.
class cLoadRun {
 public:
  cLoadRun(int CLIENTS, const tOptions& OPTIONS, uint16_t PORT);
  cLoadRun(const cLoadRun&) = delete;
  cLoadRun& operator=(const cLoadRun&) = delete;

  /// Opens the connections a few at a time, or all at once with ATONCE, and
  /// logs each in as soon as it is greeted, creating its player with race 0.
  /// Each line sent is one round trip: the account name (to "mot de passe"),
  /// the password (to the end of the race menu), the race (to the end of the
  /// new player's record). Returns when every client is in play.
  tPhaseResult LOGIN(bool ATONCE = false);
  /// Opens every connection and returns once all are established, for a peer
  /// that neither greets nor asks for a login.
  void CONNECT();
  /// The first PLAYERS clients (every one with 0) send their commands,
  /// round-robin through the mix from their own starting point, keeping
  /// PIPELINE of them in flight; the others stay silent in play.
  tPhaseResult COMMANDS(std::size_t PLAYERS = 0);
  /// The same without a count: every client keeps sending until ENDBUSY.
  void STARTBUSY();
  /// Waits once for replies, at most a poll slice, sending the next commands.
  void STEPBUSY();
  /// Sends no more and waits for the replies still due.
  tPhaseResult ENDBUSY();

 private:
  enum sStage { stUNOPENED, stCONNECTING, stLOGIN, stINPLAY, stCOMMANDS, stDONE };
  struct tConnection {
    cLineConnection LINK;
    int FD = -1;
    int ACCOUNT = 0;
    sStage STAGE = stUNOPENED;
    /// When the last line of the login was sent (0: none yet).
    long long SENTUS = 0;
    long long DEADLINEUS = 0;
    std::optional<cLogin> DIALOGUE;
    std::deque<tInFlight> INFLIGHT;
    int SENTCOMMANDS = 0;
  };

  void OPEN(tConnection& C);
  void FLUSH(tConnection& C);
  void LOGINLINE(tConnection& C, const std::string& LINE, long long NOW);
  void COMMANDLINE(tConnection& C, const std::string& LINE, long long NOW);
  void SENDNEXTCOMMAND(tConnection& C, long long NOW);
  void BEGINCOMMANDS(bool ENDLESS, std::size_t PLAYERS = 0);
  tPhaseResult FINISHCOMMANDS();
  /// Waits for activity on the connections in STAGES until the earliest
  /// deadline, hands every complete line to FLINEHANDLER, and fails a
  /// connection whose deadline has passed.
  void WAIT(const std::vector<sStage>& STAGES);
  [[noreturn]] void FAIL(const tConnection& C, const std::string& WHY) const;
  static const char* STAGENAME(const tConnection& C);

  std::vector<tConnection> FCONNECTIONS;
  const tOptions& FOPTIONS;
  uint16_t FPORT;
  long long FTIMEOUTUS;
  /// Where a connection goes once established: its greeting, or straight to
  /// play for a peer without a login.
  sStage FCONNECTED = stLOGIN;
  /// The command phase under way, and whether its clients send without count.
  tPhaseResult FPHASE;
  long long FPHASESTARTUS = 0;
  bool FENDLESS = false;
  std::function<void(tConnection&, const std::string&, long long)> FLINEHANDLER;
  /// The login phase's round trips while it runs.
  cLatencies* FLOGIN = nullptr;
};
