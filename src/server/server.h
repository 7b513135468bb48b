#pragma once

#include <SDL/SDL_net.h>

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "server/client.h"
#include "server/options.h"

enum sStateServer : uint8_t { RUNNING = 0, STOP = 1 };

/// The server: owns the listening socket and the clients' event watch, and
/// runs the game loop in the one thread. The loop sleeps until a socket has
/// something or a timed duty falls due, acts on every line as soon as it
/// arrives, and counts a pass for every 10 ms of wall time: the players are
/// saved every 6000 passes (about a minute), and every 5th pass (50 ms) checks
/// the clients not yet in play against their time limits.
class cServer {
 public:
  /// The port, and the two idle limits below, unless options say otherwise.
  static constexpr uint16_t PORT = 9090;
  /// Length of a pass (ms).
  static constexpr uint32_t PASSMS = 10;
  /// Passes between two save passes, and between two checks of the clients
  /// not yet in play.
  static constexpr uint32_t PULSESAVE = 6000;
  static constexpr uint32_t PULSECHECK = 5;
  /// Idle limit (ms) of clients outside play when the network is quiet.
  static constexpr uint32_t TIMEOUT_LOGIN = 20000;
  /// Idle limit (ms) of clients outside play when some socket is active.
  static constexpr uint32_t TIMEOUT_ACTIVE = 5000;
  /// Time (ms) a client has from its connection to reach play, however it
  /// trickles its bytes; three times the quiet idle limit when that is longer,
  /// so that a longer limit is not cut short by it.
  static constexpr uint32_t LOGINDEADLINE = 60000;
  /// Descriptors kept beside the clients' sockets: the standard streams, the
  /// listening socket, the event watch, the wake pipe, a file being saved and
  /// its directory, and room for the libraries.
  static constexpr int32_t SPAREDESCRIPTORS = 64;
  /// Most bytes waiting to be sent to one client before its lines wait: no
  /// more of its lines are acted on until its socket has taken the excess, so
  /// a client holds at most this bound and one reply, however long.
  static constexpr std::size_t MAXPENDINGOUTPUT = 256 * 1024;
  /// Time (ms) a client's output may stay over the bound without its socket
  /// taking a byte: then the client, which no longer reads, is dropped.
  static constexpr uint32_t OUTPUTSTALL = 10000;
  /// Most complete lines a client may have waiting: beyond, its socket is not
  /// read until it has fewer.
  static constexpr std::size_t MAXWAITINGLINES = 64;
  /// Lines of one client acted on before the others' turn comes.
  static constexpr int32_t LINESPERTURN = 16;
  /// Time (µs) after which a step of a save pass stops looking at players so
  /// that play goes on (a step looks at one at least). The player looked at
  /// when it runs out, some tens of µs, keeps the step within a millisecond;
  /// the disk's flushes are the writer thread's.
  static constexpr int64_t SAVESTEPUS = 800;

  /// Opens the server on OPTIONS' port with its idle limits (OPENSERVER); null
  /// when the port cannot be opened or its socket cannot be driven without
  /// blocking (the reason is on the console).
  static std::unique_ptr<cServer> CREATE(const tServerOptions& OPTIONS = {});
  /// A server that is not listening yet; CREATE is the way to get a working one.
  cServer() = default;
  ~cServer();
  cServer(const cServer&) = delete;
  cServer& operator=(const cServer&) = delete;

  /// Runs until STATESERVER becomes STOP.
  void GAMELOOP();
  /// Asks the loop to end after its current turn (async-signal-safe).
  static void REQUESTSTOP();
  /// Asks for a save pass at once (async-signal-safe).
  static void REQUESTSAVE();
  /// 0, or 1 when the loop ended on a failure that ends the program.
  int EXITCODE() const { return FEXITCODE; }

  /// Passes counted since the loop started.
  uint32_t PULSE = 0;
  sStateServer STATESERVER = RUNNING;

