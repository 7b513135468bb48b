// A page's WebSocket at /ws: reads the page's messages, drives its game
// session and writes what the session keeps for it, one message at a time.
// STREAM is a TCP stream, or a TLS stream over one.

#pragma once

#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>

#include "base/console.h"
#include "gateway.h"
#include "gathering.h"
#include "messages.h"
#include "session.h"

template <class STREAM>
class cPageSocket : public cBrowserLink,
                    public cStoppable,
                    public std::enable_shared_from_this<cPageSocket<STREAM>> {
 public:
  using tRequest = boost::beast::http::request<boost::beast::http::empty_body>;

  /// ADMITTED: the address had room (otherwise the socket only says why and closes).
  cPageSocket(cGateway& G, STREAM&& S, std::string ADDRESS, bool ADMITTED)
      : FGATEWAY(G),
        FWS(std::move(S)),
        FSTALL(G.IO()),
        FADDRESS(std::move(ADDRESS)),
        FADMITTED(ADMITTED),
        FSTART(std::chrono::steady_clock::now()) {
    FGATEWAY.ENLIST(*this);
  }
  ~cPageSocket() override {
    FGATEWAY.DELIST(*this);
    if (FADMITTED) {
      FGATEWAY.RELEASE(FADDRESS);
    }
  }

  /// Completes the upgrade asked by REQ, then reads the page.
  void START(tRequest REQ) {
    namespace websocket = boost::beast::websocket;
    boost::beast::get_lowest_layer(FWS).expires_never();
    websocket::stream_base::timeout T{};
    T.handshake_timeout = std::chrono::seconds(30);
    T.idle_timeout = std::chrono::seconds(2 * FGATEWAY.OPTIONS().PING);
    T.keep_alive_pings = true;
    FWS.set_option(T);
    FWS.set_option(websocket::stream_base::decorator([](websocket::response_type& R) {
      R.set(boost::beast::http::field::server, "royaumes-web");
    }));
    // Frames a little too big are read and refused with a message; only far
    // bigger ones are cut by the WebSocket layer itself.
    FWS.read_message_max(4 * PAGEFRAMEMAX);
    FWS.async_accept(REQ, [SELF = this->shared_from_this()](boost::beast::error_code EC) {
      if (EC) {
        SELF->FINISH("handshake failed");
        return;
      }
      SELF->FACCEPTED = true;
      CONSOLE("web: open " + SELF->FADDRESS);
      if (!SELF->FADMITTED) {
        SELF->CLOSEWITH("too many sockets from your address", ccPOLICY);
      } else if (SELF->FGATEWAY.STOPPING()) {
        SELF->CLOSEWITH("gateway stopping", ccGOINGAWAY);
      } else {
        SELF->READ();
      }
    });
  }

  void PUMP() override {
    WRITE();
    READ();
  }

  void TAKENOVER() override { CLOSEWITH("taken over by another tab", ccGOINGAWAY); }

  void STOP() override {
    if (FACCEPTED) {
      CLOSEWITH("gateway stopping", ccGOINGAWAY);
    } else {
      FORCE();
    }
  }

  void FORCE() override {
    boost::system::error_code IGNORED;
    boost::beast::get_lowest_layer(FWS).socket().close(IGNORED);
  }

 private:
  void READ() {
    if (FREADING || FCLOSING || FENDED || (FSESSION && !FSESSION->CANSEND())) {
      return;
    }
    FREADING = true;
    FWS.async_read(FIN,
                   [SELF = this->shared_from_this()](boost::beast::error_code EC, std::size_t) {
                     SELF->FREADING = false;
                     SELF->ONREAD(EC);
                   });
  }

  void ONREAD(boost::beast::error_code EC) {
    namespace websocket = boost::beast::websocket;
    if (EC) {
      // The WebSocket layer has already closed with its own code for a frame
      // too big or text that is not UTF-8: the game connection goes too.
      if (EC == websocket::error::message_too_big) {
        ENDSESSION();
        FINISH("frame too big");
      } else if (EC == websocket::error::bad_frame_payload) {
        ENDSESSION();
        FINISH("invalid UTF-8");
      } else if (EC == boost::beast::error::timeout) {
        FINISH("no answer to ping");
      } else {
        FINISH(EC == websocket::error::closed ? "page closed" : "network: " + EC.message());
      }
      return;
    }
    if (FCLOSING) {
      FIN.clear();
      READ();
      return;
    }
    const bool BINARY = FWS.got_binary();
    const std::string FRAME = boost::beast::buffers_to_string(FIN.data());
    FIN.clear();
    if (BINARY) {
      BAD("binary frame", ccUNSUPPORTED);
      return;
    }
    if (FRAME.size() > PAGEFRAMEMAX) {
      BAD("frame too big", ccTOOBIG);
      return;
    }
    tPageMessage M = PARSEPAGEMESSAGE(FRAME);
    const bool FIRST = FFIRST;
    FFIRST = false;
    switch (M.KIND) {
      case tPageMessage::BAD:
        BAD(M.TEXT, M.CODE);
        return;
      case tPageMessage::QUIT:
        ENDSESSION();
        CLOSEWITH("quit", ccNORMAL);
        return;
      case tPageMessage::RESUME:
        if (!FIRST) {
          BAD("resume must come first", ccPOLICY);
        } else {
          RESUME(M.TEXT);
        }
        return;
      case tPageMessage::LINE:
        if (FIRST) {
          FSESSION = FGATEWAY.SESSIONS().CREATE();
          FSESSION->ATTACH(*this);
          FSESSION->CONNECT(FGATEWAY.GAME());
        }
        ++FLINESIN;
        if (FSESSION) {
          FSESSION->SEND(M.TEXT);
        }
        READ();
        return;
    }
  }

  void RESUME(const std::string& TOKEN) {
    const auto S = FGATEWAY.SESSIONS().FIND(TOKEN);
    if (!S) {
      CLOSEWITH("unknown or expired session", ccNORMAL);
      return;
    }
    if (S->BROWSER() != nullptr) {
      S->BROWSER()->TAKENOVER();
    }
    if (!FGATEWAY.SESSIONS().FIND(TOKEN)) {
      CLOSEWITH("unknown or expired session", ccNORMAL);  // it ended as the other tab let go
      return;
    }
    S->RENEW();
    FSESSION = S;
    FSESSION->ATTACH(*this);
    PUMP();
  }

  void BAD(const std::string& WHY, sCloseCode CODE) {
    ENDSESSION();
    CLOSEWITH(WHY, CODE);
  }

  /// The game connection ends with the socket (a quit or a bad message).
  void ENDSESSION() {
    if (FSESSION) {
      FSESSION->END();
      FSESSION.reset();
    }
  }

  /// Says REASON to the page after what is being written, then closes with CODE.
  void CLOSEWITH(const std::string& REASON, sCloseCode CODE) {
    if (FCLOSING || FENDED) {
      return;
    }
    FCLOSING = true;
    FREASON = REASON;
    if (FSESSION) {
      FSESSION->DETACH(*this);
      FSESSION.reset();
    }
    FOWN.push_back(CLOSEDMESSAGE(REASON));
    FCLOSECODE = CODE;
    WRITE();
  }

  void WRITE() {
    if (FWRITING || FENDED || !FACCEPTED) {
      return;
    }
    // Several messages waiting leave together, in one write of at most
    // GATHERMAX bytes.
    auto& GATHER = FWS.next_layer();
    if (GATHER.GATHERING() && GATHER.GATHERED() >= GATHERMAX) {
      SENDGATHERED();
      return;
    }
    if (!GATHER.GATHERING() && FOWN.size() + (FSESSION ? FSESSION->SIZE() : 0) > 1) {
      GATHER.GATHER();
    }
    bool FROMSESSION = false;
    if (!FOWN.empty()) {
      FOUT = std::move(FOWN.front());
      FOWN.pop_front();
    } else if (FSESSION && !FSESSION->EMPTY()) {
      FOUT = FSESSION->FRONT().JSON;
      FROMSESSION = true;
    } else {
      if (GATHER.GATHERING()) {
        SENDGATHERED();
        return;
      }
      if (FCLOSING && !FCLOSESENT) {
        FCLOSESENT = true;
        FWRITING = true;
        FWS.async_close(boost::beast::websocket::close_code(FCLOSECODE),
                        [SELF = this->shared_from_this()](boost::beast::error_code) {
                          SELF->FWRITING = false;
                          SELF->FINISH(SELF->FREASON);
                        });
      }
      return;
    }
    FWRITING = true;
    FPROGRESS = std::chrono::steady_clock::now();
    if (!FSTALLARMED) {
      ARMSTALL(std::chrono::seconds(FGATEWAY.OPTIONS().STALL));
    }
    FWS.text(true);
    FWS.async_write(boost::asio::buffer(FOUT), [SELF = this->shared_from_this(), FROMSESSION](
                                                   boost::beast::error_code EC, std::size_t) {
      SELF->FWRITING = false;
      if (EC) {
        SELF->FINISH("network: " + EC.message());
        return;
      }
      SELF->FPROGRESS = std::chrono::steady_clock::now();
      if (FROMSESSION && SELF->FSESSION) {
        const tPageOut& FRONT = SELF->FSESSION->FRONT();
        const auto KIND = FRONT.KIND;
        const auto CODE = FRONT.CODE;
        const char* const REASON = FRONT.REASON;
        if (KIND == tPageOut::LINE) {
          ++SELF->FLINESOUT;
        }
        SELF->FSESSION->POP();
        if (KIND == tPageOut::LAST) {
          // The game connection ended and the page has read its end.
          SELF->FCLOSING = true;
          SELF->FREASON = REASON;
          SELF->FCLOSECODE = CODE;
          SELF->FSESSION->DETACH(*SELF);
          SELF->FSESSION.reset();
        }
      }
      SELF->PUMP();
    });
  }

  // A write that does not complete within --stall while the page's queue is
  // full: the browser reads nothing, and its game connection waits for it.
  // One timer per socket at most, looked at every --stall while it writes.
  void ARMSTALL(std::chrono::steady_clock::duration AFTER) {
    FSTALLARMED = true;
    FSTALL.expires_after(AFTER);
    FSTALL.async_wait([SELF = this->shared_from_this()](boost::system::error_code EC) {
      SELF->FSTALLARMED = false;
      if (EC || !SELF->FWRITING || SELF->FENDED) {
        return;
      }
      const auto STALL = std::chrono::seconds(SELF->FGATEWAY.OPTIONS().STALL);
      const auto WAITED = std::chrono::steady_clock::now() - SELF->FPROGRESS;
      if (WAITED >= STALL && (SELF->FCLOSING || (SELF->FSESSION && SELF->FSESSION->FULL()))) {
        SELF->FREASON = "too slow to read";
        SELF->FORCE();
      } else {
        SELF->ARMSTALL(WAITED >= STALL ? STALL : STALL - WAITED);
      }
    });
  }

  void SENDGATHERED() {
    FWRITING = true;
    FWS.next_layer().SEND([SELF = this->shared_from_this()](boost::beast::error_code EC) {
      SELF->FWRITING = false;
      if (EC) {
        SELF->FINISH("network: " + EC.message());
        return;
      }
      SELF->FPROGRESS = std::chrono::steady_clock::now();
      SELF->PUMP();
    });
  }

  /// The socket is done: the session waits for a page to come back, and one
  /// console line says how the socket went.
  void FINISH(const std::string& REASON) {
    if (FENDED) {
      return;
    }
    FENDED = true;
    FSTALL.cancel();
    if (FSESSION) {
      FSESSION->DETACH(*this);
      FSESSION.reset();
    }
    FORCE();
    if (FACCEPTED) {
      const double SECONDS =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - FSTART).count();
      char AFTER[32];
      std::snprintf(AFTER, sizeof AFTER, "%.1f", SECONDS);
      CONSOLE("web: close " + FADDRESS + " after " + AFTER + " s, " + std::to_string(FLINESIN) +
              " lines in, " + std::to_string(FLINESOUT) + " lines out (" +
              (FREASON.empty() ? REASON : FREASON) + ")");
    }
  }

  cGateway& FGATEWAY;
  static constexpr std::size_t GATHERMAX = 64 * 1024;
  boost::beast::websocket::stream<cGatheringStream<STREAM>> FWS;
  boost::asio::steady_timer FSTALL;
  boost::beast::flat_buffer FIN;
  std::shared_ptr<cGameSession> FSESSION;
  std::deque<std::string> FOWN;
  std::string FOUT;
  std::string FADDRESS;
  std::string FREASON;
  bool FADMITTED;
  std::chrono::steady_clock::time_point FSTART;
  sCloseCode FCLOSECODE = ccNORMAL;
  std::chrono::steady_clock::time_point FPROGRESS;
  unsigned long FLINESIN = 0;
  unsigned long FLINESOUT = 0;
  bool FACCEPTED = false;
  bool FFIRST = true;
  bool FREADING = false;
  bool FWRITING = false;
  bool FCLOSING = false;
  bool FCLOSESENT = false;
  bool FSTALLARMED = false;
  bool FENDED = false;
};
