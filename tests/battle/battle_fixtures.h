#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "battle/war.h"
#include "forces/champion.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "support/game_in_play.h"

namespace battlefixtures {

using Lines = std::vector<std::string>;

/// The shipped game (its characteristics) with two players alice and bob
/// without anything, and no battle on arrival unless a test installs it.
class Battles : public testsupport::cGameInPlay {
 protected:
  Battles() { BATTLELINKS.TESTWAR = nullptr; }

  static cJoueur* PLAYER(const std::string& NAME) {
    return JEUJOUEURS->ADD(std::make_unique<cJoueur>(JEUJOUEURS->FINDAVAILUID(), NAME));
  }
  /// A creature of the catalogue with the values CARACTS ("att:2-pdv:5").
  static cCreature* KIND(const std::string& NAME, const std::string& CARACTS) {
    auto C = std::make_unique<cCreature>();
    C->FUID = JEUCREATURES->FINDAVAILUID();
    C->FNAME = NAME;
    C->FCARACTS.FROMSTRING(CARACTS);
    return JEUCREATURES->ADD(std::move(C));
  }
  /// A new catalogue champion of J with CARACTS and flee threshold WIMPY, in
  /// play on (X, Y) without a battle.
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
  static cCreaturePosition* TROOP(cJoueur* J, cCreature* KIND, int32_t N, int32_t X = 5,
                                  int32_t Y = 5) {
    return J->TROUPES->WIZARD(KIND, N, JEUCREATURES.get(), COORDMAP(X, Y));
  }
  static Lines LOG(const cJoueur* J) { return J->OUTPUT.LINES(); }
  static int32_t COUNTOF(const Lines& L, const std::string& PART) {
    return static_cast<int32_t>(std::count_if(L.begin(), L.end(), [&](const std::string& S) {
      return S.find(PART) != std::string::npos;
    }));
  }

  cJoueur* ALICE = PLAYER("alice");
  cJoueur* BOB = PLAYER("bob");
};

}  // namespace battlefixtures
