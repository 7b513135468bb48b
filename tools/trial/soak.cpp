// The soak: the server under many clients for a long time, most of them
// playing a realistic mix and checking that every command is answered, some
// misbehaving; its memory sampled every second.

#include "soak.h"

#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <iostream>
#include <numeric>
#include <random>
#include <sstream>

#include "gamecopy.h"
#include "line.h"

namespace {

// The commands of the mix and how often each comes (a TURN in six or so).
struct tCommand {
  const char* TEXT;  // "@" stands for the champion's square, "$" for its name
  int WEIGHT;
};
const std::vector<tCommand> MIX = {
    {"TURN 1", 12},
    {"BUILD BOURG @", 2},
    {"BUILD SCIERIE @", 2},
    {"RECRUIT AVAIL @", 3},
    {"RECRUIT 1 MILICIEN @", 3},
    {"ORDER $ MOVE #", 3},
    {"ORDER $ GET #0", 2},
    {"ORDER $ DROP 1,1", 1},
    {"GET ALL", 2},
    {"GET TROOPS", 1},
    {"GET BUILDINGS", 1},
    {"GET RECRUITMENTS", 1},
    {"GET CONSTRUCTIONS", 1},
    {"GET CHAMPIONS", 1},
    {"GET MAP", 1},
    {"GET RESSOURCES", 1},
    {"GET LOG", 1},
    {"GET GAME RACES", 1},
    {"GET GAME RESSOURCES", 1},
    {"GET GAME LANDS", 1},
    {"GET GAME CLASSES", 1},
    {"GET GAME GRID", 1},
    {"GET GAME TROOP #1", 1},
    {"GET SQUARES", 1},
    {"GET SQUARE #", 1},
    {"GET MAPPED", 1},
    {"GET TAVERN", 1},
    {"GET TROOPS VISIBLES", 1},
    {"GET BUILDINGS VISIBLES", 1},
    {"GET CHAMPIONS VISIBLES", 1},
    {"GET ENEMY CHAMPIONS", 1},
    {"GET ENEMY TROOPS", 1},
    {"GET ENEMY BUILDINGS", 1},
    {"HELP", 1},
    {"SERVER WHOAMI", 1},
};

enum sKind { kWELL, kGARBAGE, kLONGLINES, kNOREAD, kVANISH };
enum sStage { stIDLE, stLOGIN, stENTER, stTHINK, stREPLY, stQUIT, stBUSY };

struct tClient {
  sKind KIND = kWELL;
  int ACCOUNT = 0;
  cLineConnection LINK;
  int FD = -1;
  std::optional<cLogin> DIALOGUE;
  sStage STAGE = stIDLE;
  int64_t AT = 0;        // when the next step is due (idle, think, misbehaving)
  int64_t DEADLINE = 0;  // when the awaited reply is lost
  std::string COMMAND;
  int LINES = 0;
  std::string POSITION = "1,1";
  std::string CHAMPION = "X";
  std::string PREVIOUS;
  int SENT = 0;
  int64_t NEXTGROW = 0;  // when the next BUILD or RECRUIT of troops may go
};

class cSoak {
 public:
  explicit cSoak(const tSoakOptions& O)
      : FO(O),
        FGAME(O.GAME, O.CLIENTS),
        FSERVER({O.SERVER, "--port", std::to_string(O.PORT)}, FGAME.PATH(), O.PORT, O.ENV),
        FRANDOM(O.SEED),
        FCLIENTS(static_cast<std::size_t>(O.CLIENTS)) {
    for (int I = 0; I < O.CLIENTS; ++I) {
      tClient& C = FCLIENTS[static_cast<std::size_t>(I)];
      C.ACCOUNT = I + 1;
      if (O.MISBEHAVINGEVERY > 0 && I % O.MISBEHAVINGEVERY == O.MISBEHAVINGEVERY - 1) {
        C.KIND = static_cast<sKind>(1 + (I / O.MISBEHAVINGEVERY) % 4);
      }
    }
    int64_t TOTAL = 0;
    for (const auto& M : MIX) {
      TOTAL += M.WEIGHT;
    }
    FMIXTOTAL = TOTAL;
  }
  int RUN();

