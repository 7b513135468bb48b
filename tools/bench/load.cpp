#include "load.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "gamecopy.h"

namespace {

double SECONDSBETWEEN(long long FROMUS, long long TOUS) {
  return static_cast<double>(TOUS - FROMUS) / 1e6;
}

// Connections opened but not yet greeted at any one time: the server accepts
// one connection per poll, and a client not yet in play is dropped after a few
// seconds of silence, so each one is opened shortly before its turn.
constexpr std::size_t OPENWINDOW = 4;
// The longest wait of one poll, so that an interruption is seen promptly.
constexpr int POLLSLICEMS = 100;

}  // namespace

cLoadRun::cLoadRun(int CLIENTS, const tOptions& OPTIONS, uint16_t PORT)
    : FCONNECTIONS(static_cast<std::size_t>(CLIENTS)),
      FOPTIONS(OPTIONS),
      FPORT(PORT),
      FTIMEOUTUS(static_cast<long long>(OPTIONS.REPLYTIMEOUTMS) * 1000) {
  for (std::size_t I = 0; I < FCONNECTIONS.size(); ++I) {
    tConnection& C = FCONNECTIONS[I];
    C.ACCOUNT = static_cast<int>(I) + 1;
    // The game copy holds no player: every account creates its own.
    C.DIALOGUE.emplace(ACCOUNTNAME(C.ACCOUNT), ACCOUNTPASSWORD(C.ACCOUNT), cLogin::NEW);
  }
}

const char* cLoadRun::STAGENAME(const tConnection& C) {
  switch (C.STAGE) {
    case stUNOPENED:
      return "not connected";
    case stCONNECTING:
      return "connecting";
    case stLOGIN:
      return C.DIALOGUE->STEP();
    case stINPLAY:
      return "in play";
    case stCOMMANDS:
      return "sending commands";
    case stDONE:
      return "done";
  }
  return "?";
}

void cLoadRun::FAIL(const tConnection& C, const std::string& WHY) const {
  throw cClientError("client " + ACCOUNTNAME(C.ACCOUNT) + " (" + STAGENAME(C) + "): " + WHY);
}

void cLoadRun::OPEN(tConnection& C) {
  if (!C.LINK.START(FPORT)) {
    FAIL(C, std::string("cannot connect to 127.0.0.1: ") + std::strerror(errno));
  }
  C.FD = C.LINK.FD();
  C.STAGE = stCONNECTING;
  C.DEADLINEUS = NOWUS() + FTIMEOUTUS;
}

void cLoadRun::FLUSH(tConnection& C) {
  if (!C.LINK.FLUSH()) {
    FAIL(C, std::string("cannot send: ") + std::strerror(errno));
  }
}

void cLoadRun::WAIT(const std::vector<sStage>& STAGES) {
  const auto WATCHED = [&](const tConnection& C) {
    return C.FD >= 0 && std::find(STAGES.begin(), STAGES.end(), C.STAGE) != STAGES.end();
  };
  std::vector<pollfd> FDS;
  std::vector<tConnection*> OWNERS;
  long long EARLIEST = NOWUS() + POLLSLICEMS * 1000LL;
  for (tConnection& C : FCONNECTIONS) {
    if (!WATCHED(C)) {
      continue;
    }
    short EVENTS = POLLIN;
    if (C.STAGE == stCONNECTING || C.LINK.PENDING()) {
      EVENTS = static_cast<short>(EVENTS | POLLOUT);
    }
    FDS.push_back({C.FD, EVENTS, 0});
    OWNERS.push_back(&C);
    EARLIEST = std::min(EARLIEST, C.DEADLINEUS);
  }
  // Every wait is for a connection with a deadline: never one for nothing.
  if (FDS.empty()) {
    throw cClientError("no connection left to wait for");
  }
  const long long WAITUS = std::max(0LL, EARLIEST - NOWUS());
  const int READY = ::poll(FDS.data(), FDS.size(), static_cast<int>((WAITUS + 999) / 1000));
  if (INTERRUPTED()) {
    throw cClientError("interrupted");
  }
  if (READY < 0 && errno != EINTR) {
    throw cClientError(std::string("poll failed: ") + std::strerror(errno));
  }
  for (std::size_t I = 0; READY > 0 && I < FDS.size(); ++I) {
    tConnection& C = *OWNERS[I];
    const short EV = FDS[I].revents;
    if (EV == 0) {
      continue;
    }
    if (C.STAGE == stCONNECTING) {
      int ERR = 0;
      socklen_t LEN = sizeof ERR;
      ::getsockopt(C.FD, SOL_SOCKET, SO_ERROR, &ERR, &LEN);
      if (ERR != 0) {
        FAIL(C, std::string("cannot connect to 127.0.0.1: ") + std::strerror(ERR));
      }
      C.STAGE = FCONNECTED;
      C.DEADLINEUS = NOWUS() + FTIMEOUTUS;
    }
    if ((EV & POLLOUT) != 0) {
      FLUSH(C);
    }
    if ((EV & (POLLIN | POLLHUP | POLLERR)) == 0) {
      continue;
    }
    const bool OPEN = C.LINK.RECEIVE();
    const long long NOW = NOWUS();
    while (const auto LINE = C.LINK.NEXTLINE()) {
      FLINEHANDLER(C, *LINE, NOW);
    }
    if (!OPEN) {
      FAIL(C,
           "the server closed the connection" +
               (C.LINK.PARTIAL().empty() ? std::string() : " after \"" + C.LINK.PARTIAL() + "\""));
    }
  }
  const long long NOW = NOWUS();
  for (tConnection& C : FCONNECTIONS) {
    if (!WATCHED(C) || C.DEADLINEUS > NOW) {
      continue;
    }
    if (C.STAGE == stLOGIN && std::string(C.DIALOGUE->STEP()) == "waiting for the race menu") {
      FAIL(C, "\"en jeu\" but no race menu within " + std::to_string(FOPTIONS.REPLYTIMEOUTMS) +
                  " ms: the server could not create the player (its console may say why)");
    }
    FAIL(C, "no complete reply within " + std::to_string(FOPTIONS.REPLYTIMEOUTMS) + " ms" +
                (C.LINK.PARTIAL().empty() ? std::string()
                                          : " (partial line \"" + C.LINK.PARTIAL() + "\")"));
  }
}

