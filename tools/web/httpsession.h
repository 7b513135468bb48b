// One browser connection before any WebSocket: HTTP requests for the page's
// files and /rules.json, kept alive, until one asks for the upgrade at /ws.
// STREAM is a TCP stream, or a TLS stream over one.

#pragma once

#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "files.h"
#include "gateway.h"
#include "pagesocket.h"

/// The headers every reply carries: only the gateway's own origin may
/// provide scripts, styles, images or sockets, and types are never guessed.
template <class RESPONSE>
void SECURITYHEADERS(RESPONSE& R) {
  namespace http = boost::beast::http;
  R.set(http::field::server, "royaumes-web");
  R.set("Content-Security-Policy",
        "default-src 'self'; connect-src 'self'; img-src 'self' data:; object-src 'none'; "
        "base-uri 'none'; form-action 'self'; frame-ancestors 'none'");
  R.set("X-Content-Type-Options", "nosniff");
  R.set("Referrer-Policy", "no-referrer");
  R.set(http::field::cache_control, "no-cache");
}

template <class STREAM>
class cHttpSession : public cStoppable, public std::enable_shared_from_this<cHttpSession<STREAM>> {
 public:
  static constexpr bool TLS = !std::is_same_v<STREAM, boost::beast::tcp_stream>;
  static constexpr auto IDLE = std::chrono::seconds(30);

  cHttpSession(cGateway& G, STREAM&& S, std::string PEER)
      : FGATEWAY(G), FSTREAM(std::move(S)), FPEER(std::move(PEER)) {
    FGATEWAY.ENLIST(*this);
  }
  ~cHttpSession() override { FGATEWAY.DELIST(*this); }

  void START() {
    if constexpr (TLS) {
      boost::beast::get_lowest_layer(FSTREAM).expires_after(IDLE);
      FSTREAM.async_handshake(boost::asio::ssl::stream_base::server,
                              [SELF = this->shared_from_this()](boost::beast::error_code EC) {
                                if (!EC) {
                                  SELF->READ();
                                }
                              });
    } else {
      READ();
    }
  }

  void STOP() override { FORCE(); }
  void FORCE() override {
    boost::system::error_code IGNORED;
    boost::beast::get_lowest_layer(FSTREAM).socket().close(IGNORED);
  }

 private:
  using tRequest = boost::beast::http::request<boost::beast::http::empty_body>;
  using tResponse = boost::beast::http::response<boost::beast::http::string_body>;

  void READ() {
    FPARSER.emplace();
    FPARSER->header_limit(8192);
    FPARSER->body_limit(0);
    boost::beast::get_lowest_layer(FSTREAM).expires_after(IDLE);
    boost::beast::http::async_read(
        FSTREAM, FBUFFER, *FPARSER,
        [SELF = this->shared_from_this()](boost::beast::error_code EC, std::size_t) {
          if (!EC && !SELF->FGATEWAY.STOPPING()) {
            SELF->ONREQUEST(SELF->FPARSER->release());
          }
        });
  }

  void ONREQUEST(tRequest REQ) {
    namespace http = boost::beast::http;
    const std::string TARGET(REQ.target());
    const std::string PATH = TARGET.substr(0, TARGET.find_first_of("?#"));
    if (boost::beast::websocket::is_upgrade(REQ) && PATH == "/ws") {
      UPGRADE(std::move(REQ));
      return;
    }
    auto R = std::make_shared<tResponse>();
    R->version(REQ.version());
    R->keep_alive(REQ.keep_alive());
    SECURITYHEADERS(*R);
    if (REQ.method() != http::verb::get && REQ.method() != http::verb::head) {
      R->result(http::status::method_not_allowed);
      R->set(http::field::allow, "GET, HEAD");
      PLAIN(*R, "Only GET and HEAD are served here.\n");
    } else if (PATH == "/ws") {
      R->result(http::status::upgrade_required);
      R->set(http::field::upgrade, "websocket");
      PLAIN(*R, "/ws is a WebSocket.\n");
    } else if (PATH == "/rules.json") {
      R->result(http::status::ok);
      R->set(http::field::content_type, "application/json");
      R->body() = FGATEWAY.RULES();
    } else {
      tFileReply F = PAGEFILE(FGATEWAY.WWW(), TARGET);
      if (F.STATUS == 200) {
        R->result(http::status::ok);
        R->set(http::field::content_type, F.TYPE);
        R->body() = std::move(F.BODY);
      } else {
        R->result(http::status::not_found);
        PLAIN(*R, "Not found.\n");
      }
    }
    R->prepare_payload();
    if (REQ.method() == http::verb::head) {
      const auto LENGTH = R->body().size();
      R->body().clear();
      R->content_length(LENGTH);
    }
    http::async_write(
        FSTREAM, *R,
        [SELF = this->shared_from_this(), R](boost::beast::error_code EC, std::size_t) {
          if (EC || !R->keep_alive()) {
            SELF->SHUTDOWN();
          } else {
            SELF->READ();
          }
        });
  }

  static void PLAIN(tResponse& R, const char* TEXT) {
    R.set(boost::beast::http::field::content_type, "text/plain; charset=utf-8");
    R.body() = TEXT;
  }

  void UPGRADE(tRequest REQ) {
    namespace http = boost::beast::http;
    const std::string ORIGIN(REQ[http::field::origin]);
    if (!FGATEWAY.ORIGINALLOWED(ORIGIN, std::string(REQ[http::field::host]))) {
      CONSOLE("web: refused a socket from " + FPEER + " for the page of another origin");
      auto R = std::make_shared<tResponse>();
      R->version(REQ.version());
      R->result(http::status::forbidden);
      R->keep_alive(false);
      SECURITYHEADERS(*R);
      PLAIN(*R, "This page's origin may not open a socket here.\n");
      R->prepare_payload();
      http::async_write(
          FSTREAM, *R, [SELF = this->shared_from_this(), R](boost::beast::error_code, std::size_t) {
            SELF->SHUTDOWN();
          });
      return;
    }
    const std::string ADDRESS = FGATEWAY.BROWSERADDRESS(FPEER, std::string(REQ["X-Forwarded-For"]));
    const bool ADMITTED = FGATEWAY.ADMIT(ADDRESS);
    std::make_shared<cPageSocket<STREAM>>(FGATEWAY, std::move(FSTREAM), ADDRESS, ADMITTED)
        ->START(std::move(REQ));
  }

  void SHUTDOWN() {
    if constexpr (TLS) {
      FORCE();
    } else {
      boost::system::error_code IGNORED;
      FSTREAM.socket().shutdown(boost::asio::ip::tcp::socket::shutdown_send, IGNORED);
    }
  }

  cGateway& FGATEWAY;
  STREAM FSTREAM;
  std::string FPEER;
  boost::beast::flat_buffer FBUFFER;
  std::optional<boost::beast::http::request_parser<boost::beast::http::empty_body>> FPARSER;
};
