#include "gateway.h"

#include <boost/asio/ip/address.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/ssl.hpp>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <stdexcept>

#include "base/console.h"
#include "httpsession.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;

namespace {

std::string LOWER(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(),
                 [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return S;
}

std::string TRIM(const std::string& S) {
  const auto B = S.find_first_not_of(" \t");
  return B == std::string::npos ? "" : S.substr(B, S.find_last_not_of(" \t") - B + 1);
}

// How long the sockets have to say "gateway stopping" before they are cut.
constexpr auto STOPDEADLINE = std::chrono::seconds(3);

}  // namespace

cGateway::cGateway(asio::io_context& IO, tWebOptions OPTIONS, std::string RULESJSON)
    : FIO(IO),
      FOPTIONS(std::move(OPTIONS)),
      FRULES(std::move(RULESJSON)),
      FACCEPTOR(IO),
      FSIGNALS(IO, SIGINT, SIGTERM),
      FRETRY(IO),
      FDEADLINE(IO),
      FSESSIONS(IO, FOPTIONS.GRACE) {
  std::error_code EC;
  FWWW = std::filesystem::canonical(FOPTIONS.WWW, EC);
  if (EC || !std::filesystem::is_directory(FWWW)) {
    throw std::runtime_error("the page's directory " + FOPTIONS.WWW + " cannot be read");
  }
  boost::system::error_code BEC;
  tcp::resolver R(IO);
  for (const auto& E : R.resolve(FOPTIONS.GAME.HOST, std::to_string(FOPTIONS.GAME.PORT), BEC)) {
    FGAME.push_back(E.endpoint());
  }
  if (BEC || FGAME.empty()) {
    throw std::runtime_error("the game server's host " + FOPTIONS.GAME.HOST +
                             " cannot be resolved: " + BEC.message());
  }
  if (!FOPTIONS.CERT.empty()) {
    FTLS.emplace(asio::ssl::context::tls_server);
    FTLS->set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                      asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                      asio::ssl::context::no_tlsv1_1);
    FTLS->use_certificate_chain_file(FOPTIONS.CERT, BEC);
    if (!BEC) {
      FTLS->use_private_key_file(FOPTIONS.KEY, asio::ssl::context::pem, BEC);
    }
    if (BEC) {
      throw std::runtime_error("the certificate " + FOPTIONS.CERT + " or its key " + FOPTIONS.KEY +
                               " cannot be used: " + BEC.message());
    }
  }
  const auto ADDRESS = asio::ip::make_address(FOPTIONS.LISTEN.HOST, BEC);
  if (BEC) {
    throw std::runtime_error("cannot listen on " + FOPTIONS.LISTEN.HOST + ": not an address");
  }
  const tcp::endpoint HERE(ADDRESS, FOPTIONS.LISTEN.PORT);
  FACCEPTOR.open(HERE.protocol(), BEC);
  if (!BEC) {
    FACCEPTOR.set_option(asio::socket_base::reuse_address(true), BEC);
    FACCEPTOR.bind(HERE, BEC);
  }
  if (!BEC) {
    FACCEPTOR.listen(asio::socket_base::max_listen_connections, BEC);
  }
  if (BEC) {
    throw std::runtime_error("cannot listen on " + FOPTIONS.LISTEN.HOST + ":" +
                             std::to_string(FOPTIONS.LISTEN.PORT) + ": " + BEC.message());
  }
}

void cGateway::START() {
  std::signal(SIGPIPE, SIG_IGN);
  FSIGNALS.async_wait([this](boost::system::error_code EC, int) {
    if (!EC) {
      STOP();
    }
  });
  CONSOLE(std::string("royaumes-web listening on ") + (FTLS ? "https" : "http") + "://" +
          FOPTIONS.LISTEN.HOST + ":" + std::to_string(LOCAL().port()) + "/ (game at " +
          FOPTIONS.GAME.HOST + ":" + std::to_string(FOPTIONS.GAME.PORT) + ", page from " +
          FWWW.string() + ")");
  ACCEPT();
}

