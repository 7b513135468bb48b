// The JSON messages of /ws, both ways, and the framing of the game server's
// lines. Pure functions of bytes: no socket here.

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// Longest line a page may send, in bytes once in Latin-1.
constexpr std::size_t PAGELINEMAX = 1024;
/// Largest frame a page may send.
constexpr std::size_t PAGEFRAMEMAX = 4096;

/// Close codes of the socket (RFC 6455).
enum sCloseCode : unsigned short {
  ccNORMAL = 1000,
  ccGOINGAWAY = 1001,
  ccUNSUPPORTED = 1003,
  ccBADDATA = 1007,
  ccPOLICY = 1008,
  ccTOOBIG = 1009,
  ccTRYLATER = 1013
};

/// One message of a page, read from a text frame.
struct tPageMessage {
  enum sKind { LINE, RESUME, QUIT, BAD } KIND = BAD;
  /// LINE: the text as the game server's Latin-1 bytes; RESUME: the token;
  /// BAD: why ("not JSON", "unknown message", "line too long").
  std::string TEXT;
  /// BAD: the code the socket closes with.
  sCloseCode CODE = ccPOLICY;
};

/// Reads FRAME, one JSON object with exactly one of {"line": text},
/// {"resume": token}, {"quit": true}. A line's code points above U+00FF
/// become '?', and a CR or LF in it a space, so that a message is always one
/// line of the game.
tPageMessage PARSEPAGEMESSAGE(std::string_view FRAME);

/// {"line": LATIN1 as the same code points}.
std::string LINEMESSAGE(const std::string& LATIN1);
/// {"session": TOKEN, "grace": SECONDS}.
std::string SESSIONMESSAGE(const std::string& TOKEN, unsigned SECONDS);
/// {"closed": REASON}.
std::string CLOSEDMESSAGE(std::string_view REASON);

/// Cuts the game server's bytes into lines: a line ends with LF, and the CR
/// before it goes. A line that grows past LINEMAX without an end is given as
/// it is, so that nothing waits without bound.
class cLineSplitter {
 public:
  static constexpr std::size_t LINEMAX = 16384;
  /// Appends the complete lines of BYTES to LINES.
  void FEED(std::string_view BYTES, std::vector<std::string>& LINES);
  /// What waits for its end.
  const std::string& PARTIAL() const { return FPARTIAL; }

 private:
  std::string FPARTIAL;
};
