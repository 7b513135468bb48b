#include "options.h"

#include <charconv>

#include "args.h"

const char* const WEBUSAGE =
    "Usage: royaumes-web [options]\n"
    "Lets browsers play: serves the page's files over HTTP and relays each\n"
    "WebSocket at /ws to a connection of its own to the game server, one JSON\n"
    "object a line. A page that reloads or loses the network finds its game\n"
    "connection again within the grace time. SIGINT and SIGTERM close every\n"
    "socket and stop.\n"
    "\n"
    "  --listen ADDR:PORT  where to listen (default: port 8080 on every address)\n"
    "  --game HOST:PORT    the game server (default 127.0.0.1:9090)\n"
    "  --www DIR           the page's files (default: the installed page)\n"
    "  --dir DIR           the game directory whose rules /rules.json serves\n"
    "                      (default: the current directory)\n"
    "  --grace S           seconds a game connection waits for its page to come\n"
    "                      back (default 30)\n"
    "  --origin URL        a page origin allowed to open /ws (repeatable; default:\n"
    "                      the gateway's own host only)\n"
    "  --per-address N     most sockets at once from one browser address (default 8)\n"
    "  --trust-proxy ADDR  a reverse proxy: for its connections the browser's\n"
    "                      address is the last of X-Forwarded-For (repeatable)\n"
    "  --cert FILE         with --key: HTTPS and WSS only, with this certificate\n"
    "  --key FILE          chain and private key (PEM)\n"
    "  --ping S            a ping after S seconds of silence; a socket that does\n"
    "                      not answer within twice that is closed (default 30)\n"
    "  --stall S           a browser that reads nothing for S seconds while its\n"
    "                      queue is full is closed (default 30)\n"
    "  --help, --version\n";

namespace {

bool PARSEPORT(const std::string& TEXT, uint16_t& PORT) {
  unsigned V = 0;
  const char* END = TEXT.data() + TEXT.size();
  const auto [PTR, EC] = std::from_chars(TEXT.data(), END, V);
  if (TEXT.empty() || EC != std::errc() || PTR != END || V < 1 || V > 65535) {
    return false;
  }
  PORT = static_cast<uint16_t>(V);
  return true;
}

}  // namespace

std::optional<tHostPort> PARSEHOSTPORT(const std::string& TEXT, const std::string& FALLBACKHOST) {
  tHostPort R{FALLBACKHOST, 0};
  std::string PORT = TEXT;
  if (TEXT.starts_with('[')) {
    const auto CLOSE = TEXT.find("]:");
    if (CLOSE == std::string::npos || CLOSE == 1) {
      return std::nullopt;
    }
    R.HOST = TEXT.substr(1, CLOSE - 1);
    PORT = TEXT.substr(CLOSE + 2);
  } else if (const auto COLON = TEXT.rfind(':'); COLON != std::string::npos) {
    if (TEXT.find(':') != COLON) {
      return std::nullopt;  // a bare IPv6 address needs its brackets
    }
    if (COLON > 0) {
      R.HOST = TEXT.substr(0, COLON);
    }
    PORT = TEXT.substr(COLON + 1);
  }
  if (!PARSEPORT(PORT, R.PORT)) {
    return std::nullopt;
  }
  return R;
}

std::optional<tWebOptions> PARSEWEBOPTIONS(const std::vector<std::string>& ARGS,
                                           const std::string& DEFAULTWWW, std::string& ERROR) {
  const cArgs A(ARGS,
                {"--listen", "--game", "--www", "--dir", "--grace", "--origin", "--per-address",
                 "--trust-proxy", "--cert", "--key", "--ping", "--stall"},
                {"--help", "-h", "--version"});
  if (!A.ERROR().empty()) {
    ERROR = A.ERROR();
    return std::nullopt;
  }
  if (!A.WORDS().empty()) {
    ERROR = "unknown argument " + A.WORDS().front();
    return std::nullopt;
  }
  tWebOptions O;
  O.WWW = A.VALUE("--www", DEFAULTWWW);
  O.DIR = A.VALUE("--dir", O.DIR);
  O.ORIGINS = A.VALUES("--origin");
  O.PROXIES = A.VALUES("--trust-proxy");
  O.CERT = A.VALUE("--cert");
  O.KEY = A.VALUE("--key");
  for (const char* NAME : {"--listen", "--game"}) {
    if (!A.HAS(NAME)) {
      continue;
    }
    tHostPort& TARGET = std::string(NAME) == "--listen" ? O.LISTEN : O.GAME;
    const auto HP = PARSEHOSTPORT(A.VALUE(NAME), TARGET.HOST);
    if (!HP) {
      ERROR = std::string(NAME) + " takes HOST:PORT, not '" + A.VALUE(NAME) + "'";
      return std::nullopt;
    }
    TARGET = *HP;
  }
  struct tNumber {
    const char* NAME;
    long LOW, HIGH;
    uint32_t& OUT;
  };
  for (const tNumber& N :
       {tNumber{"--grace", 0, 3600, O.GRACE}, tNumber{"--per-address", 1, 100000, O.PERADDRESS},
        tNumber{"--ping", 1, 3600, O.PING}, tNumber{"--stall", 1, 3600, O.STALL}}) {
    long V = N.OUT;
    if (!A.NUMBER(N.NAME, N.LOW, N.HIGH, V)) {
      ERROR = std::string(N.NAME) + " takes a whole number from " + std::to_string(N.LOW) + " to " +
              std::to_string(N.HIGH) + ", not '" + A.VALUE(N.NAME) + "'";
      return std::nullopt;
    }
    N.OUT = static_cast<uint32_t>(V);
  }
  for (const char* NAME : {"--www", "--dir", "--origin", "--trust-proxy", "--cert", "--key"}) {
    for (const auto& V : A.VALUES(NAME)) {
      if (V.empty()) {
        ERROR = std::string(NAME) + " needs a value";
        return std::nullopt;
      }
    }
  }
  if (O.CERT.empty() != O.KEY.empty()) {
    ERROR = "--cert and --key go together";
    return std::nullopt;
  }
  return O;
}
