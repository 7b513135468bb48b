// The clients of a load run: logging N accounts in, then the command phase.

#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "options.h"
#include "reply.h"
#include "stats.h"

/// What one phase measured.
struct tPhaseResult {
  cLatencies ALL;
  /// The command phase per entry of the mix (empty for the login phase).
  std::vector<cLatencies> BYMIX;
  double SECONDS = 0;
};

/// N connections to 127.0.0.1 on the game port, each logging in as its own
/// generated account and then sending its commands. Every wait is bounded:
/// a reply that does not come within the reply time-out ends the run with a
/// cBenchError that says which connection waited for what.
class cLoadRun {
 public:
  cLoadRun(int CLIENTS, const tOptions& OPTIONS);
  ~cLoadRun();
  cLoadRun(const cLoadRun&) = delete;
  cLoadRun& operator=(const cLoadRun&) = delete;

  /// Opens the connections a few at a time and logs each in at once, creating
  /// its player with race 0. Each line sent is one round trip: the account name
  /// (to "mot de passe"), the password (to the end of the race menu), the race
  /// (to the end of the new player's record). Returns when every client is in
  /// play.
  tPhaseResult LOGIN();
  /// Every client sends its commands, round-robin through the mix from its own
  /// starting point, keeping PIPELINE of them in flight.
  tPhaseResult COMMANDS();

 private:
  enum sStage {
    stUNOPENED,
    stCONNECTING,
    stGREETING,
    stNAME,
    stPASSWORD,
    stRACEWAIT,
    stRACEMENU,
    stRECORD,
    stINPLAY,
    stCOMMANDS,
    stDONE
  };
  struct tInFlight {
    std::size_t MIXINDEX;
    long long SENTUS;
    cReplyReader READER;
  };
  struct tConnection {
    int FD = -1;
    int ACCOUNT = 0;
    sStage STAGE = stUNOPENED;
    std::string FIN;
    std::string FOUT;
    long long SENTUS = 0;
    long long DEADLINEUS = 0;
    int GREETING = 0;
    cCountedReader MENU;
    cRecordReader RECORD;
    std::deque<tInFlight> INFLIGHT;
    int SENTCOMMANDS = 0;
  };

  void OPEN(tConnection& C);
  void SEND(tConnection& C, const std::string& LINE);
  void FLUSH(tConnection& C);
  /// Reads what arrived; false when the peer closed or failed.
  bool RECEIVE(tConnection& C);
  void LOGINLINE(tConnection& C, const std::string& LINE, long long NOW);
  void COMMANDLINE(tConnection& C, const std::string& LINE, long long NOW, tPhaseResult& OUT);
  void SENDNEXTCOMMAND(tConnection& C, long long NOW);
  /// Waits for activity on the connections in STAGES until the earliest
  /// deadline, hands every complete line to FLINEHANDLER, and fails a
  /// connection whose deadline has passed.
  void WAIT(const std::vector<sStage>& STAGES);
  [[noreturn]] void FAIL(const tConnection& C, const std::string& WHY) const;
  static const char* STAGENAME(sStage S);

  std::vector<tConnection> FCONNECTIONS;
  const tOptions& FOPTIONS;
  long long FTIMEOUTUS;
  std::function<void(tConnection&, const std::string&, long long)> FLINEHANDLER;
  /// The login phase's round trips while it runs.
  cLatencies* FLOGIN = nullptr;
};
