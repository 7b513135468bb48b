#include "options.h"

#include <charconv>
#include <sstream>

#include "args.h"
#include "line.h"

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
  const cArgs A(ARGS,
                {"--clients", "--commands", "--mix", "--pipeline", "--server-cmd", "--game",
                 "--timeout", "--at-once", "--burst", "--burst-wait", "--save-wait",
                 "--gateway-cmd", "--www", "--gateway-clients", "--gateway-sockets", "--players",
                 "--save-players", "--works", "--crowd"},
                {"--help", "-h", "--by-command", "--no-gateway", "--no-scale"});
  ERROR = A.ERROR();
  if (ERROR.empty() && !A.WORDS().empty()) {
    ERROR = "unknown option \"" + A.WORDS().front() + "\"";
  }
  O.HELP = A.HAS("--help") || A.HAS("-h");
  O.BYCOMMAND = A.HAS("--by-command");
  // Each number within its bounds, or the reason.
  const auto NUMBER = [&](const std::string& NAME, long LOW, long HIGH, int& OUT,
                          const std::string& WHAT) {
    long N = OUT;
    if (ERROR.empty() && !A.NUMBER(NAME, LOW, HIGH, N)) {
      ERROR =
          NAME + " takes " + WHAT + " from " + std::to_string(LOW) + " to " + std::to_string(HIGH);
    }
    OUT = static_cast<int>(N);
  };
  NUMBER("--commands", 1, MAXCOMMANDS, O.COMMANDS, "a number");
  NUMBER("--pipeline", 1, MAXPIPELINE, O.PIPELINE, "a number");
  NUMBER("--timeout", 100, 600000, O.REPLYTIMEOUTMS, "milliseconds");
  NUMBER("--at-once", 0, MAXCLIENTS, O.ATONCE, "a number");
  NUMBER("--burst", 0, MAXBURST, O.BURST, "a number");
  NUMBER("--burst-wait", 1, MAXWAITS, O.BURSTWAITS, "seconds");
  NUMBER("--save-wait", 1, MAXWAITS, O.SAVEWAITS, "seconds");
  NUMBER("--gateway-sockets", 0, MAXCLIENTS, O.GATEWAYSOCKETS, "a number");
  NUMBER("--save-players", 0, MAXPLAYERS, O.SAVEPLAYERS, "a number");
  NUMBER("--works", 0, MAXWORKS, O.WORKS, "a number");
  NUMBER("--crowd", 0, MAXCROWD, O.CROWD, "a number");
  // A list of client counts, or its reason.
  const auto COUNTS = [&](const std::string& NAME, std::vector<int>& OUT, int HIGH = MAXCLIENTS) {
    if (!ERROR.empty() || !A.HAS(NAME)) {
      return;
    }
    OUT.clear();
    for (const std::string& PART : SPLIT(A.VALUE(NAME), ',')) {
      const auto N = PARSEINT(TRIM(PART), 1, HIGH);
      if (!N) {
        ERROR = NAME + " takes numbers from 1 to " + std::to_string(HIGH) +
                " separated by commas, not \"" + A.VALUE(NAME) + "\"";
        return;
      }
      OUT.push_back(*N);
    }
    if (OUT.empty()) {
      ERROR = NAME + " needs at least one number";
    }
  };
  COUNTS("--clients", O.CLIENTS);
  COUNTS("--gateway-clients", O.GATEWAYCLIENTS);
  COUNTS("--players", O.PLAYERS, MAXPLAYERS);
  if (A.HAS("--no-scale")) {
    O.PLAYERS.clear();
    O.SAVEPLAYERS = O.WORKS = O.CROWD = 0;
  }
  if (A.HAS("--no-gateway")) {
    O.GATEWAYCLIENTS.clear();
    O.GATEWAYSOCKETS = 0;
  }
  if (ERROR.empty() && A.HAS("--mix")) {
    auto MIX = PARSEMIX(A.VALUE("--mix"), ERROR);
    if (MIX) {
      O.MIX = std::move(*MIX);
    }
  }
  if (A.HAS("--server-cmd")) {
    O.SERVERCMD = WORDS(A.VALUE("--server-cmd"));
  }
  O.GAMEDIR = A.VALUE("--game", O.GAMEDIR);
  if (A.HAS("--gateway-cmd")) {
    O.GATEWAYCMD = WORDS(A.VALUE("--gateway-cmd"));
  }
  O.WWWDIR = A.VALUE("--www", O.WWWDIR);
  const bool GATEWAY = !O.GATEWAYCLIENTS.empty() || O.GATEWAYSOCKETS > 0;
  if (ERROR.empty() && GATEWAY && O.GATEWAYCMD.empty() && !O.HELP) {
    ERROR = "no gateway to measure: give --gateway-cmd, or --no-gateway";
  }
  if (ERROR.empty() && O.SERVERCMD.empty()) {
    ERROR = O.HELP ? "" : "no server to measure: give --server-cmd";
  }
  if (ERROR.empty() && O.GAMEDIR.empty() && !O.HELP) {
    ERROR = "no game directory to copy: give --game";
  }
  if (!ERROR.empty()) {
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
         "  --by-command         also print the command phase per command of the mix\n"
         "\n"
         "The rows of a game that grows, each on a fresh server whose players are\n"
         "written as files made of one new player's record (without its champion):\n"
         "  --players N[,N...]   players on file: the start-up until the port accepts,\n"
         "                       the resident memory and one player's login (default\n"
         "                       100,1000,10000,100000)\n"
         "  --save-players N     players on file, all changed: the longest pause of\n"
         "                       their save pass, then of a pass with nothing changed\n"
         "                       (default 10000, 0 to skip)\n"
         "  --works N            BUILD and TURN 1 of a player with N constructions\n"
         "                       under way against one with none (default 1000, 0 to\n"
         "                       skip)\n"
         "  --crowd N            clients connected at once, half of them playing, the\n"
         "                       server given --max-clients N+100 (default 2000, 0 to\n"
         "                       skip); up to " +
         std::to_string(MAXCROWD) +
         "\n"
         "  --no-scale           none of these rows\n"
         "\n"
         "The rows \"ws\" measure the same clients as WebSockets through the web gateway,\n"
         "started next to each server: one fresh server and gateway per client count,\n"
         "then S sockets logging in at once, of which 100 then play while the others\n"
         "stay silent (the gateway's memory per socket).\n"
         "  --gateway-cmd \"P A\"  the gateway program and its arguments (split on spaces)\n"
         "  --www DIR            the page's files the gateway serves\n"
         "  --gateway-clients N[,N...]  client counts through the gateway (default 1,100)\n"
         "  --gateway-sockets S  sockets open at once through the gateway, up to " +
         std::to_string(MAXCLIENTS) +
         "\n"
         "                       (default 500, 0 to skip)\n"
         "  --no-gateway         no row through the gateway\n";
}
