#include "options.h"

#include <charconv>
#include <sstream>

#include "reply.h"

namespace {

// A whole decimal number within [LOW, HIGH].
std::optional<int> PARSEINT(const std::string& TEXT, int LOW, int HIGH) {
  int VALUE = 0;
  const char* END = TEXT.data() + TEXT.size();
  const auto [PTR, EC] = std::from_chars(TEXT.data(), END, VALUE);
  if (TEXT.empty() || EC != std::errc() || PTR != END || VALUE < LOW || VALUE > HIGH) {
    return std::nullopt;
  }
  return VALUE;
}

std::vector<std::string> SPLIT(const std::string& TEXT, char SEPARATOR) {
  std::vector<std::string> PARTS;
  std::string PART;
  std::istringstream IN(TEXT);
  while (std::getline(IN, PART, SEPARATOR)) {
    PARTS.push_back(PART);
  }
  if (!TEXT.empty() && TEXT.back() == SEPARATOR) {
    PARTS.emplace_back();
  }
  return PARTS;
}

std::string TRIM(const std::string& TEXT) {
  const auto FIRST = TEXT.find_first_not_of(" \t");
  if (FIRST == std::string::npos) {
    return {};
  }
  return TEXT.substr(FIRST, TEXT.find_last_not_of(" \t") - FIRST + 1);
}

std::vector<std::string> WORDS(const std::string& TEXT) {
  std::vector<std::string> R;
  std::istringstream IN(TEXT);
  for (std::string W; IN >> W;) {
    R.push_back(W);
  }
  return R;
}

}  // namespace

std::vector<tMixEntry> DEFAULTMIX() {
  std::vector<tMixEntry> MIX;
  for (const char* C : {"SERVER WHOAMI", "GET GAME GRID", "TURN 0", "GET GAME RESSOURCES"}) {
    MIX.push_back({C, ENDBLOCKSOF(C)});
  }
  return MIX;
}

std::optional<std::vector<tMixEntry>> PARSEMIX(const std::string& TEXT, std::string& ERROR) {
  std::vector<tMixEntry> MIX;
  for (const std::string& PART : SPLIT(TEXT, ';')) {
    std::string COMMAND = TRIM(PART);
    std::optional<int> BLOCKS;
    if (const auto EQ = COMMAND.rfind('='); EQ != std::string::npos) {
      BLOCKS = PARSEINT(TRIM(COMMAND.substr(EQ + 1)), 0, 9);
      if (!BLOCKS) {
        ERROR = "bad reply block count in \"" + PART + "\" (expected =0 to =9)";
        return std::nullopt;
      }
      COMMAND = TRIM(COMMAND.substr(0, EQ));
    }
    if (COMMAND.empty()) {
      ERROR = "empty command in the mix \"" + TEXT + "\"";
      return std::nullopt;
    }
    if (COMMAND.find_first_of("\r\n") != std::string::npos) {
      ERROR = "a command of the mix holds a line end";
      return std::nullopt;
    }
    // Leaving would end the connection in the middle of the run.
    if (NORMALISECOMMAND(COMMAND) == "SERVER QUIT") {
      ERROR = "SERVER QUIT cannot be measured: it ends the connection";
      return std::nullopt;
    }
    MIX.push_back({COMMAND, BLOCKS ? *BLOCKS : ENDBLOCKSOF(COMMAND)});
  }
  if (MIX.empty()) {
    ERROR = "the mix is empty";
    return std::nullopt;
  }
  return MIX;
}

