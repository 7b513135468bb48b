#include "line.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "process.h"

namespace {

const char* const ENDLINE = "END RETURN";

// A player record is a few hundred lines; a reply that never reaches its map
// is not one.
constexpr std::size_t MAXRECORDLINES = 100000;

int LEFTMS(int64_t DEADLINE) {
  return static_cast<int>(std::max<int64_t>(DEADLINE - NOWMS(), 0));
}

}  // namespace

std::string NORMALISECOMMAND(const std::string& COMMAND) {
  std::string R;
  bool SPACE = false;
  for (const char C : COMMAND) {
    if (C == ' ') {
      SPACE = !R.empty();
      continue;
    }
    if (SPACE) {
      R += ' ';
      SPACE = false;
    }
    R += static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
  }
  return R;
}

int ENDBLOCKSOF(const std::string& COMMAND) {
  const std::string C = NORMALISECOMMAND(COMMAND);
  if (C == "SERVER WHOAMI" || C == "SERVER QUIT" || C == "ADMIN SHUTDOWN") {
    return 0;
  }
  // The short catalogue query also matches the player's own stock query.
  return C == "GET GAME RESSOURCES" ? 2 : 1;
}

long COUNTAFTER(const std::string& LINE, const std::string& PREFIX) {
  if (LINE.compare(0, PREFIX.size(), PREFIX) != 0) {
    return -1;
  }
  const std::string DIGITS = LINE.substr(PREFIX.size());
  if (DIGITS.empty() || DIGITS.size() > 6 ||
      DIGITS.find_first_not_of("0123456789") != std::string::npos) {
    return -1;
  }
  return std::stol(DIGITS);
}

bool cReplyReader::FEED(const std::string& LINE) {
  if (!FCOMPLETE && (FLEFT <= 0 || (LINE == ENDLINE && --FLEFT == 0))) {
    FCOMPLETE = true;
  }
  return FCOMPLETE;
}

cLogin::cLogin(std::string NAME, std::string PASSWORD, sPlayer PLAYER, std::string RACE)
    : FNAME(std::move(NAME)),
      FPASSWORD(std::move(PASSWORD)),
      FRACE(std::move(RACE)),
      FPLAYER(PLAYER) {}

const char* cLogin::STEP() const {
  static const char* const STEPS[] = {"waiting for the greeting",
                                      "waiting for the greeting",
                                      "sent its account name",
                                      "sent its password",
                                      "waiting for the race menu",
                                      "reading the race menu",
                                      "reading the race menu",
                                      "chose its race",
                                      "chose its race",
                                      "chose its race",
                                      "chose its race",
                                      "waiting for its name",
                                      "in play"};
  return STEPS[FSTAGE];
}

std::string cLogin::REFUSE(const std::string& WHY) {
  FERROR = WHY;
  return {};
}

