// The load client's command line.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// The port every server of this protocol listens on.
constexpr uint16_t GAMEPORT = 9090;

/// One command of the mix and how many "END RETURN" lines end its reply
/// (0: a one-line answer).
struct tMixEntry {
  std::string COMMAND;
  int ENDBLOCKS = 1;
  bool operator==(const tMixEntry&) const = default;
};

/// What to measure and against which server.
struct tOptions {
  std::vector<int> CLIENTS{1, 10, 100};
  int COMMANDS = 200;
  std::vector<tMixEntry> MIX;
  int PIPELINE = 1;
  /// The server's program and its arguments, started in the game copy.
  std::vector<std::string> SERVERCMD;
  std::string GAMEDIR;
  /// The web gateway's program and its arguments, started next to the server,
  /// and the page's files it serves.
  std::vector<std::string> GATEWAYCMD;
  std::string WWWDIR;
  /// Client counts measured through the gateway, each on a fresh server.
  std::vector<int> GATEWAYCLIENTS{1, 100};
  /// WebSockets open at once through the gateway, of which at most 100 then
  /// play while the others stay silent (0: none).
  int GATEWAYSOCKETS = 500;
  /// The longest wait for any one reply, in milliseconds.
  int REPLYTIMEOUTMS = 10000;
  /// Clients that open their connections all at the same moment, log in, and
  /// then play while the server saves their new players (0: neither).
  int ATONCE = 100;
  /// Connections opened and closed at once before one client waits for its
  /// greeting (0: none).
  int BURST = 2000;
  /// The longest wait for the greeting after the burst, in seconds.
  int BURSTWAITS = 30;
  /// The longest wait for the server's report of the save pass, in seconds.
  int SAVEWAITS = 30;
  /// Players on file, each count a fresh server: its start-up, memory and
  /// logins (empty: none).
  std::vector<int> PLAYERS{100, 1000, 10000, 100000};
  /// Players on file, all changed, for the save passes (0: none).
  int SAVEPLAYERS = 10000;
  /// Constructions under way of the player whose BUILD and TURN 1 are timed
  /// against a player without them (0: neither).
  int WORKS = 1000;
  /// Clients connected at once, half of them playing (0: none).
  int CROWD = 2000;
  bool BYCOMMAND = false;
  bool HELP = false;
};

/// The limits of the options, also shown in the usage text.
constexpr int MAXCLIENTS = 500;
constexpr int MAXCOMMANDS = 1000000;
constexpr int MAXPIPELINE = 64;
constexpr int MAXBURST = 20000;
constexpr int MAXWAITS = 3600;
constexpr int MAXPLAYERS = 1000000;
constexpr int MAXWORKS = 100000;
constexpr int MAXCROWD = 20000;

/// The commands measured when no mix is given.
std::vector<tMixEntry> DEFAULTMIX();

/// Parses a mix: commands separated by ';', each optionally followed by
/// "=B", the number of "END RETURN" lines that end its reply (0 to 9).
/// Without it, the number is the one the command is known to have.
std::optional<std::vector<tMixEntry>> PARSEMIX(const std::string& TEXT, std::string& ERROR);

/// Parses the arguments that follow the program's name over DEFAULTS; on a
/// bad argument, returns nothing and says why in ERROR.
std::optional<tOptions> PARSEOPTIONS(const std::vector<std::string>& ARGS, tOptions DEFAULTS,
                                     std::string& ERROR);

/// The usage text.
std::string USAGE(const std::string& PROGRAM);
