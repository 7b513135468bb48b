#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "battle/war.h"
#include "support/game_in_play.h"

namespace battlefixtures {

using Lines = std::vector<std::string>;

/// The shipped game (its characteristics) with two players alice and bob
/// without anything, and no battle on arrival unless a test installs it.
class Battles : public testsupport::cGameInPlay {
 protected:
  Battles() { BATTLELINKS.TESTWAR = nullptr; }

  /// A creature of the catalogue with the values CARACTS ("att:2-pdv:5").
  static cCreature* KIND(const std::string& NAME, const std::string& CARACTS) {
    auto C = std::make_unique<cCreature>();
    C->FUID = JEUCREATURES->FINDAVAILUID();
    C->FNAME = NAME;
    C->FCARACTS.FROMSTRING(CARACTS);
    return JEUCREATURES->ADD(std::move(C));
  }
  /// N creatures of KIND in line LINE of C's army, ready to fight (their line
  /// and hit points set as a battle sets them).
  static cCreaturePosition* STACK(cChampionPosition* C, cCreature* KIND, int32_t N, int32_t LINE) {
    auto T = std::make_unique<cCreaturePosition>(KIND);
    T->FNBTROUPES = N;
    T->NUMLINE = LINE;
    T->STACKPDV =
        static_cast<int32_t>(std::clamp<int64_t>(int64_t{KIND->GETPDV()} * N, 0, INT32_MAX));
    T->SETPOSITION(COORDMAP(-1, -1));
    cCreaturePosition* P = T.get();
    C->ARMEES.APPEND(std::move(T), LINE);
    return P;
  }
  /// N creatures of KIND standing on (X, Y) for J.
  static void TROOP(cJoueur* J, cCreature* KIND, int32_t N, int32_t X = 5, int32_t Y = 5) {
    J->TROUPES->WIZARD(KIND, N, JEUCREATURES.get(), COORDMAP(X, Y));
  }
  static Lines LOG(const cJoueur* J) { return J->OUTPUT.LINES(); }
  static int32_t COUNTOF(const Lines& L, const std::string& PART) {
    return static_cast<int32_t>(std::count_if(L.begin(), L.end(), [&](const std::string& S) {
      return S.find(PART) != std::string::npos;
    }));
  }

  cJoueur* ALICE = BAREPLAYER("alice");
  cJoueur* BOB = BAREPLAYER("bob");
};

}  // namespace battlefixtures
