// The clients of a load run through the web gateway: pages' WebSockets that
// log in and send the commands of the mix as lines, all waited on together.

#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "line.h"
#include "load.h"
#include "options.h"
#include "wsline.h"

/// The loopback address WebSocket client I connects from: four clients per
/// address, from 127.0.0.2 on, so that the gateway's limit of sockets per
/// browser address (8 by default) is never what a run measures.
std::string WSCLIENTADDRESS(std::size_t I);

/// N WebSockets to the gateway on 127.0.0.1 at PORT, client I logging in as
/// generated account I + 1. Every wait is bounded as in cLoadRun: a reply
/// missing for the reply time-out, a message the page would not expect or the
/// end of a socket ends the run with a cClientError naming the client.
class cWsLoadRun {
 public:
  cWsLoadRun(int CLIENTS, const tOptions& OPTIONS, uint16_t PORT);
  cWsLoadRun(const cWsLoadRun&) = delete;
  cWsLoadRun& operator=(const cWsLoadRun&) = delete;

  /// Each client opens its WebSocket and sends its account name as its first
  /// line, which opens its game connection, then answers the login dialogue
  /// line by line, creating its player with race 0: a few clients at a time,
  /// or with ATONCE every socket opened first and every name sent together.
  /// The round trips are those of cLoadRun::LOGIN, the first from the name.
  tPhaseResult LOGIN(bool ATONCE = false);
  /// The first PLAYERS clients (every one with 0) send their commands as in
  /// cLoadRun::COMMANDS; the others stay silent and must receive nothing.
  tPhaseResult COMMANDS(std::size_t PLAYERS = 0);

 private:
  struct tClient {
    std::unique_ptr<cWsConnection> LINK;
    int ACCOUNT = 0;
    std::optional<cLogin> DIALOGUE;
    /// The name went out as the first line: the dialogue's answer to "login"
    /// is not sent again.
    bool NAMESENT = false;
    bool INPLAY = false;
    /// When the last line was sent, and when its answer is due (0: nothing due).
    long long SENTUS = 0;
    long long DEADLINEUS = 0;
    std::deque<tInFlight> INFLIGHT;
    int SENTCOMMANDS = 0;
  };
  using tHandler = void (cWsLoadRun::*)(tClient&, const std::string&, long long);

  void OPEN(tClient& C);
  void SENDNAME(tClient& C);
  void SEND(tClient& C, const std::string& LINE);
  void LOGINLINE(tClient& C, const std::string& LINE, long long ATUS);
  void COMMANDLINE(tClient& C, const std::string& LINE, long long ATUS);
  void SENDNEXTCOMMAND(tClient& C);
  /// Waits for messages until the earliest deadline, at most a poll slice,
  /// hands every line to HANDLER, and fails a client whose deadline has passed.
  void WAIT(tHandler HANDLER);
  [[noreturn]] void FAIL(const tClient& C, const std::string& WHY) const;

  const tOptions& FOPTIONS;
  uint16_t FPORT;
  long long FTIMEOUTUS;
  /// Declared before the clients: it must outlive their sockets.
  cWsGroup FGROUP;
  std::vector<tClient> FCLIENTS;
  tPhaseResult FPHASE;
};
