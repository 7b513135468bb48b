#include "wsline.h"

#include <strings.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/json.hpp>

#include <algorithm>
#include <chrono>
#include <deque>

#include "latin1.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace json = boost::json;
using tcp = asio::ip::tcp;
using tErrorCode = boost::system::error_code;

struct cWsGroup::tLoop {
  /// Run by one thread at a time: the hint spares the loop its locks.
  asio::io_context IO{1};
  /// Messages received and not yet taken, over every connection of the loop.
  std::size_t WAITING = 0;
};

namespace {

using tClock = std::chrono::steady_clock;

tClock::time_point AFTERMS(int MILLIS) {
  return tClock::now() + std::chrono::milliseconds(std::max(MILLIS, 0));
}

// What an aborted operation may take to hand back its handler: it is queued at
// once, so this only guards against a loop that never gets to it.
constexpr int ABORTWAITMS = 10000;

// Runs IO until DONE() holds or DEADLINE passes; whether DONE() holds. Handlers
// already due run even when DEADLINE has passed.
template <class tPredicate>
bool RUNUNTIL(asio::io_context& IO, tPredicate DONE, tClock::time_point DEADLINE) {
  if (IO.stopped()) {
    IO.restart();
  }
  IO.poll();
  while (!DONE()) {
    const auto NOW = tClock::now();
    if (NOW >= DEADLINE) {
      return false;
    }
    if (IO.stopped()) {
      IO.restart();
    }
    // Stopped with nothing run: no operation is outstanding, nothing can change.
    if (IO.run_one_for(DEADLINE - NOW) == 0 && IO.stopped()) {
      return DONE();
    }
  }
  return true;
}

// RUNUNTIL, and past DEADLINE, ABORT and the wait for the aborted handlers:
// they refer to the caller's locals and must not run after it returns.
template <class tPredicate, class tAbort>
bool FINISH(asio::io_context& IO, tPredicate DONE, tClock::time_point DEADLINE, tAbort ABORT) {
  if (RUNUNTIL(IO, DONE, DEADLINE)) {
    return true;
  }
  ABORT();
  RUNUNTIL(IO, DONE, AFTERMS(ABORTWAITMS));
  return false;
}

std::string STRINGOF(const json::string& S) {
  return {S.data(), S.size()};
}

// A frame of the gateway read by its keys; any other shape is OTHER, so that a
// test sees a message the page would not understand.
tWsMessage PARSED(std::string RAW, bool BINARY) {
  tWsMessage M;
  M.KIND = tWsMessage::OTHER;
  M.RAW = std::move(RAW);
  M.ATUS = NOWUS();
  tErrorCode EC;
  const json::value V = BINARY ? json::value() : json::parse(M.RAW, EC);
  if (EC || !V.is_object()) {
    return M;
  }
  const json::object& O = V.get_object();
  const auto TEXT = [&](const char* KEY) -> const json::string* {
    const json::value* P = O.if_contains(KEY);
    return P != nullptr ? P->if_string() : nullptr;
  };
  if (O.size() == 1 && TEXT("line") != nullptr) {
    if (auto BYTES = LATIN1(STRINGOF(*TEXT("line")))) {
      M.KIND = tWsMessage::LINE;
      M.TEXT = std::move(*BYTES);
    }
  } else if (O.size() == 1 && TEXT("closed") != nullptr) {
    M.KIND = tWsMessage::CLOSED;
    M.TEXT = STRINGOF(*TEXT("closed"));
  } else if (const json::value* G = O.if_contains("grace");
             O.size() == 2 && TEXT("session") != nullptr && G != nullptr && G->is_int64() &&
             G->get_int64() >= 0 && G->get_int64() <= 1000000) {
    M.KIND = tWsMessage::SESSION;
    M.TEXT = STRINGOF(*TEXT("session"));
    M.GRACE = static_cast<int>(G->get_int64());
  }
  return M;
}

// Opens SOCKET to HOST:PORT, from the address FROM when given, trying each
// address HOST stands for. Throws cClientError on failure or past DEADLINE.
void CONNECT(asio::io_context& IO, tcp::socket& SOCKET, const std::string& HOST, uint16_t PORT,
             const std::string& FROM, tClock::time_point DEADLINE) {
  const std::string WHERE = HOST + ":" + std::to_string(PORT);
  tErrorCode EC;
  std::vector<tcp::endpoint> TARGETS;
  if (const auto ADDRESS = asio::ip::make_address(HOST, EC); !EC) {
    TARGETS.emplace_back(ADDRESS, PORT);
  } else {
    // A name is looked up synchronously: the asynchronous lookup needs a thread.
    tcp::resolver RESOLVER(IO);
    for (const auto& R : RESOLVER.resolve(HOST, std::to_string(PORT), EC)) {
      TARGETS.push_back(R.endpoint());
    }
    if (EC || TARGETS.empty()) {
      throw cClientError("cannot find the address of " + HOST + ": " + EC.message());
    }
  }
  for (const tcp::endpoint& TO : TARGETS) {
    SOCKET.close(EC);
    SOCKET.open(TO.protocol(), EC);
    if (!EC && !FROM.empty()) {
      const auto LOCAL = asio::ip::make_address(FROM, EC);
      if (!EC) {
        SOCKET.bind(tcp::endpoint(LOCAL, 0), EC);
      }
    }
    // Lines are small writes: each must leave at once.
    SOCKET.set_option(tcp::no_delay(true), EC);
    if (EC) {
      continue;
    }
    bool DONE = false;
    SOCKET.async_connect(TO, [&](tErrorCode E) {
      EC = E;
      DONE = true;
    });
    if (!FINISH(
            IO, [&] { return DONE; }, DEADLINE, [&] { SOCKET.close(EC); })) {
      throw cClientError("cannot connect to " + WHERE + ": timed out");
    }
    if (!EC) {
      return;
    }
  }
  SOCKET.close();
  throw cClientError("cannot connect to " + WHERE + ": " + EC.message());
}

}  // namespace

