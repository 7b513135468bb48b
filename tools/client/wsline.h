// Speaking to the web gateway as a page does: a WebSocket carrying one JSON
// object per text frame, and plain HTTP requests. Everything runs on an event
// loop that turns only inside these calls, so every wait has a deadline and
// nothing needs a thread; connections may share one loop (cWsGroup) to be
// waited on together.

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "process.h"

/// One message of the gateway as a page sees it.
struct tWsMessage {
  /// LINE {"line"}, SESSION {"session","grace"}, CLOSED {"closed"}; OTHER for any other frame
  /// (binary, not JSON, other keys, a line with code points above U+00FF); END once the
  /// socket has ended, or when no message came in time.
  enum sKind { LINE, SESSION, CLOSED, OTHER, END } KIND = END;
  /// LINE: the line as Latin-1 bytes (each code point back to its byte); SESSION: the token;
  /// CLOSED: the reason; END: the reason of the close frame, if any.
  std::string TEXT;
  /// SESSION: the seconds of grace announced.
  int GRACE = 0;
  /// END: the close code the gateway sent (1000, 1001, 1008...); 0 when the socket ended
  /// without one or the time ran out.
  int CLOSECODE = 0;
  /// The frame as received.
  std::string RAW;
  /// When the frame was received, on the clock of NOWUS().
  long long ATUS = 0;
};

/// A plain HTTP reply.
struct tHttpReply {
  int STATUS = 0;
  std::vector<std::pair<std::string, std::string>> HEADERS;
  std::string BODY;
  /// The value of the header NAME (any case), "" when absent.
  std::string HEADER(const std::string& NAME) const;
};

/// The upgrade to a WebSocket answered by a plain HTTP status.
class cWsRefused : public cClientError {
 public:
  cWsRefused(const std::string& WHAT, int HTTPSTATUS) : cClientError(WHAT), STATUS(HTTPSTATUS) {}
  int STATUS;
};

/// The event loop of several connections, to wait for whichever has a message.
/// It must outlive its connections.
class cWsGroup {
 public:
  cWsGroup();
  ~cWsGroup();
  cWsGroup(const cWsGroup&) = delete;
  cWsGroup& operator=(const cWsGroup&) = delete;
  /// Runs the loop until some connection of the group holds a message not yet
  /// taken, at most MILLIS; whether one does.
  bool WAIT(int MILLIS);

  struct tLoop;

 private:
  friend class cWsConnection;
  std::shared_ptr<tLoop> FLOOP;
};

/// One WebSocket to the gateway. A read is always outstanding, so frames are
/// received while the caller does anything else with the connection.
class cWsConnection {
 public:
  /// Connects to HOST:PORT (from the local address FROM when given) and opens
  /// TARGET as a WebSocket with ORIGIN (no Origin header when empty) and the
  /// extra HEADERS, within TIMEOUTMS, which also bounds every later write.
  /// Throws cWsRefused when the upgrade was answered with another status,
  /// cClientError on any other failure. Without GROUP it has a loop of its own.
  cWsConnection(const std::string& HOST, uint16_t PORT, const std::string& TARGET = "/ws",
                const std::string& ORIGIN = "",
                const std::vector<std::pair<std::string, std::string>>& HEADERS = {},
                int TIMEOUTMS = 5000, const std::string& FROM = "", cWsGroup* GROUP = nullptr);
  ~cWsConnection();
  cWsConnection(const cWsConnection&) = delete;
  cWsConnection& operator=(const cWsConnection&) = delete;

  /// Sends {"line": LATIN1 as code points}.
  void SENDLINE(const std::string& LATIN1);
  /// Sends FRAME exactly as given, as a text frame or a binary one (a text
  /// frame's bytes are not checked: invalid UTF-8 goes out as it is).
  void SENDRAW(const std::string& FRAME, bool BINARY = false);
  /// The next message, waiting at most TIMEOUTMS; END when the socket has
  /// ended or the time ran out (ENDED tells which).
  tWsMessage NEXT(int TIMEOUTMS);
  /// The next message already received, without waiting.
  std::optional<tWsMessage> TAKE();
  /// The LINE texts received until one equals LAST (included), within
  /// TIMEOUTMS in all; other messages are skipped. Throws cClientError when the
  /// socket ends or the time runs out first.
  std::vector<std::string> LINESUNTIL(const std::string& LAST, int TIMEOUTMS);
  /// A normal close (1000), waiting for the gateway's answer within the
  /// connection's time-out; messages still unread are dropped.
  void CLOSE();
  /// Drops the TCP connection without a close frame, as a lost network does.
  void DROP();
  /// Whether the socket has ended (closed by either side, or failed).
  bool ENDED() const;

  /// One HTTP/1.1 request to HOST:PORT without a body, its reply read whole
  /// within TIMEOUTMS. Throws cClientError when there is no reply.
  static tHttpReply HTTPGET(const std::string& HOST, uint16_t PORT, const std::string& METHOD,
                            const std::string& TARGET,
                            const std::vector<std::pair<std::string, std::string>>& HEADERS = {},
                            int TIMEOUTMS = 5000);

  struct tSocket;

 private:
  std::unique_ptr<tSocket> F;
};
