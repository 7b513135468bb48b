#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// What the server's command line chooses; the defaults are the server's
/// behaviour without options.
struct tServerOptions {
  /// The game directory (data/ and players/), made the working directory.
  std::string DIR = ".";
  uint16_t PORT = 9090;
  /// Silence (ms) allowed to a client not yet in play while other sockets are
  /// active, and when the network is quiet.
  uint32_t IDLEBUSYMS = 5000;
  uint32_t IDLEQUIETMS = 20000;
  /// Most clients connected at once.
  int32_t MAXCLIENTS = 512;
  /// A fixed seed for the random generator (reproducible games); the clock
  /// seeds it otherwise.
  std::optional<uint64_t> SEED;
  bool HELP = false;
  bool VERSION = false;
};

/// Longest idle limit an option may give, in seconds.
constexpr uint32_t MAXIDLESECONDS = 3600;
/// Largest client cap an option may give (the kernel's usual ceiling of open
/// files is about a million).
constexpr int32_t MAXCLIENTSLIMIT = 1000000;

/// Parses the arguments that follow the program's name ("--port 9091" or
/// "--port=9091"); on a bad argument returns nothing and says why in ERROR.
std::optional<tServerOptions> PARSESERVEROPTIONS(const std::vector<std::string>& ARGS,
                                                 std::string& ERROR);

/// The text of --help.
std::string SERVERUSAGE(const std::string& PROGRAM);

/// The server's version, as --version prints it.
std::string SERVERVERSION();