 private:
  bool OPENSERVER();
  // Accepts every connection waiting in the listen queue.
  void ACCEPTCLIENTS(uint32_t NOW);
  // Accepts one; false when none waits (or none can be taken for now).
  bool ACCEPTCLIENT(uint32_t NOW);
  // Frees the slot of a client not yet in play, from the address that holds
  // the most of them; false when every client is in play.
  bool FREESLOT();
  uint32_t IDLE(const cClientInfos& CLIENT, uint32_t NOW) const;
  // Activity on the network: clients outside play silent for FIDLEBUSY
  // and clients that asked to quit go.
  void CHECKCLIENTSDATA(uint32_t NOW);
  // A quiet spell: clients outside play silent for FIDLEQUIET go.
  void CONTROLTIMEOUTSESSION(uint32_t NOW);
  // Clients that have not reached play FDEADLINE after connecting go.
  void CONTROLDEADLINE(uint32_t NOW);
  // An event of the socket of the client ID.
  void CLIENTEVENT(uint64_t ID, uint32_t EVENTS, uint32_t NOW);
  // Acts on up to LINESPERTURN complete lines of C in arrival order, while it
  // is not held and has room for its replies.
  void HANDLELINES(cClientInfos& C);
  // Takes turns over the clients with lines to act on.
  void SERVELINES(uint32_t NOW);
  // Sends what C's socket takes now and keeps count of an output over the
  // bound (the clock of a stalled reader starts then).
  void FLUSHCLIENT(cClientInfos& C, uint32_t NOW);
  // Clients whose output has stayed over the bound for OUTPUTSTALL without
  // their socket taking a byte go.
  void CONTROLSTALLS(uint32_t NOW);
  // Watches C's socket for reading while it may read, for writing while
  // output waits.
  void WATCH(cClientInfos& C);
  // Removes C (console line made of its number and ENDING).
  void DROP(cClientInfos& C, const char* ENDING);
  // Counts the passes up to NOW and carries out what falls due.
  void PASSES(uint32_t NOW);
  // Starts a save pass: the world, then the players a step per pass.
  void STARTSAVE(bool ASKED);
  void SAVESTEP();
  // Milliseconds the loop may sleep at NOW before something falls due.
  int NEXTWAIT(uint32_t NOW) const;
  // Watches the console's output while lines wait for it.
  void WATCHCONSOLE();

  uint16_t FPORT = PORT;
  uint32_t FIDLEBUSY = TIMEOUT_ACTIVE;
  uint32_t FIDLEQUIET = TIMEOUT_LOGIN;
  uint32_t FDEADLINE = LOGINDEADLINE;
  int32_t FMAXCLIENTS = 512;
  TCPsocket SOCK = nullptr;
  int FLISTENFD = -1;
  int FEPOLL = -1;
  int FEXITCODE = 0;
  // Time: the tick last looked at, the milliseconds and whole passes since the
  // loop started.
  uint32_t FLASTTICK = 0;
  uint64_t FELAPSED = 0;
  uint64_t FPASSES = 0;
  uint64_t FNEXTID = 1;
  // Clients not in play at the last count (the checks run while there are).
  int32_t FOUTSIDEPLAY = 0;
  // Whether a socket had activity since the last check of the quiet rule.
  bool FACTIVITY = false;
  // Whether the listen queue is watched (it is not, for a while, when the
  // process has no descriptor left).
  bool FLISTENING = true;
  uint32_t FLISTENAGAIN = 0;
  int FCONSOLEWATCHED = -1;
  // Clients that have lines to act on, in turn order; clients held with lines.
  std::vector<uint64_t> FREADY;
  std::vector<uint64_t> FHELD;
  // Clients whose output is over the bound.
  std::vector<uint64_t> FOVERFULL;
  // The save pass under way.
  bool FSAVING = false;
  bool FSAVEASKED = false;
  int32_t FSAVEWRITTEN = 0;
  int64_t FSAVELONGESTUS = 0;
  static volatile std::sig_atomic_t FSTOPREQUESTED;
  static volatile std::sig_atomic_t FSAVEREQUESTED;
  // The pipe through which a signal wakes the sleeping loop.
  static int FWAKEPIPE[2];
  static void WAKE();
};

/// Raises the soft open-file limit to what WANTED connections need, up to the
/// hard limit; returns how many clients fit (WANTED, or fewer with the reason
/// on the console, at least 1).
int32_t FITDESCRIPTORS(int32_t WANTED);

/// Saves the world's changed squares and every changed player at once; called
/// at the graceful stop.
void SAVEGAMESTATE();

extern std::unique_ptr<cServer> ZRKSERVER;
