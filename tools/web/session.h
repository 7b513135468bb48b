// A game connection of the gateway: the TCP connection to the game server
// that a page's socket drives, the messages that wait for the page, and the
// grace during which it waits for a page that went away.

#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <array>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "messages.h"

/// What a game session sees of the page's socket it is attached to.
class cBrowserLink {
 public:
  virtual ~cBrowserLink() = default;
  /// Messages wait in the session's queue, or the game took what waited for it.
  virtual void PUMP() = 0;
  /// Another socket resumed the session: this one says so and closes.
  virtual void TAKENOVER() = 0;
};

/// A message waiting for the page.
struct tPageOut {
  enum sKind { LINE, SESSION, LAST } KIND = LINE;
  std::string JSON;
  /// LAST: the code the socket closes with once it is written, and why.
  sCloseCode CODE = ccNORMAL;
  const char* REASON = "";
};

class cSessionTable;

/// One game connection: opened with a page's first line, kept while a page
/// is attached, and for the grace time after its page went away without
/// quitting. What the game server sends waits in a queue of at most QUEUEMAX
/// bytes; the game connection is read only while the queue has room.
class cGameSession : public std::enable_shared_from_this<cGameSession> {
 public:
  static constexpr std::size_t QUEUEMAX = 64 * 1024;
  /// Most bytes waiting for the game server before the page is no longer read.
  static constexpr std::size_t TOGAMEMAX = 16 * 1024;

  cGameSession(boost::asio::io_context& IO, cSessionTable& TABLE, std::string TOKEN);
  cGameSession(const cGameSession&) = delete;
  cGameSession& operator=(const cGameSession&) = delete;

  /// Opens the game connection; on success the session message and the
  /// game's lines follow in the queue, on failure "game server unreachable".
  void CONNECT(const std::vector<boost::asio::ip::tcp::endpoint>& GAME);
  /// LATIN1 and a CR for the game server (sent once the connection is open).
  void SEND(const std::string& LATIN1);
  /// Whether the page may be read: what waits for the game server has room.
  bool CANSEND() const { return FTOGAMEBYTES < TOGAMEMAX; }

  void ATTACH(cBrowserLink& BROWSER);
  /// The page went away: the grace starts (or the session ends when nothing
  /// is left for a page to take).
  void DETACH(cBrowserLink& BROWSER);
  cBrowserLink* BROWSER() const { return FBROWSER; }
  /// A fresh token replaces the old one, and the session message for it goes
  /// first in the queue (a stale one is dropped).
  void RENEW();
  /// Closes the game connection at once and forgets the session.
  void END();

  bool EMPTY() const { return FQUEUE.empty(); }
  std::size_t SIZE() const { return FQUEUE.size(); }
  bool FULL() const { return FQUEUEBYTES >= QUEUEMAX; }
  const tPageOut& FRONT() const { return FQUEUE.front(); }
  /// Drops the front message, written to the page; reads the game again when
  /// that made room.
  void POP();
  const std::string& TOKEN() const { return FTOKEN; }

 private:
  void PUSH(tPageOut OUT);
  void READ();
  void WRITE();
  void GAMEENDED(const char* REASON, sCloseCode CODE);
  void NOTIFY();

  boost::asio::ip::tcp::socket FSOCKET;
  boost::asio::steady_timer FGRACE;
  cSessionTable& FTABLE;
  std::string FTOKEN;
  cBrowserLink* FBROWSER = nullptr;
  std::deque<tPageOut> FQUEUE;
  std::size_t FQUEUEBYTES = 0;
  std::deque<std::string> FTOGAME;
  std::size_t FTOGAMEBYTES = 0;
  std::array<char, 4096> FREADBUF{};
  cLineSplitter FLINES;
  bool FOPEN = false;
  bool FREADING = false;
  bool FWRITING = false;
  bool FENDED = false;
  bool FFORGOTTEN = false;
};

/// The game sessions by token; a token works once.
class cSessionTable {
 public:
  cSessionTable(boost::asio::io_context& IO, unsigned GRACE) : FIO(IO), FGRACE(GRACE) {}
  /// A new session with a fresh token.
  std::shared_ptr<cGameSession> CREATE();
  /// The session of TOKEN, or nothing.
  std::shared_ptr<cGameSession> FIND(const std::string& TOKEN) const;
  /// Gives SESSION a fresh token in place of OLD.
  std::string RENEW(const std::string& OLD);
  void FORGET(const std::string& TOKEN);
  /// Ends every session (the gateway stops).
  void ENDALL();
  unsigned GRACE() const { return FGRACE; }
  std::size_t SIZE() const { return FSESSIONS.size(); }
  /// 128 bits of the system's random source as 32 hexadecimal digits.
  static std::string NEWTOKEN();

 private:
  boost::asio::io_context& FIO;
  unsigned FGRACE;
  std::map<std::string, std::shared_ptr<cGameSession>> FSESSIONS;
};
