// The load client: measures round trips, throughput and memory of the server
// under N clients. See docs/PERFORMANCE.md for the method.

#include <sys/utsname.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "load.h"
#include "options.h"
#include "process.h"

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

void ROW(int CLIENTS, const std::string& PHASE, const tSummary& S, double SECONDS, long RSSKIB) {
  char LINE[256];
  std::snprintf(LINE, sizeof LINE, "%7d  %-22s %8zu %9lld %9lld %9lld %9lld %10.1f %8.2f %10ld\n",
                CLIENTS, PHASE.c_str(), S.COUNT, static_cast<long long>(S.P50),
                static_cast<long long>(S.P90), static_cast<long long>(S.P99),
                static_cast<long long>(S.MAX), RATE(S.COUNT, SECONDS), SECONDS, RSSKIB);
  std::cout << LINE << std::flush;
}

// One client count against a fresh server in a fresh game copy.
void MEASURE(int CLIENTS, const tOptions& O) {
  cGameCopy GAME(O.GAMEDIR, CLIENTS);
  cServerProcess SERVER(O.SERVERCMD, GAME.PATH());
  SERVER.START();
  try {
    cLoadRun RUN(CLIENTS, O);
    const tPhaseResult LOGIN = RUN.LOGIN();
    const long LOGINRSS = SERVER.PEAKRSSKIB();
    const tPhaseResult COMMANDS = RUN.COMMANDS();
    const long COMMANDSRSS = SERVER.PEAKRSSKIB();
    ROW(CLIENTS, "login", LOGIN.ALL.SUMMARY(), LOGIN.SECONDS, LOGINRSS);
    ROW(CLIENTS, "commands", COMMANDS.ALL.SUMMARY(), COMMANDS.SECONDS, COMMANDSRSS);
    if (O.BYCOMMAND) {
      for (std::size_t I = 0; I < O.MIX.size(); ++I) {
        ROW(CLIENTS, "  " + O.MIX[I].COMMAND, COMMANDS.BYMIX[I].SUMMARY(), COMMANDS.SECONDS,
            COMMANDSRSS);
      }
    }
  } catch (const cBenchError& E) {
    throw cBenchError(std::string(E.what()) + "\nthe server's console ends with:\n" +
                      SERVER.CONSOLETAIL(15));
  }
  const int CODE = SERVER.STOP();
  if (CODE != 0) {
    throw cBenchError("the server did not stop cleanly on SIGTERM (exit code " +
                      std::to_string(CODE) + "); its console ends with:\n" +
                      SERVER.CONSOLETAIL(15));
  }
}

}  // namespace

int main(int ARGC, char** ARGV) {
  const std::string PROGRAM = ARGC > 0 ? ARGV[0] : "royaumes-bench";
  tOptions DEFAULTS;
  DEFAULTS.SERVERCMD = {ROYAUMES_BENCH_SERVER};
  DEFAULTS.GAMEDIR = ROYAUMES_BENCH_GAME;
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

  std::vector<std::string> MIX;
  for (const tMixEntry& E : OPTIONS->MIX) {
    MIX.push_back(E.COMMAND + "=" + std::to_string(E.ENDBLOCKS));
  }
  std::cout << "server:   " << JOIN(OPTIONS->SERVERCMD, " ") << "\n"
            << "game:     " << OPTIONS->GAMEDIR << "\n"
            << "mix:      " << JOIN(MIX, "; ") << "\n"
            << "load:     " << OPTIONS->COMMANDS << " commands per client, pipeline "
            << OPTIONS->PIPELINE << "\n"
            << "machine:  " << MACHINE() << "\n"
            << "times in microseconds; cmd/s = commands / seconds of the phase; peak RSS of "
               "the server in KiB at the end of the phase\n\n"
            << "clients  phase                  commands       p50       p90       p99       max"
               "      cmd/s  seconds   peak RSS\n"
            << std::flush;
  try {
    for (const int N : OPTIONS->CLIENTS) {
      MEASURE(N, *OPTIONS);
    }
  } catch (const cBenchError& E) {
    std::cerr << PROGRAM << ": " << E.what() << "\n";
    return 1;
  }
  return 0;
}
