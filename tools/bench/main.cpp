// The load client: measures round trips, throughput and memory of the server
// under N clients. See docs/PERFORMANCE.md for the method.

#include <sys/resource.h>
#include <sys/utsname.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "burst.h"
#include "echo.h"
#include "gamecopy.h"
#include "load.h"
#include "options.h"
#include "process.h"
#include "serverlog.h"
#include "wsload.h"

namespace {

std::string MACHINE() {
  std::string MODEL = "unknown processor";
  std::ifstream IN("/proc/cpuinfo");
  for (std::string LINE; std::getline(IN, LINE);) {
    if (LINE.rfind("model name", 0) == 0 && LINE.find(':') != std::string::npos) {
      MODEL = LINE.substr(LINE.find(':') + 2);
      break;
    }
  }
  utsname U{};
  const std::string KERNEL = ::uname(&U) == 0 ? std::string(U.sysname) + " " + U.release : "";
  return MODEL + ", " + std::to_string(std::thread::hardware_concurrency()) + " CPUs, " + KERNEL;
}

std::string JOIN(const std::vector<std::string>& WORDS, const char* SEPARATOR) {
  std::string R;
  for (const std::string& W : WORDS) {
    R += (R.empty() ? "" : SEPARATOR) + W;
  }
  return R;
}

constexpr const char* HEADER =
    "clients  phase                  commands       p50       p90       p99       max      cmd/s"
    "  seconds   peak RSS   x echo\n";

// The clients play this long before the server is asked to save.
constexpr long long WARMUPUS = 500000;
// How long a server whose connections all closed may take to be seen ended.
constexpr int ENDWAITMS = 2000;

void ROW(int CLIENTS, const std::string& PHASE, const tSummary& S, double SECONDS, long RSSKIB,
         int64_t ECHOP50, const std::string& NOTE = "") {
  const std::string RSS = RSSKIB < 0 ? "-" : std::to_string(RSSKIB);
  char LINE[256];
  std::snprintf(LINE, sizeof LINE, "%7d  %-22s %8zu %9lld %9lld %9lld %9lld %10.1f %8.2f %10s %8s",
                CLIENTS, PHASE.c_str(), S.COUNT, static_cast<long long>(S.P50),
                static_cast<long long>(S.P90), static_cast<long long>(S.P99),
                static_cast<long long>(S.MAX), RATE(S.COUNT, SECONDS), SECONDS, RSS.c_str(),
                TIMESFLOOR(S.P50, ECHOP50).c_str());
  std::cout << LINE << (NOTE.empty() ? "" : "  " + NOTE) << "\n" << std::flush;
}

// A phase that has no figures to give, only what happened.
void NOTEROW(int CLIENTS, const std::string& PHASE, const std::string& NOTE) {
  char LINE[64];
  std::snprintf(LINE, sizeof LINE, "%7d  %-22s ", CLIENTS, PHASE.c_str());
  std::cout << LINE << NOTE << "\n" << std::flush;
}

// The command phase per command of the mix, when asked for.
void BYCOMMANDROWS(int CLIENTS, const tOptions& O, const tPhaseResult& COMMANDS, long RSSKIB,
                   int64_t ECHOP50) {
  if (O.BYCOMMAND) {
    for (std::size_t I = 0; I < O.MIX.size(); ++I) {
      ROW(CLIENTS, "  " + O.MIX[I].COMMAND, COMMANDS.BYMIX[I].SUMMARY(), COMMANDS.SECONDS, RSSKIB,
          ECHOP50);
    }
  }
}

std::string HOWENDED(const cServerProcess& SERVER, int CODE) {
  return SERVER.ENDSIGNAL() != 0 ? "on signal " + std::to_string(SERVER.ENDSIGNAL())
                                 : "with exit code " + std::to_string(CODE);
}

// Runs MEASUREMENT against SERVER, started. A failure carries the end of the
// server's console. Unless the measurement says that the server has ended as
// it should (false), the server must then stop cleanly on SIGTERM.
void MEASURESTARTED(cServerProcess& SERVER,
                    const std::function<bool(cServerProcess&)>& MEASUREMENT) {
  bool RUNNING = true;
  try {
    RUNNING = MEASUREMENT(SERVER);
  } catch (const cClientError& E) {
    throw cClientError(std::string(E.what()) + "\nthe server's console ends with:\n" +
                       SERVER.CONSOLETAIL(15));
  }
  if (!RUNNING) {
    return;
  }
  const int CODE = SERVER.STOP();
  if (CODE != 0) {
    throw cClientError("the server did not stop cleanly on SIGTERM (exit code " +
                       std::to_string(CODE) + "); its console ends with:\n" +
                       SERVER.CONSOLETAIL(15));
  }
}

// MEASURESTARTED against a fresh server in a fresh game copy of ACCOUNTS
// accounts.
void WITHSERVER(int ACCOUNTS, const tOptions& O,
                const std::function<bool(cServerProcess&)>& MEASUREMENT) {
  cGameCopy GAME(O.GAMEDIR, ACCOUNTS);
  cServerProcess SERVER(O.SERVERCMD, GAME.PATH(), GAMEPORT);
  SERVER.START();
  MEASURESTARTED(SERVER, MEASUREMENT);
}

// Whether FIGURE is within TARGET, in words for the table.
std::string AGAINST(long long FIGURE, long long TARGET) {
  return FIGURE <= TARGET ? "met" : "NOT MET";
}

// The floor: the same client, one connection, against a line echo of its own.
// Returns the echo's p50.
int64_t MEASUREECHO(const tOptions& O) {
  cEchoServer ECHO;
  tOptions E = O;
  for (tMixEntry& M : E.MIX) {
    M.ENDBLOCKS = 0;
  }
  cLoadRun RUN(1, E, ECHO.PORT());
  RUN.CONNECT();
  const tPhaseResult R = RUN.COMMANDS();
  const tSummary S = R.ALL.SUMMARY();
  ROW(1, "echo (loopback)", S, R.SECONDS, -1, S.P50);
  return S.P50;
}

// One client count against a fresh server in a fresh game copy; the summary of
// its command phase.
tSummary MEASURE(int CLIENTS, const tOptions& O, int64_t ECHOP50) {
  tSummary R;
  WITHSERVER(CLIENTS, O, [&](cServerProcess& SERVER) {
    cLoadRun RUN(CLIENTS, O, GAMEPORT);
    const tPhaseResult LOGIN = RUN.LOGIN();
    const long LOGINRSS = SERVER.MEMORYKIB("VmHWM");
    const tPhaseResult COMMANDS = RUN.COMMANDS();
    const long COMMANDSRSS = SERVER.MEMORYKIB("VmHWM");
    ROW(CLIENTS, "login", LOGIN.ALL.SUMMARY(), LOGIN.SECONDS, LOGINRSS, ECHOP50);
    R = COMMANDS.ALL.SUMMARY();
    // One client's round trip is the server's own cost over the echo's.
    ROW(CLIENTS, "commands", R, COMMANDS.SECONDS, COMMANDSRSS, ECHOP50,
        CLIENTS == 1 ? "p50 target 1.1 x echo: " + AGAINST(R.P50 * 10, ECHOP50 * 11) : "");
    BYCOMMANDROWS(CLIENTS, O, COMMANDS, COMMANDSRSS, ECHOP50);
    return true;
  });
  return R;
}

// The gateway started next to SERVER, on a port of its own, reading the rules
// of the server's game copy; its console in the copy's gateway/console.log.
// MEASUREMENT gets the gateway and its port; the gateway must then stop
// cleanly on SIGTERM.
void WITHGATEWAY(int ACCOUNTS, const tOptions& O,
                 const std::function<void(cServerProcess&, uint16_t)>& MEASUREMENT) {
  WITHSERVER(ACCOUNTS, O, [&](cServerProcess& SERVER) {
    const std::filesystem::path DIR = SERVER.DIR() / "gateway";
    std::filesystem::create_directories(DIR / "www");
    // No page is fetched: without the page's files, an empty folder does. The
    // gateway runs in DIR: a relative path is made whole here.
    const std::string WWW = std::filesystem::is_directory(O.WWWDIR)
                                ? std::filesystem::absolute(O.WWWDIR).string()
                                : (DIR / "www").string();
    const uint16_t PORT = FREEPORT();
    std::vector<std::string> COMMAND = O.GATEWAYCMD;
    for (const std::string& ARG :
         {std::string("--listen"), "127.0.0.1:" + std::to_string(PORT), std::string("--game"),
          "127.0.0.1:" + std::to_string(GAMEPORT), std::string("--www"), WWW, std::string("--dir"),
          SERVER.DIR().string()}) {
      COMMAND.push_back(ARG);
    }
    cServerProcess GATEWAY(COMMAND, DIR, PORT);
    GATEWAY.START();
    try {
      MEASUREMENT(GATEWAY, PORT);
    } catch (const cClientError& E) {
      throw cClientError(std::string(E.what()) + "\nthe gateway's console ends with:\n" +
                         GATEWAY.CONSOLETAIL(15));
    }
    const int CODE = GATEWAY.STOP();
    if (CODE != 0) {
      throw cClientError("the gateway did not stop cleanly on SIGTERM (" + HOWENDED(GATEWAY, CODE) +
                         "); its console ends with:\n" + GATEWAY.CONSOLETAIL(15));
    }
    return true;
  });
}

// One client count through the gateway. With one client, what the gateway
// adds to the round trip of DIRECT, the direct command phase of one client.
void MEASUREGATEWAY(int CLIENTS, const tOptions& O, int64_t ECHOP50,
                    const std::optional<tSummary>& DIRECT) {
  WITHGATEWAY(CLIENTS, O, [&](cServerProcess& GATEWAY, uint16_t PORT) {
    cWsLoadRun RUN(CLIENTS, O, PORT);
    const tPhaseResult LOGIN = RUN.LOGIN();
    const long LOGINRSS = GATEWAY.MEMORYKIB("VmHWM");
    const tPhaseResult COMMANDS = RUN.COMMANDS();
    const long COMMANDSRSS = GATEWAY.MEMORYKIB("VmHWM");
    const tSummary S = COMMANDS.ALL.SUMMARY();
    std::string NOTE;
    if (CLIENTS == 1 && DIRECT) {
      const long long ADDED50 = S.P50 - DIRECT->P50;
      const long long ADDED99 = S.P99 - DIRECT->P99;
      NOTE = "adds " + std::to_string(ADDED50) + " us at p50 (target 50: " + AGAINST(ADDED50, 50) +
             "), " + std::to_string(ADDED99) + " us at p99 (target 200: " + AGAINST(ADDED99, 200) +
             ")";
    } else if (CLIENTS == 1) {
      NOTE = "no direct row of 1 client to compare with";
    }
    ROW(CLIENTS, "ws login", LOGIN.ALL.SUMMARY(), LOGIN.SECONDS, LOGINRSS, ECHOP50);
    ROW(CLIENTS, "ws commands", S, COMMANDS.SECONDS, COMMANDSRSS, ECHOP50, NOTE);
    BYCOMMANDROWS(CLIENTS, O, COMMANDS, COMMANDSRSS, ECHOP50);
  });
}

// Players through the gateway with the most sockets open.
constexpr std::size_t SOCKETPLAYERS = 100;

// Every socket opened and logged in at once through the gateway; its resident
// memory per socket once they are all in play and silent, then the round
// trips of some of them playing while the others stay open.
void MEASUREGATEWAYSOCKETS(const tOptions& O, int64_t ECHOP50) {
  const int N = O.GATEWAYSOCKETS;
  WITHGATEWAY(N, O, [&](cServerProcess& GATEWAY, uint16_t PORT) {
    const long BEFORE = GATEWAY.MEMORYKIB("VmRSS");
    cWsLoadRun RUN(N, O, PORT);
    const tPhaseResult LOGIN = RUN.LOGIN(true);
    const long AFTER = GATEWAY.MEMORYKIB("VmRSS");
    const long PERSOCKET = (AFTER - BEFORE) / N;
    ROW(N, "ws login at once", LOGIN.ALL.SUMMARY(), LOGIN.SECONDS, GATEWAY.MEMORYKIB("VmHWM"),
        ECHOP50,
        "gateway: " + std::to_string(AFTER - BEFORE) +
            " KiB more resident with the sockets open, " + std::to_string(PERSOCKET) +
            " KiB each (target 64: " + AGAINST(PERSOCKET, 64) + ")");
    const std::size_t PLAYERS = std::min(SOCKETPLAYERS, static_cast<std::size_t>(N));
    const tPhaseResult COMMANDS = RUN.COMMANDS(PLAYERS);
    const tSummary S = COMMANDS.ALL.SUMMARY();
    ROW(static_cast<int>(PLAYERS), "ws commands, " + std::to_string(N) + " open", S,
        COMMANDS.SECONDS, GATEWAY.MEMORYKIB("VmHWM"), ECHOP50,
        "p99 target 5000: " + AGAINST(S.P99, 5000));
  });
}

// With every client of RUN playing, SIGUSR1 asks the server to save their new
// players; the row gives the round trips under way from the signal to the
// server's "Save pass:" line, and the server's own figures. False when the
// signal ended the server: it has no such save.
bool SAVEPAUSE(cLoadRun& RUN, cServerProcess& SERVER, const tOptions& O, int64_t ECHOP50) {
  const int N = O.ATONCE;
  std::optional<tSavePass> PASS;
  long long SIGNALUS = 0;
  long long LINEUS = 0;
  tPhaseResult BUSY;
  try {
    RUN.STARTBUSY();
    for (const long long UNTIL = NOWUS() + WARMUPUS; NOWUS() < UNTIL;) {
      RUN.STEPBUSY();
    }
    cConsoleFollower CONSOLE(SERVER.CONSOLEPATH());
    SIGNALUS = NOWUS();
    if (!SERVER.SIGNAL(SIGUSR1)) {
      throw cClientError("the server had ended before it was asked to save");
    }
    const long long GIVEUP = SIGNALUS + O.SAVEWAITS * 1000000LL;
    while (!PASS && NOWUS() < GIVEUP) {
      RUN.STEPBUSY();
      for (const std::string& LINE : CONSOLE.NEWLINES()) {
        if (!PASS) {
          PASS = PARSESAVEPASS(LINE);
          LINEUS = NOWUS();
        }
      }
    }
    BUSY = RUN.ENDBUSY();
  } catch (const cClientError& E) {
    // A server that the signal ends closes every connection at once.
    if (INTERRUPTED() || !SERVER.WAITEXIT(ENDWAITMS)) {
      throw;
    }
    const int CODE = SERVER.STOP();
    if (SERVER.ENDSIGNAL() == SIGUSR1) {
      NOTEROW(N, "save pass", "the server does not support SIGUSR1 saves: the signal ended it");
      return false;
    }
    throw cClientError("the server ended " + HOWENDED(SERVER, CODE) +
                       " while asked to save: " + E.what());
  }
  if (!PASS) {
    NOTEROW(N, "save pass",
            "no \"Save pass:\" line on the server's console within " + std::to_string(O.SAVEWAITS) +
                " s of SIGUSR1");
    return true;
  }
  ROW(N, "save pass", DURING(BUSY.TRIPS, SIGNALUS, LINEUS).SUMMARY(),
      static_cast<double>(LINEUS - SIGNALUS) / 1e6, SERVER.MEMORYKIB("VmHWM"), ECHOP50,
      "server: " + std::to_string(PASS->PLAYERS) + " players written, longest pause " +
          std::to_string(PASS->PAUSEUS) + " us");
  return true;
}

// Every client opens its connection at the same moment and logs in; then the
// save of their new players while they play.
void MEASUREATONCE(const tOptions& O, int64_t ECHOP50) {
  WITHSERVER(O.ATONCE, O, [&](cServerProcess& SERVER) {
    cLoadRun RUN(O.ATONCE, O, GAMEPORT);
    const tPhaseResult LOGIN = RUN.LOGIN(true);
    ROW(O.ATONCE, "login at once", LOGIN.ALL.SUMMARY(), LOGIN.SECONDS, SERVER.MEMORYKIB("VmHWM"),
        ECHOP50);
    return SAVEPAUSE(RUN, SERVER, O, ECHOP50);
  });
}

// The greeting of one client after a burst of connections closed at once.
void MEASUREBURST(const tOptions& O, int64_t ECHOP50) {
  WITHSERVER(1, O, [&](cServerProcess& SERVER) {
    const tBurst B = CONNECTANDCLOSE(O.BURST, GAMEPORT);
    const auto WAITED = WAITFORWELCOME(GAMEPORT, O.BURSTWAITS * 1000);
    if (WAITED) {
      cLatencies L;
      L.ADD(*WAITED);
      ROW(1, "welcome after burst", L.SUMMARY(), static_cast<double>(*WAITED) / 1e6,
          SERVER.MEMORYKIB("VmHWM"), ECHOP50, BURSTTEXT(B));
    } else {
      NOTEROW(1, "welcome after burst",
              "timed out after " + std::to_string(O.BURSTWAITS) + " s, " + BURSTTEXT(B));
    }
    return true;
  });
}

// The longest wait for a server to listen on a game of many players: past it
// the row says so rather than waiting on.
constexpr int STARTWAITMS = 120000;
// Logins timed on each game of players on file, of players spread over it.
constexpr int LOGINS = 21;
// Round trips of each command timed with and without the works.
constexpr int WORKROUNDS = 50;
// Within noise: a login with many players at most this many tenths of the
// login with the fewest.
constexpr int LOGINNOISETENTHS = 12;

// COMMAND's round trip on C, whose reply must come whole within the time-out.
int64_t ROUNDTRIP(cLineConnection& C, const std::string& COMMAND, const tOptions& O) {
  const long long T0 = NOWUS();
  const int BLOCKS = ENDBLOCKSOF(COMMAND);
  if (!C.SEND(COMMAND + "\r\n")) {
    throw cClientError("cannot send " + COMMAND);
  }
  const auto LINES = C.READREPLY(BLOCKS, O.REPLYTIMEOUTMS);
  if (LINES.empty() || (BLOCKS > 0 && LINES.back() != "END RETURN")) {
    throw cClientError("no whole reply to " + COMMAND + " within " +
                       std::to_string(O.REPLYTIMEOUTMS) + " ms");
  }
  return NOWUS() - T0;
}

// Account ACCOUNT's player in play on C; the time from the connection's start
// to the end of the dialogue.
int64_t ENTER(cLineConnection& C, int ACCOUNT, const tOptions& O) {
  const long long T0 = NOWUS();
  cLogin L(ACCOUNTNAME(ACCOUNT), ACCOUNTPASSWORD(ACCOUNT), cLogin::ANY);
  if (!C.OPEN(GAMEPORT, O.REPLYTIMEOUTMS) || !C.LOGIN(L, O.REPLYTIMEOUTMS)) {
    throw cClientError("account " + ACCOUNTNAME(ACCOUNT) + " did not reach play (" + L.STEP() +
                       "): " + L.ERROR());
  }
  return NOWUS() - T0;
}

// The first "Save pass:" line that FOLLOWER sees within WAITS seconds.
std::optional<tSavePass> NEXTSAVEPASS(cConsoleFollower& FOLLOWER, int WAITS) {
  for (const long long END = NOWUS() + WAITS * 1000000LL; NOWUS() < END && !INTERRUPTED();
       std::this_thread::sleep_for(std::chrono::microseconds(200))) {
    for (const std::string& LINE : FOLLOWER.NEWLINES()) {
      if (const auto PASS = PARSESAVEPASS(LINE)) {
        return PASS;
      }
    }
  }
  return std::nullopt;
}

// A game directory of players made of one new player's record.
class cPlayersGame {
 public:
  /// Account 1 of a fresh copy of the game logs in once and the server, stopped,
  /// saves its player: the record, and the world it lives in, that every
  /// generated game copies. Also the server's resident memory without players.
  explicit cPlayersGame(const tOptions& O) : FOPTIONS(O), FBASE(O.GAMEDIR, 1) {
    cServerProcess SERVER(O.SERVERCMD, FBASE.PATH(), GAMEPORT);
    SERVER.START();
    FBASEKIB = SERVER.MEMORYKIB("VmRSS");
    MEASURESTARTED(SERVER, [&](cServerProcess&) {
      cLineConnection C;
      ENTER(C, 1, O);
      return true;
    });
    for (const auto& ENTRY : std::filesystem::directory_iterator(FBASE.PATH() / "players")) {
      if (ENTRY.path().extension() == ".plr") {
        std::ifstream IN(ENTRY.path(), std::ios::binary);
        FRECORD.assign(std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>());
      }
    }
    if (FRECORD.empty()) {
      throw cClientError("the server saved no player for the first login");
    }
  }
  long BASEKIB() const { return FBASEKIB; }
  const std::string& RECORD() const { return FRECORD; }

