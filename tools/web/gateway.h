// The gateway: one io_context on one thread, every operation asynchronous.
// It listens for browsers, serves the page's files and /rules.json, and
// gives each WebSocket at /ws a game session of its own.

#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "options.h"
#include "session.h"

/// A connection the gateway closes when it stops.
class cStoppable {
 public:
  virtual ~cStoppable() = default;
  /// Says "gateway stopping" where it can and closes.
  virtual void STOP() = 0;
  /// Closes the socket at once (what STOP could not finish in time).
  virtual void FORCE() = 0;
};

/// The gateway of one command line.
class cGateway {
 public:
  /// Resolves the game server, reads the certificate when given and listens.
  /// Throws std::runtime_error with the reason when one of them fails.
  cGateway(boost::asio::io_context& IO, tWebOptions OPTIONS, std::string RULESJSON);
  cGateway(const cGateway&) = delete;
  cGateway& operator=(const cGateway&) = delete;

  /// Accepts browsers until SIGINT or SIGTERM (or STOP).
  void START();
  /// Closes every socket with "gateway stopping" and lets the loop end.
  void STOP();
  /// The address and port listened on.
  boost::asio::ip::tcp::endpoint LOCAL() const { return FACCEPTOR.local_endpoint(); }

  boost::asio::io_context& IO() { return FIO; }
  const tWebOptions& OPTIONS() const { return FOPTIONS; }
  cSessionTable& SESSIONS() { return FSESSIONS; }
  const std::vector<boost::asio::ip::tcp::endpoint>& GAME() const { return FGAME; }
  const std::string& RULES() const { return FRULES; }
  const std::filesystem::path& WWW() const { return FWWW; }
  bool STOPPING() const { return FSTOPPING; }

  void ENLIST(cStoppable& C) { FLIVE.insert(&C); }
  void DELIST(cStoppable& C);
  /// Takes a socket for ADDRESS when it has fewer than --per-address; false when full.
  bool ADMIT(const std::string& ADDRESS);
  void RELEASE(const std::string& ADDRESS);
  /// Whether a page of ORIGIN (an Origin header; empty when absent) may open
  /// a socket on the gateway reached as HOST (the Host header).
  bool ORIGINALLOWED(const std::string& ORIGIN, const std::string& HOST) const;
  /// The browser's address: PEER's, or the last of FORWARDED (X-Forwarded-For)
  /// when PEER is a trusted proxy.
  std::string BROWSERADDRESS(const std::string& PEER, const std::string& FORWARDED) const;

 private:
  void ACCEPT();

  boost::asio::io_context& FIO;
  tWebOptions FOPTIONS;
  std::string FRULES;
  std::filesystem::path FWWW;
  std::vector<boost::asio::ip::tcp::endpoint> FGAME;
  std::optional<boost::asio::ssl::context> FTLS;
  boost::asio::ip::tcp::acceptor FACCEPTOR;
  boost::asio::signal_set FSIGNALS;
  boost::asio::steady_timer FRETRY;
  boost::asio::steady_timer FDEADLINE;
  cSessionTable FSESSIONS;
  std::unordered_set<cStoppable*> FLIVE;
  std::map<std::string, unsigned> FPERADDRESS;
  bool FSTOPPING = false;
};