std::optional<tOptions> PARSEOPTIONS(const std::vector<std::string>& ARGS, tOptions DEFAULTS,
                                     std::string& ERROR) {
  tOptions O = std::move(DEFAULTS);
  if (O.MIX.empty()) {
    O.MIX = DEFAULTMIX();
  }
  for (std::size_t I = 0; I < ARGS.size(); ++I) {
    std::string NAME = ARGS[I];
    std::optional<std::string> VALUE;
    if (const auto EQ = NAME.find('='); NAME.rfind("--", 0) == 0 && EQ != std::string::npos) {
      VALUE = NAME.substr(EQ + 1);
      NAME = NAME.substr(0, EQ);
    }
    if (NAME == "--help" || NAME == "-h") {
      O.HELP = true;
      continue;
    }
    if (NAME == "--by-command") {
      O.BYCOMMAND = true;
      continue;
    }
    const bool KNOWN = NAME == "--clients" || NAME == "--commands" || NAME == "--mix" ||
                       NAME == "--pipeline" || NAME == "--server-cmd" || NAME == "--game" ||
                       NAME == "--timeout" || NAME == "--at-once" || NAME == "--burst" ||
                       NAME == "--burst-wait" || NAME == "--save-wait";
    if (!KNOWN) {
      ERROR = "unknown option \"" + NAME + "\"";
      return std::nullopt;
    }
    if (!VALUE) {
      if (I + 1 >= ARGS.size()) {
        ERROR = NAME + " needs a value";
        return std::nullopt;
      }
      VALUE = ARGS[++I];
    }
    const std::string& V = *VALUE;
    if (NAME == "--clients") {
      O.CLIENTS.clear();
      for (const std::string& PART : SPLIT(V, ',')) {
        const auto N = PARSEINT(TRIM(PART), 1, MAXCLIENTS);
        if (!N) {
          ERROR = "--clients takes numbers from 1 to " + std::to_string(MAXCLIENTS) +
                  " separated by commas, not \"" + V + "\"";
          return std::nullopt;
        }
        O.CLIENTS.push_back(*N);
      }
      if (O.CLIENTS.empty()) {
        ERROR = "--clients needs at least one number";
        return std::nullopt;
      }
    } else if (NAME == "--commands") {
      const auto M = PARSEINT(V, 1, MAXCOMMANDS);
      if (!M) {
        ERROR = "--commands takes a number from 1 to " + std::to_string(MAXCOMMANDS);
        return std::nullopt;
      }
      O.COMMANDS = *M;
    } else if (NAME == "--pipeline") {
      const auto K = PARSEINT(V, 1, MAXPIPELINE);
      if (!K) {
        ERROR = "--pipeline takes a number from 1 to " + std::to_string(MAXPIPELINE);
        return std::nullopt;
      }
      O.PIPELINE = *K;
    } else if (NAME == "--timeout") {
      const auto MS = PARSEINT(V, 100, 600000);
      if (!MS) {
        ERROR = "--timeout takes milliseconds from 100 to 600000";
        return std::nullopt;
      }
      O.REPLYTIMEOUTMS = *MS;
    } else if (NAME == "--at-once") {
      const auto N = PARSEINT(V, 0, MAXCLIENTS);
      if (!N) {
        ERROR = "--at-once takes a number from 0 to " + std::to_string(MAXCLIENTS);
        return std::nullopt;
      }
      O.ATONCE = *N;
    } else if (NAME == "--burst") {
      const auto N = PARSEINT(V, 0, MAXBURST);
      if (!N) {
        ERROR = "--burst takes a number from 0 to " + std::to_string(MAXBURST);
        return std::nullopt;
      }
      O.BURST = *N;
    } else if (NAME == "--burst-wait" || NAME == "--save-wait") {
      const auto S = PARSEINT(V, 1, MAXWAITS);
      if (!S) {
        ERROR = NAME + " takes seconds from 1 to " + std::to_string(MAXWAITS);
        return std::nullopt;
      }
      (NAME == "--burst-wait" ? O.BURSTWAITS : O.SAVEWAITS) = *S;
    } else if (NAME == "--mix") {
      auto MIX = PARSEMIX(V, ERROR);
      if (!MIX) {
        return std::nullopt;
      }
      O.MIX = std::move(*MIX);
    } else if (NAME == "--server-cmd") {
      O.SERVERCMD = WORDS(V);
      if (O.SERVERCMD.empty()) {
        ERROR = "--server-cmd needs a program";
        return std::nullopt;
      }
    } else {
      if (V.empty()) {
        ERROR = "--game needs a directory";
        return std::nullopt;
      }
      O.GAMEDIR = V;
    }
  }
  if (O.SERVERCMD.empty() && !O.HELP) {
    ERROR = "no server to measure: give --server-cmd";
    return std::nullopt;
  }
  if (O.GAMEDIR.empty() && !O.HELP) {
    ERROR = "no game directory to copy: give --game";
    return std::nullopt;
  }
  return O;
}

std::string USAGE(const std::string& PROGRAM) {
  return "Usage: " + PROGRAM +
         " [options]\n"
         "Starts the server in a temporary copy of a game directory with generated\n"
         "accounts, logs N clients in over 127.0.0.1:9090, has each send M commands,\n"
         "and prints round-trip times, commands per second and the server's peak\n"
         "resident memory. One fresh server per client count.\n"
         "\n"
         "Before them the same client measures a line echo of its own on 127.0.0.1,\n"
         "the floor: every p50 is also given as a multiple of the echo's (x echo).\n"
         "After them, each on a fresh server: A clients open their connections at the\n"
         "same moment and log in, then keep playing while SIGUSR1 asks the server to\n"
         "save their new players (the longest round trip from the signal to the\n"
         "server's \"Save pass:\" console line); then B connections are opened and\n"
         "closed at once, half with a reset, and one more client waits for its\n"
         "\"Welcome\".\n"
         "\n"
         "  --clients N[,N...]   client counts to measure, 1 to " +
         std::to_string(MAXCLIENTS) +
         " (default 1,10,100)\n"
         "  --commands M         commands per client (default 200)\n"
         "  --mix \"C1;C2;...\"    commands sent in turn; \"C=B\" says that B \"END RETURN\"\n"
         "                       lines end C's reply (0: a one-line answer). Default:\n"
         "                       SERVER WHOAMI;GET GAME GRID;TURN 0;GET GAME RESSOURCES\n"
         "  --pipeline K         commands each client keeps in flight, 1 to " +
         std::to_string(MAXPIPELINE) +
         " (default 1)\n"
         "  --server-cmd \"P A\"   the server program and its arguments (split on spaces)\n"
         "  --game DIR           the game directory to copy (data/, players/)\n"
         "  --timeout MS         longest wait for one reply (default 10000)\n"
         "  --at-once A          clients logging in at once, then saved (default 100,\n"
         "                       0 to skip both)\n"
         "  --save-wait S        longest wait for the save pass's console line, in\n"
         "                       seconds (default 30)\n"
         "  --burst B            connections opened and closed before the greeting is\n"
         "                       timed, up to " +
         std::to_string(MAXBURST) +
         " (default 2000, 0 to skip)\n"
         "  --burst-wait S       longest wait for that greeting, in seconds (default 30)\n"
         "  --by-command         also print the command phase per command of the mix\n";
}
