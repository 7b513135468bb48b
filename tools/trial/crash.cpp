// The crash trial: the server killed with SIGKILL at random moments of its
// saves, many times, and after each kill every player file and the world
// file checked, then the server started again on what it left.

#include "crash.h"

#include <signal.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "checks.h"
#include "gamecopy.h"
#include "line.h"

namespace fs = std::filesystem;

namespace {

constexpr int REPLYMS = 10000;
constexpr int LISTENMS = 20000;
// The world file holds a record for each square of the 10 x 10 map and one
// before them.
constexpr int64_t WORLDRECORDS = 101;

std::string READFILE(const fs::path& P) {
  std::ifstream IN(P, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

int COUNTTERRAINS(const fs::path& GAME) {
  std::ifstream IN(GAME / "data" / "terrains.zrk");
  int N = 0;
  for (std::string L; std::getline(IN, L);) {
    N += !L.empty() && L[0] == '#' ? 1 : 0;
  }
  return N;
}

class cCrashFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One account of the game copy and what the trial knows of its player.
struct tAccount {
  int NUMBER = 0;
  bool CREATED = false;
  std::string CHAMPION;
  std::string POSITION;
};

class cCrashTrial {
 public:
  cCrashTrial(const tCrashOptions& O)
      : FO(O),
        FGAME(O.GAME, O.ACCOUNTS),
        FSERVER(COMMAND(O), FGAME.PATH(), O.PORT),
        FRANDOM(O.SEED) {
    for (int I = 1; I <= O.ACCOUNTS; ++I) {
      tAccount A;
      A.NUMBER = I;
      FACCOUNTS.push_back(A);
    }
    FTERRAINS = COUNTTERRAINS(FGAME.PATH());
  }

  int RUN();

 private:
  static std::vector<std::string> COMMAND(const tCrashOptions& O) {
    return {O.SERVER, "--port", std::to_string(O.PORT)};
  }
  // Starts the server on the game copy; a start that does not reach listening
  // is a start refused.
  void START(cServerProcess& S, const char* AFTER);
  // Logs N accounts in and makes their players change.
  void PLAY(int N);
  bool PLAYACCOUNT(tAccount& A);
  // What the files are now, taken as the versions a kill may not lose.
  void SNAPSHOT();
  // Every file against the snapshot: the same, or a whole newer version.
  void CHECK(const std::string& WHEN);
  void CHECKWORLD(const fs::path& DIR, const std::string& BEFORE, const std::string& WHEN);
  int64_t UNIFORM(int64_t MAXUS) {
    return std::uniform_int_distribution<int64_t>(0, std::max<int64_t>(MAXUS, 1))(FRANDOM);
  }
  void SLEEPUS(int64_t US) { std::this_thread::sleep_for(std::chrono::microseconds(US)); }
  // A kill at a random moment of a save pass asked for by SIGUSR1, of the
  // graceful stop, or of a start (of this game, or of a new game's first).
  void KILLINSAVEPASS();
  void KILLINSTOP();
  void KILLINSTART();
  void KILLINFIRSTSTART();
  // Measures how long a save pass, a stop and a start last, for the windows
  // in which the kills fall.
  void CALIBRATE();
  [[noreturn]] void FAIL(const std::string& WHY);

  const tCrashOptions& FO;
  cGameCopy FGAME;
  cServerProcess FSERVER;
  std::mt19937_64 FRANDOM;
  std::vector<tAccount> FACCOUNTS;
  int FTERRAINS = 0;
  int64_t FRECORDSIZE = 0;
  std::map<std::string, std::string> FSNAPSHOT;
  std::string FWHY;
  int64_t FSAVEUS = 0, FSTOPUS = 0, FSTARTUS = 0;
  // Figures of the report.
  int64_t FKILLS = 0, FKILLSAVE = 0, FKILLSTOP = 0, FKILLSTART = 0, FKILLFIRST = 0;
  int64_t FMIDSAVE = 0, FFILES = 0, FNEWVERSIONS = 0, FNEWWORLDS = 0, FSTARTS = 0;
  std::set<std::string> FTEMPS;
};

void cCrashTrial::FAIL(const std::string& WHY) {
  const fs::path KEEP =
      fs::temp_directory_path() / ("royaumes-crashtest-failure-" + std::to_string(::getpid()));
  std::error_code EC;
  fs::copy(FGAME.PATH(), KEEP, fs::copy_options::recursive, EC);
  throw cCrashFailure(WHY + "\n  (the game directory is kept in " + KEEP.string() + ")");
}

void cCrashTrial::START(cServerProcess& S, const char* AFTER) {
  S.SPAWN();
  ++FSTARTS;
  if (!S.WAITLISTENING(LISTENMS)) {
    const std::string CONSOLE = S.CONSOLE();
    S.KILL();
    FAIL(std::string("the server refused to start again after ") + AFTER + "; its console:\n" +
         CONSOLE.substr(CONSOLE.size() > 2000 ? CONSOLE.size() - 2000 : 0));
  }
}

bool cCrashTrial::PLAYACCOUNT(tAccount& A) {
  FWHY.clear();
  cLineConnection C;
  const std::string NAME = ACCOUNTNAME(A.NUMBER);
  cLogin LOGIN(NAME, ACCOUNTPASSWORD(A.NUMBER), cLogin::ANY);
  if (!C.OPEN(FO.PORT, REPLYMS) || !C.LOGIN(LOGIN, REPLYMS)) {
    FWHY = "the login was not answered (" + std::string(LOGIN.STEP()) + ") " + LOGIN.ERROR();
    return false;
  }
  const std::vector<std::string>& LINES = LOGIN.RECORD();
  for (std::size_t I = 0; I < LINES.size(); ++I) {
    if (A.POSITION.empty() && LINES[I].rfind("position:", 0) == 0) {
      A.POSITION = LINES[I].substr(9);
    }
    if (A.CHAMPION.empty() && LINES[I] == "[champions]" && I + 3 < LINES.size()) {
      A.CHAMPION = LINES[I + 3];
    }
  }
  std::vector<std::string> COMMANDS;
  if (!A.CREATED) {
    A.CREATED = true;
    COMMANDS = {"BUILD BOURG " + A.POSITION, "TURN 4", "BUILD SCIERIE " + A.POSITION, "TURN 3"};
  } else {
    const int X = static_cast<int>(UNIFORM(9)) + 1;
    const int Y = static_cast<int>(UNIFORM(9)) + 1;
    COMMANDS = {"TURN 1",
                "ORDER " + A.CHAMPION + " MOVE " + std::to_string(X) + "," + std::to_string(Y)};
  }
  for (const auto& COMMAND : COMMANDS) {
    std::vector<std::string> REPLY;
    if (!C.SEND(COMMAND + "\r\nSERVER WHOAMI\r\n") || !C.READUNTIL(NAME, REPLY, REPLYMS)) {
      FWHY = "\"" + COMMAND + "\" was not answered";
      return false;
    }
  }
  C.SEND("SERVER QUIT\r\n");
  return true;
}

void cCrashTrial::PLAY(int N) {
  std::vector<tAccount*> OLD;
  tAccount* NEW = nullptr;
  for (auto& A : FACCOUNTS) {
    if (A.CREATED) {
      OLD.push_back(&A);
    } else if (NEW == nullptr) {
      NEW = &A;
    }
  }
  std::shuffle(OLD.begin(), OLD.end(), FRANDOM);
  if (static_cast<int>(OLD.size()) > N) {
    OLD.resize(static_cast<std::size_t>(N));
  }
  if (NEW != nullptr) {
    OLD.push_back(NEW);
  }
  for (tAccount* A : OLD) {
    if (!PLAYACCOUNT(*A)) {
      FAIL("account " + ACCOUNTNAME(A->NUMBER) +
           " could not play on the restarted server: " + FWHY);
    }
  }
}

void cCrashTrial::SNAPSHOT() {
  FSNAPSHOT.clear();
  for (const auto& E : fs::directory_iterator(FGAME.PATH() / "players")) {
    if (E.path().extension() == ".plr") {
      FSNAPSHOT[E.path().filename().string()] = READFILE(E.path());
    }
  }
  FSNAPSHOT["world.wld"] = READFILE(FGAME.PATH() / "data" / "world.wld");
}

void cCrashTrial::CHECKWORLD(const fs::path& DIR, const std::string& BEFORE,
                             const std::string& WHEN) {
  const fs::path P = DIR / "data" / "world.wld";
  ++FFILES;
  std::error_code EC;
  if (!fs::exists(P, EC) && BEFORE.empty()) {
    return;
  }
  const std::string NOW = READFILE(P);
  std::string WHY;
  // A new game's world that was not written yet is empty: the next start makes it.
  if (NOW == BEFORE || (BEFORE.empty() && NOW.empty())) {
    return;
  }
  if (!WORLDFILECOMPLETE(NOW, WORLDRECORDS, FRECORDSIZE, FTERRAINS, WHY)) {
    FAIL("after a kill " + WHEN + ", " + P.string() + " is neither its previous version nor a " +
         "whole new one: " + WHY);
  }
  ++FNEWVERSIONS;
  ++FNEWWORLDS;
}

void cCrashTrial::CHECK(const std::string& WHEN) {
  std::map<std::string, bool> SEEN;
  for (const auto& E : fs::directory_iterator(FGAME.PATH() / "players")) {
    const std::string NAME = E.path().filename().string();
    if (E.path().extension() == ".tmp") {
      FTEMPS.insert(E.path().string());
    }
    if (E.path().extension() != ".plr") {
      continue;
    }
    ++FFILES;
    SEEN[NAME] = true;
    const std::string NOW = READFILE(E.path());
    const auto OLD = FSNAPSHOT.find(NAME);
    if (OLD != FSNAPSHOT.end() && OLD->second == NOW) {
      continue;
    }
    std::string WHY;
    const auto R = READPLAYERFILE(NOW, WHY);
    if (!R) {
      FAIL("after a kill " + WHEN + ", " + E.path().string() +
           " is neither its previous version nor a whole new one: " + WHY);
    }
    if (R->NAME + ".plr" != NAME) {
      FAIL("after a kill " + WHEN + ", " + E.path().string() + " holds the player " + R->NAME);
    }
    std::string OLDWHY;
    const auto BEFORE = OLD != FSNAPSHOT.end() ? READPLAYERFILE(OLD->second, OLDWHY) : std::nullopt;
    if (BEFORE && BEFORE->NBTURNS > R->NBTURNS) {
      FAIL("after a kill " + WHEN + ", " + E.path().string() + " went back from turn " +
           std::to_string(BEFORE->NBTURNS) + " to " + std::to_string(R->NBTURNS));
    }
    ++FNEWVERSIONS;
  }
  for (const auto& [NAME, TEXT] : FSNAPSHOT) {
    if (NAME != "world.wld" && SEEN.count(NAME) == 0) {
      FAIL("after a kill " + WHEN + ", the player file " + NAME + " is gone");
    }
  }
  for (const auto& E : fs::directory_iterator(FGAME.PATH() / "data")) {
    if (E.path().extension() == ".tmp") {
      FTEMPS.insert(E.path().string());
    }
  }
  CHECKWORLD(FGAME.PATH(), FSNAPSHOT["world.wld"], WHEN);
}

void cCrashTrial::CALIBRATE() {
  // A save pass of players that all changed.
  PLAY(FO.PLAYERS);
  const std::size_t MARK = FSERVER.CONSOLE().size();
  const int64_t T0 = NOWMS();
  FSERVER.SIGNAL(SIGUSR1);
  while (FSERVER.CONSOLE().find("Save pass:", MARK) == std::string::npos) {
    if (NOWMS() - T0 > REPLYMS) {
      FAIL("the server did not end a save pass asked for by SIGUSR1 within 10 s");
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  FSAVEUS = (NOWMS() - T0) * 1000;
  // A stop with every player changed.
  PLAY(FO.PLAYERS);
  const int64_t T1 = NOWMS();
  FSERVER.SIGNAL(SIGTERM);
  if (!FSERVER.WAITEXIT(REPLYMS) || FSERVER.EXITCODE() != 0) {
    FAIL("the server did not stop with code 0 on SIGTERM");
  }
  FSTOPUS = (NOWMS() - T1) * 1000;
  const int64_t T2 = NOWMS();
  START(FSERVER, "a graceful stop");
  FSTARTUS = (NOWMS() - T2) * 1000;
  // The windows: twice the time measured, and at least 20 ms.
  FSAVEUS = std::max<int64_t>(2 * FSAVEUS, 20000);
  FSTOPUS = std::max<int64_t>(2 * FSTOPUS, 20000);
  FSTARTUS = std::max<int64_t>(2 * FSTARTUS, 20000);
}

void cCrashTrial::KILLINSAVEPASS() {
  PLAY(FO.PLAYERS);
  const std::size_t MARK = FSERVER.CONSOLE().size();
  FSERVER.SIGNAL(SIGUSR1);
  SLEEPUS(UNIFORM(FSAVEUS));
  FSERVER.KILL();
  const std::string AFTER = FSERVER.CONSOLE().substr(std::min(MARK, FSERVER.CONSOLE().size()));
  if (AFTER.find("joueur:") != std::string::npos && AFTER.find("Save pass:") == std::string::npos) {
    ++FMIDSAVE;
  }
  ++FKILLSAVE;
  CHECK("during a save pass");
  START(FSERVER, "a kill during a save pass");
}

void cCrashTrial::KILLINSTOP() {
  PLAY(FO.PLAYERS);
  const std::size_t MARK = FSERVER.CONSOLE().size();
  FSERVER.SIGNAL(SIGTERM);
  SLEEPUS(UNIFORM(FSTOPUS));
  const bool ENDED = !FSERVER.RUNNING();
  FSERVER.KILL();
  if (ENDED && FSERVER.EXITCODE() != 0) {
    FAIL("the server stopped on SIGTERM with code " + std::to_string(FSERVER.EXITCODE()));
  }
  const std::string AFTER = FSERVER.CONSOLE().substr(std::min(MARK, FSERVER.CONSOLE().size()));
  if (!ENDED && AFTER.find("joueur:") != std::string::npos) {
    ++FMIDSAVE;
  }
  ++FKILLSTOP;
  CHECK("during the stop");
  START(FSERVER, "a kill during the stop");
}

void cCrashTrial::KILLINSTART() {
  // Changed players, stopped without a save: the start has them to read.
  PLAY(FO.PLAYERS);
  FSERVER.KILL();
  CHECK("after play");
  SNAPSHOT();
  FSERVER.SPAWN();
  SLEEPUS(UNIFORM(FSTARTUS));
  FSERVER.KILL();
  ++FKILLSTART;
  CHECK("during a start");
  START(FSERVER, "a kill during a start");
}

void cCrashTrial::KILLINFIRSTSTART() {
  // The game of the trial stops first (the port is the new game's now).
  FSERVER.SIGNAL(SIGTERM);
  if (!FSERVER.WAITEXIT(REPLYMS) || FSERVER.EXITCODE() != 0) {
    FAIL("the server did not stop with code 0 on SIGTERM");
  }
  CHECK("after a stop");
  // A new game: no world yet, which its first start creates.
  cGameCopy FRESH(FO.GAME, 1);
  cServerProcess S(COMMAND(FO), FRESH.PATH(), FO.PORT);
  S.SPAWN();
  SLEEPUS(UNIFORM(FSTARTUS));
  S.KILL();
  ++FKILLFIRST;
  CHECKWORLD(FRESH.PATH(), "", "during the first start of a new game");
  START(S, "a kill during the first start of a new game");
  S.SIGNAL(SIGTERM);
  if (!S.WAITEXIT(REPLYMS) || S.EXITCODE() != 0) {
    FAIL("the new game's server did not stop with code 0");
  }
  CHECKWORLD(FRESH.PATH(), "", "after the first start of a new game");
  START(FSERVER, "the new game's stop");
}

int cCrashTrial::RUN() {
  START(FSERVER, "the copy of the game");
  const std::string WORLD = READFILE(FGAME.PATH() / "data" / "world.wld");
  if (WORLD.empty() || WORLD.size() % WORLDRECORDS != 0) {
    FAIL("the first start made a world of " + std::to_string(WORLD.size()) + " bytes");
  }
  FRECORDSIZE = static_cast<int64_t>(WORLD.size()) / WORLDRECORDS;
  // The players of the trial exist before the first kill.
  for (int I = 0; I < FO.PLAYERS; ++I) {
    PLAY(0);
  }
  CALIBRATE();
  std::cout << "crash trial: " << FO.KILLS << " kills, " << FO.PLAYERS
            << " players changing between kills; windows: save pass " << FSAVEUS / 1000
            << " ms, stop " << FSTOPUS / 1000 << " ms, start " << FSTARTUS / 1000 << " ms"
            << std::endl;
  SNAPSHOT();
  for (int K = 0; K < FO.KILLS; ++K) {
    switch (K % 8) {
      case 0:
      case 2:
      case 4:
      case 6:
        KILLINSAVEPASS();
        break;
      case 1:
      case 5:
        KILLINSTOP();
        break;
      case 3:
        KILLINSTART();
        break;
      default:
        KILLINFIRSTSTART();
        break;
    }
    ++FKILLS;
    SNAPSHOT();
    if ((K + 1) % 100 == 0) {
      std::cout << "  " << K + 1 << " kills, " << FFILES << " files checked" << std::endl;
    }
  }
  FSERVER.SIGNAL(SIGTERM);
  FSERVER.WAITEXIT(REPLYMS);
  std::cout << "crash trial: " << FKILLS << " kills (" << FKILLSAVE << " in a save pass, "
            << FKILLSTOP << " in the stop, " << FKILLSTART << " in a start, " << FKILLFIRST
            << " in a new game's first start); " << FMIDSAVE
            << " of them fell after a player was written and before the pass ended\n"
            << "crash trial: " << FFILES << " files checked, " << FNEWVERSIONS
            << " of them new versions (" << FNEWWORLDS
            << " of a world file), 0 neither the previous nor a whole new version; "
            << FTEMPS.size() << " temporary files left by kills (none kept a start from "
            << "reading its game), " << FSTARTS << " starts, 0 refused" << std::endl;
  return 0;
}

}  // namespace

int RUNCRASHTRIAL(const tCrashOptions& O) {
  try {
    cCrashTrial T(O);
    return T.RUN();
  } catch (const cCrashFailure& E) {
    std::cerr << "crash trial FAILED: " << E.what() << std::endl;
    return 1;
  }
}
