#include "session.h"

#include <sys/random.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/write.hpp>

#include <cerrno>
#include <stdexcept>

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

cGameSession::cGameSession(asio::io_context& IO, cSessionTable& TABLE, std::string TOKEN)
    : FSOCKET(IO), FGRACE(IO), FTABLE(TABLE), FTOKEN(std::move(TOKEN)) {}

void cGameSession::CONNECT(const std::vector<tcp::endpoint>& GAME) {
  asio::async_connect(
      FSOCKET, GAME,
      [SELF = shared_from_this()](boost::system::error_code EC, const tcp::endpoint&) {
        if (SELF->FENDED) {
          return;
        }
        if (EC) {
          SELF->GAMEENDED("game server unreachable", ccTRYLATER);
          return;
        }
        boost::system::error_code IGNORED;
        SELF->FSOCKET.set_option(tcp::no_delay(true), IGNORED);
        SELF->FOPEN = true;
        SELF->PUSH({tPageOut::SESSION, SESSIONMESSAGE(SELF->FTOKEN, SELF->FTABLE.GRACE())});
        SELF->READ();
        SELF->WRITE();
        SELF->NOTIFY();
      });
}

void cGameSession::SEND(const std::string& LATIN1) {
  if (FENDED) {
    return;
  }
  FTOGAME.push_back(LATIN1 + '\r');
  FTOGAMEBYTES += LATIN1.size() + 1;
  WRITE();
}

void cGameSession::WRITE() {
  if (!FOPEN || FWRITING || FTOGAME.empty()) {
    return;
  }
  FWRITING = true;
  asio::async_write(FSOCKET, asio::buffer(FTOGAME.front()),
                    [SELF = shared_from_this()](boost::system::error_code EC, std::size_t) {
                      SELF->FWRITING = false;
                      if (EC || SELF->FENDED) {
                        return;  // the read side sees the end and says so
                      }
                      SELF->FTOGAMEBYTES -= SELF->FTOGAME.front().size();
                      SELF->FTOGAME.pop_front();
                      SELF->WRITE();
                      SELF->NOTIFY();
                    });
}

void cGameSession::READ() {
  if (!FOPEN || FREADING || FENDED || FULL()) {
    return;
  }
  FREADING = true;
  FSOCKET.async_read_some(asio::buffer(FREADBUF),
                          [SELF = shared_from_this()](boost::system::error_code EC, std::size_t N) {
                            SELF->FREADING = false;
                            if (SELF->FENDED) {
                              return;
                            }
                            if (EC) {
                              SELF->GAMEENDED("game connection closed", ccNORMAL);
                              return;
                            }
                            std::vector<std::string> LINES;
                            SELF->FLINES.FEED(std::string_view(SELF->FREADBUF.data(), N), LINES);
                            for (const auto& L : LINES) {
                              SELF->PUSH({tPageOut::LINE, LINEMESSAGE(L)});
                            }
                            SELF->READ();
                            SELF->NOTIFY();
                          });
}

void cGameSession::GAMEENDED(const char* REASON, sCloseCode CODE) {
  FOPEN = false;
  boost::system::error_code IGNORED;
  FSOCKET.close(IGNORED);
  if (!FLINES.PARTIAL().empty()) {
    PUSH({tPageOut::LINE, LINEMESSAGE(FLINES.PARTIAL())});
  }
  PUSH({tPageOut::LAST, CLOSEDMESSAGE(REASON), CODE, REASON});
  FENDED = true;  // a page still attached, or coming back within the grace, reads the end
  NOTIFY();
}

void cGameSession::PUSH(tPageOut OUT) {
  FQUEUEBYTES += OUT.JSON.size();
  FQUEUE.push_back(std::move(OUT));
}

void cGameSession::NOTIFY() {
  if (FBROWSER != nullptr) {
    FBROWSER->PUMP();
  }
}

void cGameSession::POP() {
  FQUEUEBYTES -= FQUEUE.front().JSON.size();
  FQUEUE.pop_front();
  READ();
}

void cGameSession::ATTACH(cBrowserLink& BROWSER) {
  FBROWSER = &BROWSER;
  FGRACE.cancel();
}

void cGameSession::DETACH(cBrowserLink& BROWSER) {
  if (FBROWSER != &BROWSER) {
    return;
  }
  FBROWSER = nullptr;
  if (FENDED && FQUEUE.empty()) {
    END();
    return;
  }
  FGRACE.expires_after(std::chrono::seconds(FTABLE.GRACE()));
  FGRACE.async_wait([SELF = shared_from_this()](boost::system::error_code EC) {
    if (!EC && SELF->FBROWSER == nullptr) {
      SELF->END();
    }
  });
}

void cGameSession::RENEW() {
  for (auto I = FQUEUE.begin(); I != FQUEUE.end();) {
    if (I->KIND == tPageOut::SESSION) {
      FQUEUEBYTES -= I->JSON.size();
      I = FQUEUE.erase(I);
    } else {
      ++I;
    }
  }
  FTOKEN = FTABLE.RENEW(FTOKEN);
  tPageOut OUT{tPageOut::SESSION, SESSIONMESSAGE(FTOKEN, FTABLE.GRACE())};
  FQUEUEBYTES += OUT.JSON.size();
  FQUEUE.push_front(std::move(OUT));
}

void cGameSession::END() {
  FENDED = true;
  FOPEN = false;
  boost::system::error_code IGNORED;
  FSOCKET.close(IGNORED);
  FGRACE.cancel();
  if (!FFORGOTTEN) {
    FFORGOTTEN = true;
    const auto SELF = shared_from_this();  // the table may hold the last owner
    FTABLE.FORGET(FTOKEN);
  }
}

std::shared_ptr<cGameSession> cSessionTable::CREATE() {
  std::string TOKEN = NEWTOKEN();
  auto S = std::make_shared<cGameSession>(FIO, *this, TOKEN);
  FSESSIONS.emplace(std::move(TOKEN), S);
  return S;
}

std::shared_ptr<cGameSession> cSessionTable::FIND(const std::string& TOKEN) const {
  const auto I = FSESSIONS.find(TOKEN);
  return I == FSESSIONS.end() ? nullptr : I->second;
}

std::string cSessionTable::RENEW(const std::string& OLD) {
  auto NODE = FSESSIONS.extract(OLD);
  std::string TOKEN = NEWTOKEN();
  if (!NODE.empty()) {
    NODE.key() = TOKEN;
    FSESSIONS.insert(std::move(NODE));
  }
  return TOKEN;
}

void cSessionTable::FORGET(const std::string& TOKEN) {
  FSESSIONS.erase(TOKEN);
}

void cSessionTable::ENDALL() {
  while (!FSESSIONS.empty()) {
    const auto S = FSESSIONS.begin()->second;
    S->END();
  }
}

std::string cSessionTable::NEWTOKEN() {
  unsigned char BYTES[16];
  std::size_t GOT = 0;
  while (GOT < sizeof BYTES) {
    const ssize_t N = getrandom(BYTES + GOT, sizeof BYTES - GOT, 0);
    if (N <= 0) {
      if (N < 0 && errno == EINTR) {
        continue;
      }
      throw std::runtime_error("the system's random source fails");
    }
    GOT += static_cast<std::size_t>(N);
  }
  static const char* const HEX = "0123456789abcdef";
  std::string T;
  for (const unsigned char B : BYTES) {
    T += HEX[B >> 4];
    T += HEX[B & 15];
  }
  return T;
}