void cGateway::ACCEPT() {
  FACCEPTOR.async_accept([this](boost::system::error_code EC, tcp::socket S) {
    if (FSTOPPING) {
      return;
    }
    if (EC) {
      // Out of descriptors, most often: try again a little later rather than spin.
      CONSOLE("web: cannot accept: " + EC.message());
      FRETRY.expires_after(std::chrono::milliseconds(100));
      FRETRY.async_wait([this](boost::system::error_code E) {
        if (!E) {
          ACCEPT();
        }
      });
      return;
    }
    boost::system::error_code IGNORED;
    S.set_option(tcp::no_delay(true), IGNORED);
    const auto PEER = S.remote_endpoint(IGNORED).address().to_string();
    if (FTLS) {
      std::make_shared<cHttpSession<beast::ssl_stream<beast::tcp_stream>>>(
          *this, beast::ssl_stream<beast::tcp_stream>(std::move(S), *FTLS), PEER)
          ->START();
    } else {
      std::make_shared<cHttpSession<beast::tcp_stream>>(*this, beast::tcp_stream(std::move(S)),
                                                        PEER)
          ->START();
    }
    ACCEPT();
  });
}

void cGateway::STOP() {
  if (FSTOPPING) {
    return;
  }
  FSTOPPING = true;
  CONSOLE("royaumes-web stopping: closing " + std::to_string(FLIVE.size()) + " connections");
  boost::system::error_code IGNORED;
  FACCEPTOR.close(IGNORED);
  FSIGNALS.cancel(IGNORED);
  FRETRY.cancel();
  for (cStoppable* C : std::vector<cStoppable*>(FLIVE.begin(), FLIVE.end())) {
    if (FLIVE.count(C) != 0) {
      C->STOP();
    }
  }
  FSESSIONS.ENDALL();
  FDEADLINE.expires_after(STOPDEADLINE);
  FDEADLINE.async_wait([this](boost::system::error_code EC) {
    if (!EC) {
      for (cStoppable* C : std::vector<cStoppable*>(FLIVE.begin(), FLIVE.end())) {
        C->FORCE();
      }
    }
  });
}

bool cGateway::ADMIT(const std::string& ADDRESS) {
  unsigned& N = FPERADDRESS[ADDRESS];
  if (N >= FOPTIONS.PERADDRESS) {
    if (N == 0) {
      FPERADDRESS.erase(ADDRESS);
    }
    return false;
  }
  ++N;
  return true;
}

void cGateway::RELEASE(const std::string& ADDRESS) {
  const auto I = FPERADDRESS.find(ADDRESS);
  if (I != FPERADDRESS.end() && --I->second == 0) {
    FPERADDRESS.erase(I);
  }
}

void cGateway::DELIST(cStoppable& C) {
  FLIVE.erase(&C);
  if (FSTOPPING && FLIVE.empty()) {
    FDEADLINE.cancel();  // everyone has gone: the loop may end now
  }
}

bool cGateway::ORIGINALLOWED(const std::string& ORIGIN, const std::string& HOST) const {
  if (ORIGIN.empty()) {
    return true;  // not a browser: a browser always says where its page comes from
  }
  std::string O = LOWER(ORIGIN);
  while (O.ends_with('/')) {
    O.pop_back();
  }
  if (!FOPTIONS.ORIGINS.empty()) {
    return std::any_of(FOPTIONS.ORIGINS.begin(), FOPTIONS.ORIGINS.end(), [&](std::string A) {
      A = LOWER(A);
      while (A.ends_with('/')) {
        A.pop_back();
      }
      return A == O;
    });
  }
  const auto SCHEME = O.find("://");
  return SCHEME != std::string::npos && !HOST.empty() && O.substr(SCHEME + 3) == LOWER(HOST);
}

std::string cGateway::BROWSERADDRESS(const std::string& PEER, const std::string& FORWARDED) const {
  if (FORWARDED.empty() ||
      std::find(FOPTIONS.PROXIES.begin(), FOPTIONS.PROXIES.end(), PEER) == FOPTIONS.PROXIES.end()) {
    return PEER;
  }
  const auto COMMA = FORWARDED.rfind(',');
  const std::string LAST =
      TRIM(COMMA == std::string::npos ? FORWARDED : FORWARDED.substr(COMMA + 1));
  return LAST.empty() ? PEER : LAST;
}
