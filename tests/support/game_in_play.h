#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/errors.h"
#include "base/random.h"
#include "forces/batiment.h"
#include "forces/champion.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "protocol/nanny.h"
#include "protocol/session.h"
#include "server/startup.h"
#include "support/fixtures.h"
#include "world/world.h"

namespace testsupport {

/// The shipped game started from a copy of its directory, with a world, the
/// random generator seeded with 11, the console captured, and SESSION at the login.
class cGameInPlay : public ::testing::Test {
 protected:
  cGameInPlay() {
    INITGAME(11);
    WORLDMAP->CREATEWORLD();
    RANDOMGEN().SEED(11);
    CONSOLELOG.CLEAR();
  }
  ~cGameInPlay() override {
    SESSION.TAKENEWJOUEUR();  // a player still at the race question goes before the game
    FREEGAME();
  }

  /// A new player NAME of race 0 in JEUJOUEURS, as the login makes it.
  static cJoueur* NEWPLAYER(const std::string& NAME) {
    auto J = std::make_unique<cJoueur>();
    EXPECT_TRUE(J->NEWPLAYER());
    J->FNAME = NAME;
    J->CHGRACE(0);
    return JEUJOUEURS->ADD(std::move(J));
  }

  /// A player of JEUJOUEURS with nothing at all.
  static cJoueur* BAREPLAYER(const std::string& NAME) {
    return JEUJOUEURS->ADD(std::make_unique<cJoueur>(JEUJOUEURS->FINDAVAILUID(), NAME));
  }

  /// A new champion NAME of the catalogue with the values CARACTS ("att:2-def:1") and
  /// the flee threshold WIMPY, in play for J on (X, Y) without a battle.
  static cChampionPosition* HERO(cJoueur* J, const std::string& NAME, const std::string& CARACTS,
                                 int32_t WIMPY = 0, int32_t X = 5, int32_t Y = 5) {
    auto M = std::make_unique<cChampion>();
    M->FUID = JEUCHAMPIONS->FINDAVAILUID();
    M->FNAME = NAME;
    M->FCARACTS.FROMSTRING(CARACTS);
    M->WIMPY = WIMPY;
    M->FJOUEUR = J;
    auto C = std::make_unique<cChampionPosition>(JEUCHAMPIONS->ADD(std::move(M)));
    return cChampionPosition::TOMAP(C, COORDMAP(X, Y), false);
  }

  /// SESSION plays J, logged on to the account of J's name if there is one.
  cJoueur* PLAY(cJoueur* J) {
    SESSION.LOGON(J->FNAME);
    SESSION.FJOUEUR = J;
    SESSION.CHGSTATE(CON_PLAYING);
    return J;
  }

  /// LINE acted on as the server acts on a line of SESSION; the bytes it sent.
  std::string RUN(const std::string& LINE, cSession& S) {
    S.CLEAROUTPUT();
    S.FCOMMAND = LINE;
    std::string WHY;
    EXPECT_TRUE(PLAYLINE(S, WHY)) << LINE << ": " << WHY;
    return S.OUTPUT();
  }
  std::string RUN(const std::string& LINE) { return RUN(LINE, SESSION); }

  /// The reply to LINE cut into its lines, without their CR LF.
  std::vector<std::string> LINES(const std::string& LINE) {
    const std::string OUT = RUN(LINE);
    std::vector<std::string> R;
    for (std::size_t START = 0, END = 0; START < OUT.size(); START = END + 2) {
      END = OUT.find("\r\n", START);
      R.push_back(OUT.substr(START, END - START));
    }
    return R;
  }

  /// Starts the game again from the directory: the load error's message, or "".
  std::string RESTART() {
    FREEGAME();
    try {
      INITGAME();
    } catch (const cLoadError& E) {
      return E.what();
    }
    return "";
  }

  cShippedGameDir GAME;
  cConsoleCapture CONSOLELOG;
  cSession SESSION;
};

}  // namespace testsupport
