#include "wsload.h"

#include <algorithm>

#include "gamecopy.h"
#include "process.h"

namespace {

// Clients logging in at any one time, as in cLoadRun: one not in play within a
// few seconds of its first line is dropped by the server.
constexpr std::size_t OPENWINDOW = 4;
// The longest wait of one pass, so that an interruption is seen promptly.
constexpr long long POLLSLICEUS = 100000;
constexpr std::size_t CLIENTSPERADDRESS = 4;

}  // namespace

std::string WSCLIENTADDRESS(std::size_t I) {
  const std::size_t N = 2 + I / CLIENTSPERADDRESS;
  return "127.0." + std::to_string(N / 256) + "." + std::to_string(N % 256);
}

cWsLoadRun::cWsLoadRun(int CLIENTS, const tOptions& OPTIONS, uint16_t PORT)
    : FOPTIONS(OPTIONS),
      FPORT(PORT),
      FTIMEOUTUS(static_cast<long long>(OPTIONS.REPLYTIMEOUTMS) * 1000),
      FCLIENTS(static_cast<std::size_t>(CLIENTS)) {
  for (std::size_t I = 0; I < FCLIENTS.size(); ++I) {
    tClient& C = FCLIENTS[I];
    C.ACCOUNT = static_cast<int>(I) + 1;
    C.DIALOGUE.emplace(ACCOUNTNAME(C.ACCOUNT), ACCOUNTPASSWORD(C.ACCOUNT), cLogin::NEW);
  }
}

void cWsLoadRun::FAIL(const tClient& C, const std::string& WHY) const {
  const std::string STAGE = C.INPLAY ? (C.INFLIGHT.empty() ? "in play" : "sending commands")
                            : C.LINK ? C.DIALOGUE->STEP()
                                     : "not connected";
  throw cClientError("web client " + ACCOUNTNAME(C.ACCOUNT) + " (" + STAGE + "): " + WHY);
}

void cWsLoadRun::OPEN(tClient& C) {
  const auto I = static_cast<std::size_t>(C.ACCOUNT - 1);
  try {
    C.LINK = std::make_unique<cWsConnection>("127.0.0.1", FPORT, "/ws", "",
                                             std::vector<std::pair<std::string, std::string>>{},
                                             FOPTIONS.REPLYTIMEOUTMS, WSCLIENTADDRESS(I), &FGROUP);
  } catch (const cClientError& E) {
    FAIL(C, E.what());
  }
}

void cWsLoadRun::SEND(tClient& C, const std::string& LINE) {
  try {
    C.LINK->SENDLINE(LINE);
  } catch (const cClientError& E) {
    FAIL(C, E.what());
  }
}

void cWsLoadRun::SENDNAME(tClient& C) {
  C.SENTUS = NOWUS();
  C.DEADLINEUS = C.SENTUS + FTIMEOUTUS;
  SEND(C, ACCOUNTNAME(C.ACCOUNT));
  C.NAMESENT = true;
}

void cWsLoadRun::WAIT(tHandler HANDLER) {
  long long EARLIEST = NOWUS() + POLLSLICEUS;
  for (const tClient& C : FCLIENTS) {
    if (C.LINK && C.DEADLINEUS > 0) {
      EARLIEST = std::min(EARLIEST, C.DEADLINEUS);
    }
  }
  FGROUP.WAIT(static_cast<int>((std::max(0LL, EARLIEST - NOWUS()) + 999) / 1000));
  if (INTERRUPTED()) {
    throw cClientError("interrupted");
  }
  for (tClient& C : FCLIENTS) {
    while (C.LINK) {
      const auto M = C.LINK->TAKE();
      if (!M) {
        break;
      }
      switch (M->KIND) {
        case tWsMessage::LINE:
          (this->*HANDLER)(C, M->TEXT, M->ATUS);
          break;
        case tWsMessage::SESSION:
          break;
        case tWsMessage::CLOSED:
          FAIL(C, "the gateway closed the socket: \"" + M->TEXT + "\"");
        case tWsMessage::END:
          FAIL(C, "the WebSocket ended (close code " + std::to_string(M->CLOSECODE) + ")");
        case tWsMessage::OTHER:
          FAIL(C, "a message a page would not understand: " + M->RAW);
      }
    }
  }
  const long long NOW = NOWUS();
  for (const tClient& C : FCLIENTS) {
    if (C.LINK && C.DEADLINEUS > 0 && C.DEADLINEUS <= NOW) {
      FAIL(C, "no complete reply within " + std::to_string(FOPTIONS.REPLYTIMEOUTMS) + " ms");
    }
  }
}