std::string cLogin::FEED(const std::string& LINE) {
  static const char* const EXPECTED[] = {"Welcome", "login", "mot de passe", "en jeu"};
  if (FAILED() || DONE()) {
    return {};
  }
  if (FSTAGE <= stPASSWORD && LINE != EXPECTED[FSTAGE]) {
    return REFUSE(std::string("expected \"") + EXPECTED[FSTAGE] + "\", got \"" + LINE + "\"");
  }
  if (FSTAGE >= stRECORD && FSTAGE <= stEND) {
    FRECORDLINES.push_back(LINE);
  }
  // The race is sent once the question has come whole, to a NEW player.
  const std::string RACE = FPLAYER == NEW ? FRACE + "\r\n" : std::string();
  switch (FSTAGE) {
    case stWELCOME:
      FSTAGE = stLOGIN;
      return {};
    case stLOGIN:
      FSTAGE = stNAME;
      return FNAME + "\r\n";
    case stNAME:
      FSTAGE = stPASSWORD;
      return FPASSWORD + "\r\n";
    case stPASSWORD:
      FSTAGE = stRACE;
      return FPLAYER == ANY ? FRACE + "\r\nSERVER WHOAMI\r\n" : std::string();
    case stRACE:
      if (LINE != "Race :" && FPLAYER == NEW) {
        return REFUSE("expected \"Race :\", got \"" + LINE + "\"");
      }
      // Otherwise a player in play: the line is WHOAMI's answer.
      FSTAGE = LINE == "Race :" ? stMENUCOUNT : stDONE;
      return {};
    case stMENUCOUNT:
      FLEFT = COUNTAFTER(LINE, "nbLines:");
      if (FLEFT < 0) {
        return REFUSE("expected \"nbLines:N\", got \"" + LINE + "\"");
      }
      FSTAGE = FLEFT == 0 ? stRECORD : stMENU;
      return FSTAGE == stRECORD ? RACE : std::string();
    case stMENU:
      FSTAGE = --FLEFT == 0 ? stRECORD : stMENU;
      return FSTAGE == stRECORD ? RACE : std::string();
    case stRECORD:
      FSTAGE = LINE == "[MAP]" ? stMAPCOUNT : stRECORD;
      if (FRECORDLINES.size() > MAXRECORDLINES) {
        return REFUSE("no \"[MAP]\" line in the record's first lines");
      }
      return {};
    case stMAPCOUNT:
      FLEFT = COUNTAFTER(LINE, "count:");
      if (FLEFT < 0) {
        return REFUSE("expected \"count:K\" after \"[MAP]\", got \"" + LINE + "\"");
      }
      FSTAGE = FLEFT == 0 ? stEND : stRUNS;
      return {};
    case stRUNS:
      FSTAGE = --FLEFT == 0 ? stEND : stRUNS;
      return {};
    case stEND:
      if (!LINE.empty()) {
        return REFUSE("expected the empty line that ends the record, got \"" + LINE + "\"");
      }
      FSTAGE = FPLAYER == ANY ? stWHOAMI : stDONE;
      return {};
    case stWHOAMI:
      FSTAGE = stDONE;
      return {};
    case stDONE:
      break;
  }
  return {};
}

