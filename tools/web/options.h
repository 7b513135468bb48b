// The gateway's command line.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// A host (a name or an address, without brackets) and a port.
struct tHostPort {
  std::string HOST;
  uint16_t PORT = 0;
};

/// What the gateway's command line chooses; the defaults are its behaviour
/// without options.
struct tWebOptions {
  tHostPort LISTEN{"0.0.0.0", 8080};
  tHostPort GAME{"127.0.0.1", 9090};
  /// The page's files.
  std::string WWW;
  /// The game directory whose rules /rules.json serves.
  std::string DIR = ".";
  /// Seconds a game connection waits for its page to come back.
  uint32_t GRACE = 30;
  /// Page origins allowed to open /ws; empty: the gateway's own host only.
  std::vector<std::string> ORIGINS;
  uint32_t PERADDRESS = 8;
  /// Peers whose X-Forwarded-For names the browser.
  std::vector<std::string> PROXIES;
  /// With both, HTTPS and WSS only.
  std::string CERT;
  std::string KEY;
  /// A ping after PING seconds of silence; the socket is closed after twice that.
  uint32_t PING = 30;
  /// A browser that reads nothing for STALL seconds while its queue is full is closed.
  uint32_t STALL = 30;
};

/// "PORT", ":PORT", "HOST:PORT" or "[V6]:PORT"; HOST defaults to FALLBACKHOST.
std::optional<tHostPort> PARSEHOSTPORT(const std::string& TEXT, const std::string& FALLBACKHOST);

/// The options of ARGS (without the program's name), WWW defaulting to
/// DEFAULTWWW. Nothing when the line is malformed, with the reason in ERROR;
/// --help and --version are answered by the caller first.
std::optional<tWebOptions> PARSEWEBOPTIONS(const std::vector<std::string>& ARGS,
                                           const std::string& DEFAULTWWW, std::string& ERROR);

/// The text of --help.
extern const char* const WEBUSAGE;