void cLoadRun::LOGINLINE(tConnection& C, const std::string& LINE, long long NOW) {
  if (C.STAGE != stLOGIN) {
    FAIL(C, "unexpected line \"" + LINE + "\"");
  }
  cLogin& DIALOGUE = *C.DIALOGUE;
  const std::string ANSWER = DIALOGUE.FEED(LINE);
  if (DIALOGUE.FAILED()) {
    FAIL(C, DIALOGUE.ERROR());
  }
  // Each line sent is one round trip: to the next question, or to the record.
  if (!ANSWER.empty() || DIALOGUE.DONE()) {
    if (C.SENTUS > 0) {
      FLOGIN->ADD(NOW - C.SENTUS);
    }
    C.SENTUS = NOW;
    C.DEADLINEUS = NOW + FTIMEOUTUS;
    C.LINK.QUEUE(ANSWER);
  }
  if (DIALOGUE.DONE()) {
    C.STAGE = stINPLAY;
  }
  FLUSH(C);
}

tPhaseResult cLoadRun::LOGIN(bool ATONCE) {
  tPhaseResult R;
  FLOGIN = &R.ALL;
  FLINEHANDLER = [this](tConnection& C, const std::string& LINE, long long NOW) {
    LOGINLINE(C, LINE, NOW);
  };
  const std::vector<sStage> LOGGINGIN{stCONNECTING, stLOGIN};
  const long long START = NOWUS();
  std::size_t NEXT = 0;
  // Every pass either waits at most one poll slice or moves a client on, and
  // every client has a deadline: the loop ends.
  for (;;) {
    std::size_t OPENING = 0;
    std::size_t INPLAY = 0;
    for (const tConnection& C : FCONNECTIONS) {
      OPENING += C.STAGE == stCONNECTING || (C.STAGE == stLOGIN && C.SENTUS == 0) ? 1 : 0;
      INPLAY += C.STAGE == stINPLAY ? 1 : 0;
    }
    if (INPLAY == FCONNECTIONS.size()) {
      break;
    }
    const std::size_t WINDOW = ATONCE ? FCONNECTIONS.size() : OPENWINDOW;
    for (; NEXT < FCONNECTIONS.size() && OPENING < WINDOW; ++NEXT, ++OPENING) {
      OPEN(FCONNECTIONS[NEXT]);
    }
    WAIT(LOGGINGIN);
  }
  R.SECONDS = SECONDSBETWEEN(START, NOWUS());
  FLOGIN = nullptr;
  return R;
}