 private:
  int64_t RANDOM(int64_t N) { return std::uniform_int_distribution<int64_t>(0, N - 1)(FRANDOM); }
  std::string SQUARE() {
    return std::to_string(RANDOM(10) + 1) + "," + std::to_string(RANDOM(10) + 1);
  }
  void OPEN(tClient& C, int64_t NOW);
  void CLOSE(tClient& C, int64_t NOW, int64_t AGAINMS, bool RESET = false);
  void LOST(tClient& C, const std::string& WHY);
  void SENDCOMMAND(tClient& C, int64_t NOW);
  void ONLINE(tClient& C, const std::string& LINE, int64_t NOW);
  void MISBEHAVE(tClient& C, int64_t NOW);
  void STEP(tClient& C, int64_t NOW);

  const tSoakOptions& FO;
  cGameCopy FGAME;
  cServerProcess FSERVER;
  std::mt19937_64 FRANDOM;
  std::vector<tClient> FCLIENTS;
  int64_t FMIXTOTAL = 0;
  bool FENDING = false;
  // Figures.
  int64_t FANSWERED = 0, FLOGINS = 0, FQUITS = 0, FLOST = 0, FBADCONNECTS = 0;
  int64_t FMISCONNECTS[5] = {0, 0, 0, 0, 0};
  std::vector<std::string> FLOSTWHY;
};

void cSoak::OPEN(tClient& C, int64_t NOW) {
  if (!C.LINK.OPEN(FO.PORT, 1000)) {
    ++FBADCONNECTS;
    C.LINK.CLOSE();
    C.FD = -1;
    C.AT = NOW + 100;
    return;
  }
  C.FD = C.LINK.FD();
  C.DIALOGUE.emplace(ACCOUNTNAME(C.ACCOUNT), ACCOUNTPASSWORD(C.ACCOUNT), cLogin::ANY);
  C.SENT = 0;
  ++FMISCONNECTS[C.KIND];
  C.STAGE = C.KIND == kWELL ? stLOGIN : stBUSY;
  C.DEADLINE = NOW + FO.REPLYMS;
  C.AT = NOW;
  if (C.KIND == kNOREAD) {
    // Logs in and asks for a great deal without ever reading.
    C.LINK.QUEUE(ACCOUNTNAME(C.ACCOUNT) + "\r\n" + ACCOUNTPASSWORD(C.ACCOUNT) + "\r\n0\r\n");
    for (int I = 0; I < 400; ++I) {
      C.LINK.QUEUE("GET GAME GRID\r\nGET ALL\r\nGET SQUARES\r\n");
    }
    C.AT = NOW + 30000;
  }
}

void cSoak::CLOSE(tClient& C, int64_t NOW, int64_t AGAINMS, bool RESET) {
  if (RESET) {
    C.LINK.RESET();
  }
  C.LINK.CLOSE();
  C.FD = -1;
  C.STAGE = stIDLE;
  C.AT = NOW + AGAINMS;
}

void cSoak::LOST(tClient& C, const std::string& WHY) {
  ++FLOST;
  if (FLOSTWHY.size() < 20) {
    FLOSTWHY.push_back(ACCOUNTNAME(C.ACCOUNT) + ": " + WHY);
  }
}

void cSoak::SENDCOMMAND(tClient& C, int64_t NOW) {
  if (RANDOM(100) == 0) {
    C.LINK.QUEUE("SERVER QUIT\r\n");
    C.STAGE = stQUIT;
    C.DEADLINE = NOW + FO.REPLYMS;
    return;
  }
  int64_t PICK = RANDOM(FMIXTOTAL);
  std::size_t I = 0;
  while (PICK >= MIX[I].WEIGHT) {
    PICK -= MIX[I++].WEIGHT;
  }
  std::string T = MIX[I].TEXT;
  if (T.rfind("BUILD ", 0) == 0 || T.rfind("RECRUIT 1", 0) == 0) {
    if (NOW < C.NEXTGROW) {
      T = T[0] == 'B' ? "GET CONSTRUCTIONS" : "GET RECRUITMENTS";
    } else {
      C.NEXTGROW = NOW + FO.GROWMS;
    }
  }
  std::string R;
  for (const char CH : T) {
    if (CH == '@') {
      R += C.POSITION;
    } else if (CH == '$') {
      R += C.CHAMPION;
    } else if (CH == '#' &&
               (T.find("MOVE") != std::string::npos || T.find("SQUARE ") != std::string::npos)) {
      R += SQUARE();
    } else {
      R += CH;
    }
  }
  C.COMMAND = R;
  C.LINES = 0;
  C.LINK.QUEUE(R + "\r\nSERVER WHOAMI\r\n");
  C.STAGE = stREPLY;
  C.DEADLINE = NOW + FO.REPLYMS;
}

void cSoak::ONLINE(tClient& C, const std::string& LINE, int64_t NOW) {
  const std::string NAME = ACCOUNTNAME(C.ACCOUNT);
  switch (C.STAGE) {
    case stLOGIN:
      C.LINK.QUEUE(C.DIALOGUE->FEED(LINE));
      if (C.DIALOGUE->FAILED()) {
        LOST(C, "the login failed: " + C.DIALOGUE->ERROR());
        CLOSE(C, NOW, 500);
      } else if (C.DIALOGUE->DONE()) {
        C.LINK.QUEUE("GET CHAMPIONS\r\nSERVER WHOAMI\r\n");
        C.STAGE = stENTER;
        C.LINES = 0;
        C.DEADLINE = NOW + FO.REPLYMS;
      }
      break;
    case stENTER:
      if (LINE == NAME) {
        ++FLOGINS;
        C.STAGE = stTHINK;
        C.AT = NOW + RANDOM(2 * FO.THINKMS + 1);
      } else if (LINE.rfind("position:", 0) == 0) {
        C.POSITION = LINE.substr(9);
      } else if (C.PREVIOUS.size() > 1 && C.PREVIOUS[0] == '#' &&
                 LINE.find_first_of(": ") == std::string::npos && !LINE.empty()) {
        // In the champions' list a champion's name follows its "#id".
        C.CHAMPION = LINE;
      }
      C.PREVIOUS = LINE;
      break;
    case stREPLY:
      if (LINE == NAME && C.COMMAND != "SERVER WHOAMI") {
        if (C.LINES == 0) {
          LOST(C, "no reply to \"" + C.COMMAND + "\"");
        }
        ++FANSWERED;
        C.STAGE = stTHINK;
        C.AT = NOW + RANDOM(2 * FO.THINKMS + 1);
      } else if (LINE == NAME && C.LINES == 0) {
        C.LINES = 1;  // WHOAMI's own answer; the sentinel's comes next
      } else if (LINE == NAME) {
        ++FANSWERED;
        C.STAGE = stTHINK;
        C.AT = NOW + RANDOM(2 * FO.THINKMS + 1);
      } else {
        ++C.LINES;
      }
      break;
    case stQUIT:
      if (LINE == "Bye bye") {
        ++FQUITS;
        CLOSE(C, NOW, RANDOM(500));
      }
      break;
    default:
      break;
  }
}

void cSoak::MISBEHAVE(tClient& C, int64_t NOW) {
  if (NOW < C.AT) {
    return;
  }
  switch (C.KIND) {
    case kGARBAGE: {
      // Random bytes, CR and LF among them, a few hundred at a time.
      std::string BYTES(static_cast<std::size_t>(50 + RANDOM(400)), ' ');
      for (char& B : BYTES) {
        const int64_t K = RANDOM(20);
        B = K == 0 ? '\r' : K == 1 ? '\n' : static_cast<char>(RANDOM(256));
      }
      C.LINK.QUEUE(BYTES);
      C.AT = NOW + 50;
      if (++C.SENT > 20) {
        CLOSE(C, NOW, 200, C.SENT % 2 == 0);
      }
      break;
    }
    case kLONGLINES:
      if (C.SENT == 0) {
        C.LINK.QUEUE(ACCOUNTNAME(C.ACCOUNT) + "\r\n" + ACCOUNTPASSWORD(C.ACCOUNT) + "\r\n0\r\n");
      }
      C.LINK.QUEUE(std::string(static_cast<std::size_t>(257 + RANDOM(4000)), 'A') +
                   "\r\nGET ALL\r\n");
      C.AT = NOW + 100;
      if (++C.SENT > 30) {
        C.LINK.QUEUE("SERVER QUIT\r\n");
        CLOSE(C, NOW + 0, 300);
      }
      break;
    case kNOREAD:
      CLOSE(C, NOW, 200, true);
      break;
    case kVANISH:
      C.LINK.QUEUE(ACCOUNTNAME(C.ACCOUNT) + "\r\n" + ACCOUNTPASSWORD(C.ACCOUNT) +
                   "\r\n0\r\nGET AL");
      C.LINK.FLUSH();
      CLOSE(C, NOW, 100 + RANDOM(300), RANDOM(2) == 0);
      break;
    default:
      break;
  }
}

void cSoak::STEP(tClient& C, int64_t NOW) {
  if (C.STAGE == stIDLE) {
    if (!FENDING && NOW >= C.AT) {
      OPEN(C, NOW);
    }
    return;
  }
  if (C.KIND != kWELL) {
    MISBEHAVE(C, NOW);
    return;
  }
  if (C.STAGE == stTHINK && NOW >= C.AT) {
    if (FENDING) {
      CLOSE(C, NOW, 0);
      return;
    }
    SENDCOMMAND(C, NOW);
  } else if (C.STAGE != stTHINK && NOW > C.DEADLINE) {
    LOST(C, "no complete reply within " + std::to_string(FO.REPLYMS) + " ms (stage " +
                std::to_string(C.STAGE) + ", command \"" + C.COMMAND + "\")");
    CLOSE(C, NOW, 500);
  }
}

int cSoak::RUN() {
  FSERVER.SPAWN();
  if (!FSERVER.WAITLISTENING(60000)) {
    std::cerr << "soak: the server did not start; its console:\n" << FSERVER.CONSOLE() << std::endl;
    return 1;
  }
  std::cout << "soak: " << FO.CLIENTS << " clients ("
            << FO.CLIENTS / std::max(FO.MISBEHAVINGEVERY, 1) << " misbehaving) for " << FO.SECONDS
            << " s against " << FO.SERVER << std::endl;
  std::vector<long> SAMPLES;
  const int64_t START = NOWMS();
  int64_t NEXTSAMPLE = START + 1000;
  const int64_t END = START + int64_t{FO.SECONDS} * 1000;
  int64_t DRAINEND = 0;
  for (;;) {
    const int64_t NOW = NOWMS();
    if (!FSERVER.RUNNING()) {
      std::cerr << "soak: the server ended during the run" << std::endl;
      break;
    }
    if (NOW >= NEXTSAMPLE) {
      SAMPLES.push_back(FSERVER.MEMORYKIB("VmRSS"));
      NEXTSAMPLE += 1000;
    }
    if (!FENDING && NOW >= END) {
      // No new command; the replies under way are still awaited.
      FENDING = true;
      DRAINEND = NOW + FO.REPLYMS + 1000;
    }
    if (FENDING) {
      const bool WAITING = std::any_of(FCLIENTS.begin(), FCLIENTS.end(), [](const tClient& C) {
        return C.KIND == kWELL && C.FD >= 0 && C.STAGE != stTHINK;
      });
      if (!WAITING || NOW > DRAINEND) {
        break;
      }
    }
    for (auto& C : FCLIENTS) {
      STEP(C, NOW);
    }
    std::vector<pollfd> P;
    std::vector<tClient*> OWNER;
    for (auto& C : FCLIENTS) {
      if (C.FD < 0) {
        continue;
      }
      short EV = C.KIND == kNOREAD ? 0 : POLLIN;
      if (C.LINK.PENDING()) {
        EV |= POLLOUT;
      }
      P.push_back(pollfd{C.FD, EV, 0});
      OWNER.push_back(&C);
    }
    ::poll(P.data(), P.size(), 5);
    const int64_t AFTER = NOWMS();
    for (std::size_t I = 0; I < P.size(); ++I) {
      tClient& C = *OWNER[I];
      if (C.FD != P[I].fd) {
        continue;
      }
      if ((P[I].revents & POLLOUT) != 0) {
        C.LINK.FLUSH();
      }
      if ((P[I].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
        continue;
      }
      const bool OPEN = C.LINK.RECEIVE(C.KIND == kWELL);
      while (C.FD >= 0 && C.KIND == kWELL) {
        const auto LINE = C.LINK.NEXTLINE();
        if (!LINE) {
          break;
        }
        ONLINE(C, *LINE, AFTER);
      }
      if (!OPEN && C.FD >= 0) {
        if (C.KIND == kWELL && C.STAGE != stQUIT && C.STAGE != stTHINK) {
          LOST(C, "the server closed the connection while \"" + C.COMMAND + "\" waited (stage " +
                      std::to_string(C.STAGE) + ")");
        } else if (C.KIND == kWELL && C.STAGE == stTHINK) {
          LOST(C, "the server closed the connection of a client in play");
        }
        CLOSE(C, AFTER, 200);
      }
    }
  }
  const double RUNSECONDS = static_cast<double>(NOWMS() - START) / 1000.0;
  for (auto& C : FCLIENTS) {
    CLOSE(C, 0, 0);
  }
  // The stop: the server saves and exits; leaks are reported then.
  FSERVER.SIGNAL(SIGTERM);
  const bool STOPPED = FSERVER.WAITEXIT(60000);
  if (!STOPPED) {
    FSERVER.KILL();
  }
  const std::vector<std::string> REPORTS = SANITIZERREPORTS(FSERVER.CONSOLE());
  std::string WHY;
  const bool FLAT = MEMORYFLAT(SAMPLES, WHY);

  std::cout << "soak: " << RUNSECONDS << " s, " << FANSWERED << " commands answered, " << FLOGINS
            << " logins, " << FQUITS
            << " quits; misbehaving connections: " << FMISCONNECTS[kGARBAGE] << " garbage, "
            << FMISCONNECTS[kLONGLINES] << " over-long lines, " << FMISCONNECTS[kNOREAD]
            << " never reading, " << FMISCONNECTS[kVANISH] << " vanishing mid-line\n";
  std::cout << "soak: resident memory (KiB), one sample a second:";
  for (std::size_t I = 0; I < SAMPLES.size(); ++I) {
    std::cout << (I % 12 == 0 ? "\n  " : " ") << SAMPLES[I];
  }
  std::cout << "\nsoak: memory " << WHY << "\n";
  std::cout << "soak: " << FLOST << " lost replies, " << REPORTS.size()
            << " sanitizer report lines, server exit code "
            << (STOPPED ? std::to_string(FSERVER.EXITCODE()) : std::string("none (killed)"))
            << std::endl;
  for (const auto& W : FLOSTWHY) {
    std::cout << "  lost: " << W << "\n";
  }
  for (std::size_t I = 0; I < REPORTS.size() && I < 40; ++I) {
    std::cout << "  report: " << REPORTS[I] << "\n";
  }
  const bool OK =
      FLOST == 0 && REPORTS.empty() && FLAT && STOPPED && FSERVER.EXITCODE() == 0 && FANSWERED > 0;
  std::cout << (OK ? "soak: passed" : "soak: FAILED") << std::endl;
  return OK ? 0 : 1;
}

}  // namespace

bool MEMORYFLAT(const std::vector<long>& SAMPLES, std::string& WHY) {
  const std::size_t N = SAMPLES.size();
  if (N < 8) {
    WHY = "not judged: fewer than 8 samples";
    return true;
  }
  const auto MEAN = [&SAMPLES](std::size_t FROM, std::size_t TO) {
    return std::accumulate(SAMPLES.begin() + static_cast<long>(FROM),
                           SAMPLES.begin() + static_cast<long>(TO), 0.0) /
           static_cast<double>(TO - FROM);
  };
  const double SECOND = MEAN(N / 4, N / 2);
  const double LAST = MEAN(N - N / 4, N);
  const bool FLAT = LAST <= SECOND * 1.10 + 4096;
  std::ostringstream S;
  S.precision(0);
  S << std::fixed << (FLAT ? "flat" : "GROWING") << ": second quarter's mean " << SECOND
    << " KiB, last quarter's " << LAST << " KiB (at most 10 % + 4 MiB more)";
  WHY = S.str();
  return FLAT;
}

std::vector<std::string> SANITIZERREPORTS(const std::string& CONSOLE) {
  std::vector<std::string> R;
  std::istringstream IN(CONSOLE);
  for (std::string L; std::getline(IN, L);) {
    if (L.find("AddressSanitizer") != std::string::npos ||
        L.find("LeakSanitizer") != std::string::npos ||
        L.find("UndefinedBehaviorSanitizer") != std::string::npos ||
        L.find("runtime error:") != std::string::npos || L.rfind("SUMMARY: ", 0) == 0) {
      R.push_back(L);
    }
  }
  return R;
}

int RUNSOAK(const tSoakOptions& O) {
  try {
    cSoak S(O);
    return S.RUN();
  } catch (const std::exception& E) {
    std::cerr << "soak: " << E.what() << std::endl;
    return 1;
  }
}