bool cLineConnection::START(uint16_t PORT, const char* FROM, int RCVBUF) {
  CLOSE();
  FFD = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (FFD < 0) {
    return false;
  }
  if (RCVBUF > 0) {
    ::setsockopt(FFD, SOL_SOCKET, SO_RCVBUF, &RCVBUF, sizeof RCVBUF);
  }
  // Commands are small writes: each must leave at once.
  const int ONE = 1;
  ::setsockopt(FFD, IPPROTO_TCP, TCP_NODELAY, &ONE, sizeof ONE);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  if (FROM != nullptr) {
    ::inet_pton(AF_INET, FROM, &A.sin_addr);
    ::bind(FFD, reinterpret_cast<sockaddr*>(&A), sizeof A);
  }
  A.sin_port = htons(PORT);
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return ::connect(FFD, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0 || errno == EINPROGRESS;
}

bool cLineConnection::OPEN(uint16_t PORT, int MILLIS, const char* FROM, int RCVBUF) {
  if (!START(PORT, FROM, RCVBUF)) {
    return false;
  }
  pollfd P{FFD, POLLOUT, 0};
  int ERR = 0;
  socklen_t LEN = sizeof ERR;
  return ::poll(&P, 1, MILLIS) == 1 && ::getsockopt(FFD, SOL_SOCKET, SO_ERROR, &ERR, &LEN) == 0 &&
         ERR == 0;
}

bool cLineConnection::SEND(const std::string& BYTES, int MILLIS) {
  std::size_t DONE = 0;
  const int64_t DEADLINE = NOWMS() + MILLIS;
  while (FFD >= 0 && DONE < BYTES.size() && NOWMS() < DEADLINE) {
    const ssize_t N = ::send(FFD, BYTES.data() + DONE, BYTES.size() - DONE, MSG_NOSIGNAL);
    if (N > 0) {
      DONE += static_cast<std::size_t>(N);
    } else if (N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      pollfd P{FFD, POLLOUT, 0};
      ::poll(&P, 1, 50);
    } else {
      return false;
    }
  }
  return DONE == BYTES.size();
}

bool cLineConnection::FLUSH() {
  while (!FOUT.empty()) {
    const ssize_t N = ::send(FFD, FOUT.data(), FOUT.size(), MSG_NOSIGNAL);
    if (N > 0) {
      FOUT.erase(0, static_cast<std::size_t>(N));
    } else if (N < 0 && errno != EINTR) {
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
  }
  return true;
}

bool cLineConnection::RECEIVE(bool KEEP) {
  char DATA[65536];
  for (;;) {
    const ssize_t N = ::recv(FFD, DATA, sizeof DATA, 0);
    if (N > 0 && KEEP) {
      FIN.append(DATA, static_cast<std::size_t>(N));
    }
    if (N < 0 && errno == EINTR) {
      continue;
    }
    if (N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return true;
    }
    if (N <= 0) {
      FCLOSED = true;
      return false;
    }
  }
}

std::optional<std::string> cLineConnection::NEXTLINE() {
  const auto END = FIN.find("\r\n");
  if (END == std::string::npos) {
    return std::nullopt;
  }
  std::string LINE = FIN.substr(0, END);
  FIN.erase(0, END + 2);
  return LINE;
}

void cLineConnection::FILL(int MILLIS, bool KEEP) {
  pollfd P{FFD, POLLIN, 0};
  if (FFD < 0) {
    FCLOSED = true;
  } else if (::poll(&P, 1, MILLIS) == 1) {
    RECEIVE(KEEP);
  }
}

std::optional<std::string> cLineConnection::READLINE(int MILLIS) {
  const int64_t DEADLINE = NOWMS() + MILLIS;
  for (;;) {
    if (auto LINE = NEXTLINE()) {
      return LINE;
    }
    if (FCLOSED || NOWMS() >= DEADLINE) {
      return std::nullopt;
    }
    FILL(LEFTMS(DEADLINE));
  }
}

bool cLineConnection::READUNTIL(const std::string& WANT, std::vector<std::string>& BEFORE,
                                int MILLIS) {
  const int64_t DEADLINE = NOWMS() + MILLIS;
  while (const auto LINE = READLINE(LEFTMS(DEADLINE))) {
    if (*LINE == WANT) {
      return true;
    }
    BEFORE.push_back(*LINE);
  }
  return false;
}

std::vector<std::string> cLineConnection::READREPLY(int ENDBLOCKS, int MILLIS) {
  const int64_t DEADLINE = NOWMS() + MILLIS;
  cReplyReader REPLY(ENDBLOCKS);
  std::vector<std::string> LINES;
  while (const auto LINE = READLINE(LEFTMS(DEADLINE))) {
    LINES.push_back(*LINE);
    if (REPLY.FEED(*LINE)) {
      break;
    }
  }
  return LINES;
}

bool cLineConnection::LOGIN(cLogin& DIALOGUE, int MILLIS) {
  const int64_t DEADLINE = NOWMS() + MILLIS;
  while (!DIALOGUE.DONE() && !DIALOGUE.FAILED()) {
    const auto LINE = READLINE(LEFTMS(DEADLINE));
    if (!LINE || !SEND(DIALOGUE.FEED(*LINE))) {
      return false;
    }
  }
  return DIALOGUE.DONE();
}

bool cLineConnection::QUIET(int MILLIS) {
  for (const int64_t DEADLINE = NOWMS() + MILLIS; NOWMS() < DEADLINE && FIN.empty() && !FCLOSED;) {
    FILL(std::min(LEFTMS(DEADLINE), 20));
  }
  return FIN.empty() && !FCLOSED;
}

bool cLineConnection::WAITCLOSE(int MILLIS) {
  for (const int64_t DEADLINE = NOWMS() + MILLIS; !FCLOSED && NOWMS() < DEADLINE;) {
    FILL(std::min(LEFTMS(DEADLINE), 50), false);
  }
  return FCLOSED;
}

void cLineConnection::SHUTDOWNWRITE() {
  ::shutdown(FFD, SHUT_WR);
}

void cLineConnection::RESET() {
  const linger L{1, 0};
  ::setsockopt(FFD, SOL_SOCKET, SO_LINGER, &L, sizeof L);
  CLOSE();
}

void cLineConnection::CLOSE() {
  if (FFD >= 0) {
    ::close(FFD);
    FFD = -1;
  }
  FIN.clear();
  FOUT.clear();
  FCLOSED = false;
}