  /// MEASUREMENT (as MEASURESTARTED's) against a fresh server on a copy of the
  /// game holding COUNT players in SHAPE, given its start-up time in µs; when
  /// it does not listen within STARTWAITMS, a row of PHASE says so instead.
  void WITHPLAYERS(int COUNT, const tPlayerShape& SHAPE, const std::string& PHASE,
                   const std::function<bool(cServerProcess&, long long)>& MEASUREMENT) const {
    cGameCopy GAME(FBASE.PATH(), 0);
    WRITEPLAYERS(GAME.PATH(), FRECORD, COUNT, SHAPE);
    cServerProcess SERVER(FOPTIONS.SERVERCMD, GAME.PATH(), GAMEPORT);
    const long long T0 = NOWUS();
    try {
      SERVER.START(30000, STARTWAITMS);
    } catch (const cClientError& E) {
      if (INTERRUPTED()) {
        throw;
      }
      NOTEROW(COUNT, PHASE, E.what());
      return;
    }
    const long long STARTUS = NOWUS() - T0;
    MEASURESTARTED(SERVER, [&](cServerProcess& S) { return MEASUREMENT(S, STARTUS); });
  }

 private:
  const tOptions& FOPTIONS;
  cGameCopy FBASE;
  long FBASEKIB = -1;
  std::string FRECORD;
};

// Start-up, memory and logins with each count of players on file; the login
// of the first count is the reference of the others.
void MEASUREPLAYERS(const cPlayersGame& GAME, const tOptions& O, int64_t ECHOP50) {
  std::optional<int64_t> REFERENCE;
  for (const int N : O.PLAYERS) {
    GAME.WITHPLAYERS(N, {}, "players on file", [&](cServerProcess& SERVER, long long STARTUS) {
      const long RSS = SERVER.MEMORYKIB("VmRSS");
      cLatencies L;
      const long long T0 = NOWUS();
      for (int K = 0; K < LOGINS; ++K) {
        cLineConnection C;
        L.ADD(ENTER(C, 1 + static_cast<int>(static_cast<long long>(K) * N / LOGINS), O));
      }
      const double SECONDS = static_cast<double>(NOWUS() - T0) / 1e6;
      const tSummary S = L.SUMMARY();
      const long PERPLAYER = (RSS - GAME.BASEKIB()) / N;
      char START[32];
      char TARGET[32];
      std::snprintf(START, sizeof START, "%.3f", static_cast<double>(STARTUS) / 1e6);
      std::snprintf(TARGET, sizeof TARGET, "%.1f", static_cast<double>(N) * 50e-6);
      // Below 10,000 players the fixed cost of the rules and the world hides
      // the players' share: the target, 50 us a player, starts there.
      std::string NOTE =
          std::string("start-up ") + START + " s" +
          (N >= 10000
               ? " (target " + std::string(TARGET) + " s: " + AGAINST(STARTUS, N * 50LL) + ")"
               : "") +
          ", " + std::to_string(PERPLAYER) +
          " KiB resident a player (target 5: " + AGAINST(PERPLAYER, 5) + "), login p50 ";
      if (REFERENCE) {
        NOTE += TIMESFLOOR(S.P50, *REFERENCE) + " x the first row's (target 1.2: " +
                AGAINST(S.P50 * 10, *REFERENCE * LOGINNOISETENTHS) + ")";
      } else {
        NOTE += "the reference of the next rows";
        REFERENCE = S.P50;
      }
      ROW(1, "login, " + std::to_string(N) + " on file", S, SECONDS, RSS, ECHOP50, NOTE);
      return true;
    });
  }
}

// The save pass of players all changed, which the server makes as it starts,
// then one asked with SIGUSR1 when none has changed: the server's longest
// pause, and for the second the time from the signal to its console line.
void MEASURESAVES(const cPlayersGame& GAME, const tOptions& O) {
  const int N = O.SAVEPLAYERS;
  tPlayerShape CHANGED;
  CHANGED.LEADINGZERO = true;
  GAME.WITHPLAYERS(N, CHANGED, "save pass", [&](cServerProcess& SERVER, long long) {
    cConsoleFollower ALL(SERVER.CONSOLEPATH(), true);
    const auto FIRST = NEXTSAVEPASS(ALL, O.SAVEWAITS);
    NOTEROW(
        N, "save pass, all changed",
        FIRST ? "server: " + std::to_string(FIRST->PLAYERS) + " players written, longest pause " +
                    std::to_string(FIRST->PAUSEUS) +
                    " us (target 1000: " + AGAINST(FIRST->PAUSEUS, 1000) + ")"
              : "no \"Save pass:\" line within " + std::to_string(O.SAVEWAITS) + " s of the start");
    cConsoleFollower NEXT(SERVER.CONSOLEPATH());
    const long long T0 = NOWUS();
    if (!SERVER.SIGNAL(SIGUSR1)) {
      throw cClientError("the server had ended before it was asked to save");
    }
    const auto PASS = NEXTSAVEPASS(NEXT, O.SAVEWAITS);
    const long long ALLUS = NOWUS() - T0;
    NOTEROW(N, "save pass, none changed",
            PASS
                ? "server: " + std::to_string(PASS->PLAYERS) + " players written, longest pause " +
                      std::to_string(PASS->PAUSEUS) + " us (target 1000: " +
                      AGAINST(PASS->PAUSEUS, 1000) + "), " + std::to_string(ALLUS) +
                      " us from the signal to its line (target 1000: " + AGAINST(ALLUS, 1000) + ")"
                : "no \"Save pass:\" line within " + std::to_string(O.SAVEWAITS) + " s of SIGUSR1");
    return true;
  });
}

// BUILD and TURN 1 of a player without works, then of one with O.WORKS
// constructions under way; the second against the first.
void MEASUREWORKS(const cPlayersGame& GAME, const tOptions& O, int64_t ECHOP50) {
  // Where the generated works stand: the square of the record's champion.
  const std::string BUILD = "BUILD BOURG " + RECORDVALUE(GAME.RECORD(), "position");
  std::optional<tSummary> NONE[2];
  for (const int WORKS : {0, O.WORKS}) {
    tPlayerShape SHAPE;
    SHAPE.WORKS = WORKS;
    SHAPE.AVAILTURNS = 1000000;
    GAME.WITHPLAYERS(1, SHAPE, "works", [&](cServerProcess& SERVER, long long) {
      cLineConnection C;
      ENTER(C, 1, O);
      cLatencies TIMES[2];
      const long long T0 = NOWUS();
      for (int R = 0; R < WORKROUNDS; ++R) {
        TIMES[0].ADD(ROUNDTRIP(C, BUILD, O));
        TIMES[1].ADD(ROUNDTRIP(C, "TURN 1", O));
      }
      const double SECONDS = static_cast<double>(NOWUS() - T0) / 1e6;
      for (const int K : {0, 1}) {
        const tSummary S = TIMES[K].SUMMARY();
        std::string NOTE;
        if (WORKS == 0) {
          NONE[K] = S;
        } else if (NONE[K]) {
          NOTE = "p50 " + TIMESFLOOR(S.P50, NONE[K]->P50) +
                 " x with none (target 2: " + AGAINST(S.P50, 2 * NONE[K]->P50) + ")";
        }
        ROW(1, std::string(K == 0 ? "BUILD" : "TURN 1") + ", " + std::to_string(WORKS) + " works",
            S, SECONDS, SERVER.MEMORYKIB("VmHWM"), ECHOP50, NOTE);
      }
      return true;
    });
  }
}

// O.CROWD clients connected and in play, half of them playing while the
// others stay silent; the server is given the slots for them.
void MEASURECROWD(const tOptions& O, int64_t ECHOP50) {
  tOptions WIDE = O;
  WIDE.SERVERCMD.push_back("--max-clients");
  WIDE.SERVERCMD.push_back(std::to_string(O.CROWD + 100));
  WITHSERVER(O.CROWD, WIDE, [&](cServerProcess& SERVER) {
    cLoadRun RUN(O.CROWD, O, GAMEPORT);
    const tPhaseResult LOGIN = RUN.LOGIN();
    ROW(O.CROWD, "login, crowd", LOGIN.ALL.SUMMARY(), LOGIN.SECONDS, SERVER.MEMORYKIB("VmHWM"),
        ECHOP50);
    const int PLAYING = O.CROWD / 2;
    const tPhaseResult COMMANDS = RUN.COMMANDS(static_cast<std::size_t>(std::max(PLAYING, 1)));
    const tSummary S = COMMANDS.ALL.SUMMARY();
    ROW(std::max(PLAYING, 1), "commands, " + std::to_string(O.CROWD) + " in", S, COMMANDS.SECONDS,
        SERVER.MEMORYKIB("VmHWM"), ECHOP50, "p99 target 5000: " + AGAINST(S.P99, 5000));
    return true;
  });
}

}  // namespace