std::string tHttpReply::HEADER(const std::string& NAME) const {
  for (const auto& [KEY, VALUE] : HEADERS) {
    if (::strcasecmp(KEY.c_str(), NAME.c_str()) == 0) {
      return VALUE;
    }
  }
  return {};
}

cWsGroup::cWsGroup() : FLOOP(std::make_shared<tLoop>()) {}

cWsGroup::~cWsGroup() = default;

bool cWsGroup::WAIT(int MILLIS) {
  return RUNUNTIL(
      FLOOP->IO, [&] { return FLOOP->WAITING > 0; }, AFTERMS(MILLIS));
}

struct cWsConnection::tSocket {
  tSocket(std::shared_ptr<cWsGroup::tLoop> L, int T)
      : LOOP(std::move(L)), WS(LOOP->IO), TIMEOUTMS(T) {}
  ~tSocket() {
    ABORT();
    LOOP->WAITING -= INBOX.size();
  }

  asio::io_context& IO() { return LOOP->IO; }
  void PUSH(tWsMessage M) {
    INBOX.push_back(std::move(M));
    ++LOOP->WAITING;
  }
  void READ() {
    READING = true;
    WS.async_read(BUFFER, [this](tErrorCode EC, std::size_t) {
      READING = false;
      RECEIVED(EC);
    });
  }
  void RECEIVED(tErrorCode EC) {
    if (EC) {
      ENDED = true;
      tWsMessage M;
      M.ATUS = NOWUS();
      if (EC == websocket::error::closed) {
        CLOSECODE = static_cast<int>(WS.reason().code);
        CLOSEREASON.assign(WS.reason().reason.data(), WS.reason().reason.size());
      }
      M.CLOSECODE = CLOSECODE;
      M.TEXT = CLOSEREASON;
      PUSH(std::move(M));
      return;
    }
    PUSH(PARSED(beast::buffers_to_string(BUFFER.data()), WS.got_binary()));
    BUFFER.consume(BUFFER.size());
    READ();
  }
  /// Closes the TCP connection and lets the pending read's handler run: it
  /// refers to this object.
  void ABORT() {
    tErrorCode IGNORED;
    beast::get_lowest_layer(WS).socket().close(IGNORED);
    RUNUNTIL(
        IO(), [&] { return !READING; }, AFTERMS(ABORTWAITMS));
    ENDED = true;
  }

  // The loop goes last: the socket unregisters from it.
  std::shared_ptr<cWsGroup::tLoop> LOOP;
  websocket::stream<beast::tcp_stream> WS;
  beast::flat_buffer BUFFER;
  std::deque<tWsMessage> INBOX;
  int TIMEOUTMS;
  bool READING = false;
  bool ENDED = false;
  int CLOSECODE = 0;
  std::string CLOSEREASON;
};