void cLoadRun::SENDNEXTCOMMAND(tConnection& C, long long NOW) {
  const std::size_t INDEX =
      (static_cast<std::size_t>(C.ACCOUNT - 1) + static_cast<std::size_t>(C.SENTCOMMANDS)) %
      FOPTIONS.MIX.size();
  C.INFLIGHT.push_back({INDEX, NOW, cReplyReader(FOPTIONS.MIX[INDEX].ENDBLOCKS)});
  C.LINK.QUEUE(FOPTIONS.MIX[INDEX].COMMAND + "\r\n");
  ++C.SENTCOMMANDS;
}

void cLoadRun::CONNECT() {
  FCONNECTED = stINPLAY;
  for (tConnection& C : FCONNECTIONS) {
    OPEN(C);
  }
  // Every connection has a deadline: the loop ends.
  while (std::any_of(FCONNECTIONS.begin(), FCONNECTIONS.end(),
                     [](const tConnection& C) { return C.STAGE == stCONNECTING; })) {
    WAIT({stCONNECTING});
  }
}

bool REPLYLINE(std::deque<tInFlight>& INFLIGHT, tPhaseResult& PHASE, const std::string& LINE,
               long long ATUS) {
  tInFlight& FRONT = INFLIGHT.front();
  if (!FRONT.READER.FEED(LINE)) {
    return false;
  }
  PHASE.ALL.ADD(ATUS - FRONT.SENTUS);
  PHASE.BYMIX[FRONT.MIXINDEX].ADD(ATUS - FRONT.SENTUS);
  PHASE.TRIPS.push_back({FRONT.SENTUS, ATUS});
  INFLIGHT.pop_front();
  return true;
}

void cLoadRun::COMMANDLINE(tConnection& C, const std::string& LINE, long long NOW) {
  if (C.STAGE != stCOMMANDS || C.INFLIGHT.empty()) {
    FAIL(C, "a line while no command waits for its reply: \"" + LINE + "\"");
  }
  if (!REPLYLINE(C.INFLIGHT, FPHASE, LINE, NOW)) {
    return;
  }
  if (FENDLESS || C.SENTCOMMANDS < FOPTIONS.COMMANDS) {
    SENDNEXTCOMMAND(C, NOW);
    FLUSH(C);
  }
  if (C.INFLIGHT.empty()) {
    C.STAGE = stDONE;
  } else {
    C.DEADLINEUS = C.INFLIGHT.front().SENTUS + FTIMEOUTUS;
  }
}

void cLoadRun::BEGINCOMMANDS(bool ENDLESS, std::size_t PLAYERS) {
  FPHASE = tPhaseResult();
  FPHASE.BYMIX.resize(FOPTIONS.MIX.size());
  FENDLESS = ENDLESS;
  FLINEHANDLER = [this](tConnection& C, const std::string& LINE, long long NOW) {
    COMMANDLINE(C, LINE, NOW);
  };
  FPHASESTARTUS = NOWUS();
  const int FIRST = ENDLESS ? FOPTIONS.PIPELINE : std::min(FOPTIONS.PIPELINE, FOPTIONS.COMMANDS);
  const std::size_t N = PLAYERS == 0 ? FCONNECTIONS.size() : std::min(PLAYERS, FCONNECTIONS.size());
  for (std::size_t I = 0; I < N; ++I) {
    tConnection& C = FCONNECTIONS[I];
    C.STAGE = stCOMMANDS;
    const long long NOW = NOWUS();
    for (int K = 0; K < FIRST; ++K) {
      SENDNEXTCOMMAND(C, NOW);
    }
    C.DEADLINEUS = NOW + FTIMEOUTUS;
    FLUSH(C);
  }
}

tPhaseResult cLoadRun::FINISHCOMMANDS() {
  FENDLESS = false;
  // Each client has a bounded number of commands, each with a deadline.
  while (std::any_of(FCONNECTIONS.begin(), FCONNECTIONS.end(),
                     [](const tConnection& C) { return C.STAGE == stCOMMANDS; })) {
    WAIT({stCOMMANDS});
  }
  FPHASE.SECONDS = SECONDSBETWEEN(FPHASESTARTUS, NOWUS());
  FLINEHANDLER = nullptr;
  return std::move(FPHASE);
}

tPhaseResult cLoadRun::COMMANDS(std::size_t PLAYERS) {
  BEGINCOMMANDS(false, PLAYERS);
  return FINISHCOMMANDS();
}

void cLoadRun::STARTBUSY() {
  BEGINCOMMANDS(true);
}

void cLoadRun::STEPBUSY() {
  WAIT({stCOMMANDS});
}

tPhaseResult cLoadRun::ENDBUSY() {
  return FINISHCOMMANDS();
}
