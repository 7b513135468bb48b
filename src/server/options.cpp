#include "server/options.h"

#include <charconv>
#include <limits>

#ifndef ROYAUMES_VERSION
#define ROYAUMES_VERSION "unknown"
#endif

namespace {

// A whole decimal number within [LOW, HIGH], nothing else around it.
std::optional<uint64_t> PARSEUNSIGNED(const std::string& TEXT, uint64_t LOW, uint64_t HIGH) {
  uint64_t VALUE = 0;
  const char* END = TEXT.data() + TEXT.size();
  const auto [PTR, EC] = std::from_chars(TEXT.data(), END, VALUE);
  if (TEXT.empty() || EC != std::errc() || PTR != END || VALUE < LOW || VALUE > HIGH) {
    return std::nullopt;
  }
  return VALUE;
}

}  // namespace

std::optional<tServerOptions> PARSESERVEROPTIONS(const std::vector<std::string>& ARGS,
                                                 std::string& ERROR) {
  tServerOptions O;
  for (std::size_t I = 0; I < ARGS.size(); ++I) {
    std::string NAME = ARGS[I];
    if (NAME == "--help" || NAME == "-h") {
      O.HELP = true;
      continue;
    }
    if (NAME == "--version") {
      O.VERSION = true;
      continue;
    }
    std::string VALUE;
    bool JOINED = false;
    if (const auto EQ = NAME.find('='); NAME.starts_with("--") && EQ != std::string::npos) {
      VALUE = NAME.substr(EQ + 1);
      NAME = NAME.substr(0, EQ);
      JOINED = true;
    }
    if (NAME != "--dir" && NAME != "--port" && NAME != "--idle-busy" && NAME != "--idle-quiet" &&
        NAME != "--seed" && NAME != "--max-clients") {
      ERROR = "unknown option " + ARGS[I] + " (--help lists them)";
      return std::nullopt;
    }
    if (!JOINED) {
      if (I + 1 >= ARGS.size()) {
        ERROR = NAME + " needs a value";
        return std::nullopt;
      }
      VALUE = ARGS[++I];
    }
    if (NAME == "--dir") {
      if (VALUE.empty()) {
        ERROR = "--dir needs a directory";
        return std::nullopt;
      }
      O.DIR = VALUE;
    } else if (NAME == "--port") {
      const auto P = PARSEUNSIGNED(VALUE, 1, 65535);
      if (!P) {
        ERROR = "--port takes a port number from 1 to 65535, not '" + VALUE + "'";
        return std::nullopt;
      }
      O.PORT = static_cast<uint16_t>(*P);
    } else if (NAME == "--seed") {
      const auto S = PARSEUNSIGNED(VALUE, 0, std::numeric_limits<uint64_t>::max());
      if (!S) {
        ERROR = "--seed takes a whole number, not '" + VALUE + "'";
        return std::nullopt;
      }
      O.SEED = *S;
    } else if (NAME == "--max-clients") {
      const auto N = PARSEUNSIGNED(VALUE, 1, MAXCLIENTSLIMIT);
      if (!N) {
        ERROR = "--max-clients takes a number of clients from 1 to " +
                std::to_string(MAXCLIENTSLIMIT) + ", not '" + VALUE + "'";
        return std::nullopt;
      }
      O.MAXCLIENTS = static_cast<int32_t>(*N);
    } else {
      const auto S = PARSEUNSIGNED(VALUE, 1, MAXIDLESECONDS);
      if (!S) {
        ERROR = NAME + " takes seconds from 1 to " + std::to_string(MAXIDLESECONDS) + ", not '" +
                VALUE + "'";
        return std::nullopt;
      }
      (NAME == "--idle-busy" ? O.IDLEBUSYMS : O.IDLEQUIETMS) = static_cast<uint32_t>(*S * 1000);
    }
  }
  return O;
}

std::string SERVERUSAGE(const std::string& PROGRAM) {
  return "Usage: " + PROGRAM +
         " [options]\n"
         "Serves the game of a game directory (data/ and players/) over TCP until\n"
         "SIGINT, SIGTERM or SIGHUP, which save every player before the exit.\n"
         "SIGUSR1 asks for a save pass at once.\n"
         "\n"
         "  --dir DIR          the game directory (default: the current directory)\n"
         "  --port N           the TCP port to listen on (default 9090)\n"
         "  --idle-busy S      seconds of silence after which a client that has not\n"
         "                     reached play is dropped while others are active\n"
         "                     (default 5)\n"
         "  --idle-quiet S     the same when the network is quiet (default 20)\n"
         "  --max-clients N    most clients connected at once (default 512); the\n"
         "                     server raises its open-file limit to fit them, or\n"
         "                     serves fewer when the system's hard limit is lower\n"
         "  --seed N           seed the random generator with N instead of the clock,\n"
         "                     so that a game replays the same (tests, examples)\n"
         "  --help             this text\n"
         "  --version          the version\n"
         "\n"
         "A connection must reach play within a minute, or within three times the\n"
         "longer idle limit when that is more.\n";
}

std::string SERVERVERSION() {
  return ROYAUMES_VERSION;
}