cWsConnection::cWsConnection(const std::string& HOST, uint16_t PORT, const std::string& TARGET,
                             const std::string& ORIGIN,
                             const std::vector<std::pair<std::string, std::string>>& HEADERS,
                             int TIMEOUTMS, const std::string& FROM, cWsGroup* GROUP)
    : F(std::make_unique<tSocket>(
          GROUP != nullptr ? GROUP->FLOOP : std::make_shared<cWsGroup::tLoop>(), TIMEOUTMS)) {
  const auto DEADLINE = AFTERMS(TIMEOUTMS);
  const std::string WHERE = HOST + ":" + std::to_string(PORT);
  tcp::socket& SOCKET = beast::get_lowest_layer(F->WS).socket();
  CONNECT(F->IO(), SOCKET, HOST, PORT, FROM, DEADLINE);
  F->WS.set_option(websocket::stream_base::decorator([=](websocket::request_type& REQ) {
    if (!ORIGIN.empty()) {
      REQ.set(http::field::origin, ORIGIN);
    }
    for (const auto& [NAME, VALUE] : HEADERS) {
      REQ.set(NAME, VALUE);
    }
  }));
  // A frame goes out as one frame, whatever its size.
  F->WS.auto_fragment(false);
  websocket::response_type RESPONSE;
  tErrorCode EC;
  bool DONE = false;
  F->WS.async_handshake(RESPONSE, WHERE, TARGET, [&](tErrorCode E) {
    EC = E;
    DONE = true;
  });
  if (!FINISH(
          F->IO(), [&] { return DONE; }, DEADLINE, [&] { SOCKET.close(EC); })) {
    throw cClientError("no WebSocket upgrade of " + TARGET + " from " + WHERE + " within " +
                       std::to_string(TIMEOUTMS) + " ms");
  }
  if (EC == websocket::error::upgrade_declined) {
    throw cWsRefused("the upgrade of " + TARGET + " at " + WHERE + " was refused with HTTP " +
                         std::to_string(RESPONSE.result_int()),
                     static_cast<int>(RESPONSE.result_int()));
  }
  if (EC) {
    throw cClientError("cannot open a WebSocket at " + WHERE + TARGET + ": " + EC.message());
  }
  F->READ();
}

cWsConnection::~cWsConnection() = default;

void cWsConnection::SENDLINE(const std::string& LATIN1) {
  json::object O;
  O["line"] = UTF8(LATIN1);
  SENDRAW(json::serialize(O));
}

void cWsConnection::SENDRAW(const std::string& FRAME, bool BINARY) {
  if (F->ENDED) {
    throw cClientError("cannot send on a WebSocket that has ended");
  }
  F->WS.binary(BINARY);
  tErrorCode EC;
  bool DONE = false;
  F->WS.async_write(asio::buffer(FRAME), [&](tErrorCode E, std::size_t) {
    EC = E;
    DONE = true;
  });
  if (!FINISH(
          F->IO(), [&] { return DONE; }, AFTERMS(F->TIMEOUTMS), [&] { F->ABORT(); })) {
    throw cClientError("a frame not sent within " + std::to_string(F->TIMEOUTMS) + " ms");
  }
  if (EC) {
    throw cClientError("cannot send a frame: " + EC.message());
  }
}

std::optional<tWsMessage> cWsConnection::TAKE() {
  if (F->INBOX.empty()) {
    return std::nullopt;
  }
  tWsMessage M = std::move(F->INBOX.front());
  F->INBOX.pop_front();
  --F->LOOP->WAITING;
  return M;
}

tWsMessage cWsConnection::NEXT(int TIMEOUTMS) {
  RUNUNTIL(
      F->IO(), [&] { return !F->INBOX.empty() || F->ENDED; }, AFTERMS(TIMEOUTMS));
  if (auto M = TAKE()) {
    return std::move(*M);
  }
  tWsMessage END;
  END.ATUS = NOWUS();
  if (F->ENDED) {
    END.CLOSECODE = F->CLOSECODE;
    END.TEXT = F->CLOSEREASON;
  }
  return END;
}