int main(int ARGC, char** ARGV) {
  const std::string PROGRAM = ARGC > 0 ? ARGV[0] : "royaumes-bench";
  tOptions DEFAULTS;
  DEFAULTS.SERVERCMD = {ROYAUMES_BENCH_SERVER};
  DEFAULTS.GAMEDIR = ROYAUMES_BENCH_GAME;
  DEFAULTS.GATEWAYCMD = {ROYAUMES_BENCH_GATEWAY};
  DEFAULTS.WWWDIR = ROYAUMES_BENCH_WWW;
  std::string ERROR;
  const auto OPTIONS =
      PARSEOPTIONS(std::vector<std::string>(ARGV + 1, ARGV + ARGC), DEFAULTS, ERROR);
  if (!OPTIONS) {
    std::cerr << PROGRAM << ": " << ERROR << "\n" << USAGE(PROGRAM);
    return 2;
  }
  if (OPTIONS->HELP) {
    std::cout << USAGE(PROGRAM);
    return 0;
  }
  INSTALLINTERRUPTHANDLERS();
  // The crowd holds thousands of connections: every descriptor the system allows.
  if (rlimit L{}; getrlimit(RLIMIT_NOFILE, &L) == 0 && L.rlim_cur < L.rlim_max) {
    L.rlim_cur = L.rlim_max;
    setrlimit(RLIMIT_NOFILE, &L);
  }

  std::vector<std::string> MIX;
  for (const tMixEntry& E : OPTIONS->MIX) {
    MIX.push_back(E.COMMAND + "=" + std::to_string(E.ENDBLOCKS));
  }
  std::vector<std::string> AFTER;
  if (OPTIONS->ATONCE > 0) {
    AFTER.push_back(std::to_string(OPTIONS->ATONCE) +
                    " clients logging in at once, then a save on SIGUSR1");
  }
  if (OPTIONS->BURST > 0) {
    AFTER.push_back(std::to_string(OPTIONS->BURST) +
                    " connections closed at once, then one greeting");
  }
  std::vector<std::string> SCALE;
  if (!OPTIONS->PLAYERS.empty()) {
    std::vector<std::string> COUNTS;
    for (const int N : OPTIONS->PLAYERS) {
      COUNTS.push_back(std::to_string(N));
    }
    SCALE.push_back(JOIN(COUNTS, ", ") + " players on file");
  }
  if (OPTIONS->SAVEPLAYERS > 0) {
    SCALE.push_back("saves of " + std::to_string(OPTIONS->SAVEPLAYERS) + " players");
  }
  if (OPTIONS->WORKS > 0) {
    SCALE.push_back(std::to_string(OPTIONS->WORKS) + " works");
  }
  if (OPTIONS->CROWD > 0) {
    SCALE.push_back(std::to_string(OPTIONS->CROWD) + " clients connected, half playing");
  }
  std::vector<std::string> THROUGH;
  for (const int N : OPTIONS->GATEWAYCLIENTS) {
    THROUGH.push_back(std::to_string(N));
  }
  if (!THROUGH.empty()) {
    THROUGH = {JOIN(THROUGH, ", ") + " clients"};
  }
  if (OPTIONS->GATEWAYSOCKETS > 0) {
    THROUGH.push_back(std::to_string(OPTIONS->GATEWAYSOCKETS) + " sockets logging in at once");
  }
  std::cout << "server:   " << JOIN(OPTIONS->SERVERCMD, " ") << "\n"
            << "game:     " << OPTIONS->GAMEDIR << "\n"
            << "mix:      " << JOIN(MIX, "; ") << "\n"
            << "load:     " << OPTIONS->COMMANDS << " commands per client, pipeline "
            << OPTIONS->PIPELINE << "\n"
            << "machine:  " << MACHINE() << "\n"
            << "after:    " << (AFTER.empty() ? "nothing" : JOIN(AFTER, "; ")) << "\n"
            << "scale:    " << (SCALE.empty() ? "not measured" : JOIN(SCALE, "; ")) << "\n"
            << "gateway:  "
            << (THROUGH.empty() ? "not measured"
                                : JOIN(OPTIONS->GATEWAYCMD, " ") + " (" + JOIN(THROUGH, "; ") + ")")
            << "\n";
  std::cout << "times in microseconds; cmd/s = commands / seconds of the phase; peak RSS of "
               "the server in KiB at the end of the phase (of the gateway on the ws rows, the same "
               "clients "
               "as WebSockets through it); x echo = p50 / the echo's p50\n\n"
            << HEADER << std::flush;
  try {
    const int64_t ECHOP50 = MEASUREECHO(*OPTIONS);
    std::optional<tSummary> DIRECT;
    for (const int N : OPTIONS->CLIENTS) {
      const tSummary S = MEASURE(N, *OPTIONS, ECHOP50);
      if (N == 1) {
        DIRECT = S;
      }
    }
    for (const int N : OPTIONS->GATEWAYCLIENTS) {
      MEASUREGATEWAY(N, *OPTIONS, ECHOP50, DIRECT);
    }
    if (OPTIONS->GATEWAYSOCKETS > 0) {
      MEASUREGATEWAYSOCKETS(*OPTIONS, ECHOP50);
    }
    if (OPTIONS->ATONCE > 0) {
      MEASUREATONCE(*OPTIONS, ECHOP50);
    }
    if (OPTIONS->BURST > 0) {
      MEASUREBURST(*OPTIONS, ECHOP50);
    }
    if (!OPTIONS->PLAYERS.empty() || OPTIONS->SAVEPLAYERS > 0 || OPTIONS->WORKS > 0) {
      const cPlayersGame GAME(*OPTIONS);
      MEASUREPLAYERS(GAME, *OPTIONS, ECHOP50);
      if (OPTIONS->SAVEPLAYERS > 0) {
        MEASURESAVES(GAME, *OPTIONS);
      }
      if (OPTIONS->WORKS > 0) {
        MEASUREWORKS(GAME, *OPTIONS, ECHOP50);
      }
    }
    if (OPTIONS->CROWD > 0) {
      MEASURECROWD(*OPTIONS, ECHOP50);
    }
  } catch (const cClientError& E) {
    std::cerr << PROGRAM << ": " << E.what() << "\n";
    return 1;
  }
  return 0;
}