void cWsLoadRun::LOGINLINE(tClient& C, const std::string& LINE, long long ATUS) {
  if (C.INPLAY) {
    FAIL(C, "unexpected line \"" + LINE + "\"");
  }
  cLogin& DIALOGUE = *C.DIALOGUE;
  const std::string ANSWER = DIALOGUE.FEED(LINE);
  if (DIALOGUE.FAILED()) {
    FAIL(C, DIALOGUE.ERROR());
  }
  if (C.NAMESENT && !ANSWER.empty()) {
    // The answer to "login": the name, which the gateway has already passed on.
    C.NAMESENT = false;
    if (ANSWER != ACCOUNTNAME(C.ACCOUNT) + "\r\n") {
      FAIL(C, "the dialogue answered \"" + ANSWER + "\" where the name was due");
    }
    return;
  }
  if (ANSWER.empty() && !DIALOGUE.DONE()) {
    return;
  }
  FPHASE.ALL.ADD(ATUS - C.SENTUS);
  C.SENTUS = NOWUS();
  C.DEADLINEUS = C.SENTUS + FTIMEOUTUS;
  // The dialogue answers with lines ended by CR LF; a message is one line.
  for (std::size_t FROM = 0; FROM < ANSWER.size();) {
    const std::size_t END = std::min(ANSWER.find("\r\n", FROM), ANSWER.size());
    SEND(C, ANSWER.substr(FROM, END - FROM));
    FROM = END + 2;
  }
  if (DIALOGUE.DONE()) {
    C.INPLAY = true;
    C.DEADLINEUS = 0;
  }
}

tPhaseResult cWsLoadRun::LOGIN(bool ATONCE) {
  FPHASE = tPhaseResult();
  const long long START = NOWUS();
  if (ATONCE) {
    for (tClient& C : FCLIENTS) {
      OPEN(C);
    }
    for (tClient& C : FCLIENTS) {
      SENDNAME(C);
    }
  }
  std::size_t NEXT = ATONCE ? FCLIENTS.size() : 0;
  // Every pass waits at most one poll slice, and every client logging in has
  // a deadline: the loop ends.
  for (;;) {
    const auto LOGGINGIN = static_cast<std::size_t>(std::count_if(
        FCLIENTS.begin(), FCLIENTS.end(), [](const tClient& C) { return C.LINK && !C.INPLAY; }));
    if (LOGGINGIN == 0 && NEXT == FCLIENTS.size()) {
      break;
    }
    for (std::size_t OPENING = LOGGINGIN; NEXT < FCLIENTS.size() && OPENING < OPENWINDOW;
         ++NEXT, ++OPENING) {
      OPEN(FCLIENTS[NEXT]);
      SENDNAME(FCLIENTS[NEXT]);
    }
    WAIT(&cWsLoadRun::LOGINLINE);
  }
  FPHASE.SECONDS = static_cast<double>(NOWUS() - START) / 1e6;
  return std::move(FPHASE);
}

void cWsLoadRun::SENDNEXTCOMMAND(tClient& C) {
  const std::size_t INDEX =
      (static_cast<std::size_t>(C.ACCOUNT - 1) + static_cast<std::size_t>(C.SENTCOMMANDS)) %
      FOPTIONS.MIX.size();
  C.INFLIGHT.push_back({INDEX, NOWUS(), cReplyReader(FOPTIONS.MIX[INDEX].ENDBLOCKS)});
  ++C.SENTCOMMANDS;
  SEND(C, FOPTIONS.MIX[INDEX].COMMAND);
}

void cWsLoadRun::COMMANDLINE(tClient& C, const std::string& LINE, long long ATUS) {
  if (C.INFLIGHT.empty()) {
    FAIL(C, "a line while no command waits for its reply: \"" + LINE + "\"");
  }
  if (!REPLYLINE(C.INFLIGHT, FPHASE, LINE, ATUS)) {
    return;
  }
  if (C.SENTCOMMANDS < FOPTIONS.COMMANDS) {
    SENDNEXTCOMMAND(C);
  }
  C.DEADLINEUS = C.INFLIGHT.empty() ? 0 : C.INFLIGHT.front().SENTUS + FTIMEOUTUS;
}

tPhaseResult cWsLoadRun::COMMANDS(std::size_t PLAYERS) {
  FPHASE = tPhaseResult();
  FPHASE.BYMIX.resize(FOPTIONS.MIX.size());
  const std::size_t N = PLAYERS == 0 ? FCLIENTS.size() : std::min(PLAYERS, FCLIENTS.size());
  const long long START = NOWUS();
  for (std::size_t I = 0; I < N; ++I) {
    tClient& C = FCLIENTS[I];
    for (int K = 0; K < std::min(FOPTIONS.PIPELINE, FOPTIONS.COMMANDS); ++K) {
      SENDNEXTCOMMAND(C);
    }
    C.DEADLINEUS = C.INFLIGHT.front().SENTUS + FTIMEOUTUS;
  }
  // Each player has a bounded number of commands, each with a deadline.
  while (std::any_of(FCLIENTS.begin(), FCLIENTS.end(),
                     [](const tClient& C) { return !C.INFLIGHT.empty(); })) {
    WAIT(&cWsLoadRun::COMMANDLINE);
  }
  FPHASE.SECONDS = static_cast<double>(NOWUS() - START) / 1e6;
  return std::move(FPHASE);
}