std::vector<std::string> cWsConnection::LINESUNTIL(const std::string& LAST, int TIMEOUTMS) {
  std::vector<std::string> LINES;
  std::string CLOSED;
  const int64_t DEADLINE = NOWMS() + TIMEOUTMS;
  for (;;) {
    const tWsMessage M = NEXT(static_cast<int>(std::max<int64_t>(DEADLINE - NOWMS(), 0)));
    if (M.KIND == tWsMessage::LINE) {
      LINES.push_back(M.TEXT);
      if (M.TEXT == LAST) {
        return LINES;
      }
    } else if (M.KIND == tWsMessage::CLOSED) {
      CLOSED = " after {\"closed\": \"" + M.TEXT + "\"}";
    } else if (M.KIND == tWsMessage::END) {
      const std::string WHY =
          F->ENDED ? "the WebSocket ended (close code " + std::to_string(M.CLOSECODE) + ")" + CLOSED
                   : "none within " + std::to_string(TIMEOUTMS) + " ms";
      throw cClientError(
          "waiting for the line \"" + LAST + "\" after " + std::to_string(LINES.size()) +
          " others" + (LINES.empty() ? "" : " (the last \"" + LINES.back() + "\")") + ": " + WHY);
    }
  }
}

void cWsConnection::CLOSE() {
  if (F->ENDED) {
    return;
  }
  tErrorCode EC;
  bool DONE = false;
  F->WS.async_close(websocket::close_code::normal, [&](tErrorCode E) {
    EC = E;
    DONE = true;
  });
  FINISH(
      F->IO(), [&] { return DONE && !F->READING; }, AFTERMS(F->TIMEOUTMS), [&] { F->ABORT(); });
  F->ENDED = true;
}

void cWsConnection::DROP() {
  F->ABORT();
}

bool cWsConnection::ENDED() const {
  return F->ENDED;
}

tHttpReply cWsConnection::HTTPGET(const std::string& HOST, uint16_t PORT, const std::string& METHOD,
                                  const std::string& TARGET,
                                  const std::vector<std::pair<std::string, std::string>>& HEADERS,
                                  int TIMEOUTMS) {
  asio::io_context IO(1);
  tcp::socket SOCKET(IO);
  const auto DEADLINE = AFTERMS(TIMEOUTMS);
  const std::string WHERE = HOST + ":" + std::to_string(PORT);
  CONNECT(IO, SOCKET, HOST, PORT, "", DEADLINE);
  http::request<http::empty_body> REQUEST;
  REQUEST.method_string(METHOD);
  REQUEST.target(TARGET);
  REQUEST.version(11);
  REQUEST.set(http::field::host, WHERE);
  for (const auto& [NAME, VALUE] : HEADERS) {
    REQUEST.set(NAME, VALUE);
  }
  tErrorCode EC;
  bool DONE = false;
  const auto ABORT = [&] { SOCKET.close(EC); };
  http::async_write(SOCKET, REQUEST, [&](tErrorCode E, std::size_t) {
    EC = E;
    DONE = true;
  });
  const bool SENT = FINISH(
      IO, [&] { return DONE; }, DEADLINE, ABORT);
  if (!SENT || EC) {
    throw cClientError(METHOD + " " + TARGET + " to " + WHERE + ": cannot send the request");
  }
  beast::flat_buffer BUFFER;
  http::response_parser<http::string_body> PARSER;
  PARSER.body_limit(64u << 20);
  // The reply to HEAD announces a body that does not follow.
  PARSER.skip(METHOD == "HEAD");
  DONE = false;
  http::async_read(SOCKET, BUFFER, PARSER, [&](tErrorCode E, std::size_t) {
    EC = E;
    DONE = true;
  });
  if (!FINISH(
          IO, [&] { return DONE; }, DEADLINE, ABORT)) {
    throw cClientError(METHOD + " " + TARGET + " to " + WHERE + ": no reply within " +
                       std::to_string(TIMEOUTMS) + " ms");
  }
  if (EC) {
    throw cClientError(METHOD + " " + TARGET + " to " + WHERE + ": " + EC.message());
  }
  const auto& RESPONSE = PARSER.get();
  tHttpReply R;
  R.STATUS = static_cast<int>(RESPONSE.result_int());
  for (const auto& FIELD : RESPONSE) {
    R.HEADERS.emplace_back(std::string(FIELD.name_string().data(), FIELD.name_string().size()),
                           std::string(FIELD.value().data(), FIELD.value().size()));
  }
  R.BODY = RESPONSE.body();
  SOCKET.close(EC);
  return R;
}
