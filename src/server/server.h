#pragma once

#include <SDL/SDL_net.h>

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "server/client.h"

enum sStateServer : uint8_t { RUNNING = 0, STOP = 1 };

/// The server: owns the listening socket and the polled socket set, runs the
/// game loop (one pass every 10 ms, a network poll every 5th pass) and serves
/// the clients of CLIENTS in it.
class cServer {
 public:
  static constexpr uint16_t PORT = 9090;
  /// Idle limit (ms) of clients outside play when the network is quiet.
  static constexpr uint32_t TIMEOUT_LOGIN = 20000;
  /// Idle limit (ms) of clients outside play when some socket is active.
  static constexpr uint32_t TIMEOUT_ACTIVE = 5000;
  /// Most clients at once; kept well below FD_SETSIZE, which select() cannot pass.
  static constexpr int32_t MAXCLIENTS = 512;
  /// Most bytes waiting to be sent to one client before it is dropped.
  static constexpr std::size_t MAXPENDINGOUTPUT = 256 * 1024;
  /// Most complete lines a client may have waiting (while it is held after
  /// wrong passwords): beyond, its socket is not read until it has fewer.
  static constexpr std::size_t MAXWAITINGLINES = 64;

  /// Opens the server (OPENSERVER); null when the port cannot be opened or its
  /// socket cannot be driven without blocking (the reason is on the console).
  static std::unique_ptr<cServer> CREATE();
  /// A server that is not listening yet; CREATE is the way to get a working one.
  cServer() = default;
  ~cServer();
  cServer(const cServer&) = delete;
  cServer& operator=(const cServer&) = delete;

  /// Runs passes until STATESERVER becomes STOP.
  void GAMELOOP();
  /// Asks the loop to end after its current pass (async-signal-safe).
  static void REQUESTSTOP() { FSTOPREQUESTED = 1; }
  /// 0, or 1 when the loop ended on a failure that ends the program.
  int EXITCODE() const { return FEXITCODE; }

  uint32_t PULSE = 0;
  sStateServer STATESERVER = RUNNING;

 private:
  bool OPENSERVER();
  void ACCEPTCLIENT();
  bool CREATESOCKETSET();
  int32_t CHECKSOCKETS(uint32_t TIMEOUT);
  bool INCOMINGCONNECTION() const;
  uint32_t IDLE(const cClientInfos& CLIENT) const;
  void CONTROLTIMEOUTSESSION();
  void CHECKCLIENTSDATA();
  void HANDLECOMM();
  /// Acts on the complete lines of C in arrival order, until one closes it.
  void HANDLELINES(cClientInfos& C);
  /// Sends what C's socket takes now; false when too much stays unsent.
  bool FLUSHCLIENT(cClientInfos& C);
  /// Acts on lines that were left waiting, for clients no longer held.
  void SERVEWAITINGLINES();
  void FLUSHALL();

  TCPsocket SOCK = nullptr;
  SDLNet_SocketSet SOCKSET = nullptr;
  int FEXITCODE = 0;
  static volatile std::sig_atomic_t FSTOPREQUESTED;
};

/// Saves the world's squares and every player; called at the first pass, every
/// 6000 passes and at the graceful stop.
void SAVEGAMESTATE();

extern std::unique_ptr<cServer> ZRKSERVER;
