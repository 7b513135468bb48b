#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/buffer.h"
#include "entities/mobile_list.h"
#include "forces/troupe.h"

class cChampionPosition;
class cJoueur;

/// Stacks that a battle lines up for a phase or a blow; their armies keep them.
using cListeStacks = tListeRefOf<cCreaturePosition>;

/// The messages of a champion that breaks: $n1 the champion, $n2 its player.
inline constexpr const char* RSINFOMORTCHAMPION =
    "Champion $n1 ($n2) est mort sur le champ de bataille";
inline constexpr const char* RSINFOFUITECHAMPION = "Champion $n1 ($n2) a fuit le champ de bataille";

/// How a battle ended for the champions.
enum sWarOutcome : uint8_t {
  swNobodyBroke = 0,
  swAttackerDied = 1,
  swAttackerFled = 2,
  swDefenderDied = 3,
  swDefenderFled = 4
};

/// One battle between the champion that arrived on a square (the attacker) and
/// a champion or the guard of troops found there (the defender), each with its
/// army, and the report of it written for each side's player.
class cWar {
 public:
  /// Rounds after which a battle ends whatever its state.
  static constexpr int32_t MAXROUNDS = 100;

  /// A battle of C1 against C2; the players are those of their catalogue
  /// champions. Both champions must outlive the battle.
  cWar(cChampionPosition& C1, cChampionPosition& C2);
  cWar(const cWar&) = delete;
  cWar& operator=(const cWar&) = delete;

  /// Fights the battle: the armies' lines sorted by speed, the opening line
  /// and the armies, rounds (ranged, catapult and melee phases, burial of the
  /// destroyed stacks, moving up) while each side keeps more than its
  /// champion's flee threshold of its starting power, at most MAXROUNDS and
  /// until a round changes neither power; then each champion gains the power
  /// it destroyed, and the first side below its threshold (the attacker
  /// examined first, a guard never) dies or flees. A side whose starting power
  /// is 0 has nothing to fight with: no round is fought and it counts as
  /// having nothing left. Before a flight the reports are handed to the
  /// players (REPORT), so that a battle where the champion lands comes after.
  sWarOutcome BATTLE();
  /// Empties L, then adds every stack of C's lines LFROM to LTO (in that
  /// order, each line in its order) that has the characteristic NAMEATT.
  static void BLDLINEFROMATTRIBUT(std::string_view NAMEATT, const cChampionPosition& C,
                                  cListeStacks& L, int32_t LFROM = 2, int32_t LTO = 3);
  /// Every stack of L1 (the attacker's) and of L2 (the defender's) acts once:
  /// the two lists are merged by the speed of their heads, the attacker's
  /// first on equal speed.
  void PROCEEDTWOLINES(const cListeStacks& L1, const cListeStacks& L2);
  /// One action of BOURREAU (of CBOURREAU's army) against CVICTIME's army: a
  /// stack that shoots ("rng" or "ctplt", from line 2 or 3) aims as far as its
  /// reach, flyers first for "rng", never at line 1 for a catapult, at a stack
  /// drawn at random; otherwise it strikes the strongest stack of the enemy's
  /// line 1 that is not stronger than itself (the weakest when all are). The
  /// victim may parry ("pare"); a destroyed victim is buried after the round.
  void LANCEACTION(cCreaturePosition& BOURREAU, cChampionPosition& CBOURREAU,
                   cChampionPosition& CVICTIME);
  /// One blow: damage = units x attack x attack / defence, attack and defence
  /// including their champions' (an attack below 0 counts as 0, a defence
  /// below 1 as 1); the victim's hit points fall by it and its units follow
  /// them. True when the victim stack is destroyed.
  bool ATTACK(cCreaturePosition& BOURREAU, cCreaturePosition& VICTIME,
              const cChampionPosition& CBOURREAU, const cChampionPosition& CVICTIME);
  /// Both armies into both reports, the two front lines facing each other.
  void DISPLAYARMEE();
  void WRITEBOTH(const std::string& S);
  void WRITEATT(const std::string& S);
  void WRITEDEF(const std::string& S);
  /// Appends each report to its player's messages and empties it.
  void REPORT();

  cChampionPosition& ATTAQUANT;
  cChampionPosition& DEFENDANT;
  cJoueur* JATTAQUANT;
  cJoueur* JDEFENDANT;
  cBuffer BUFFERATTAQUANT;
  cBuffer BUFFERDEFENDANT;

 private:
  // The stacks destroyed during the round, each with its side's champion.
  std::vector<std::pair<cCreaturePosition*, cChampionPosition*>> TROUPESMORTES;

  // One phase: the stacks of both sides given by BUILD act by speed.
  template <class BUILD>
  void PHASE(BUILD LINEOF);
  // The destroyed stacks leave their armies for good.
  void BURY();
  // Stacks of lines 2 and 3 move up into the line ahead while it holds fewer than 3.
  void MOVEUP();
  // The side C breaks with PERTE percent of its power left: it dies or flees.
  sWarOutcome BREAK(cChampionPosition& C, cJoueur* J, int64_t PERTE, bool ISATTACKER);
};

/// Whether C1's creature is faster than C2's.
bool COMPAREVITESSE(const cCreaturePosition& C1, const cCreaturePosition& C2);

/// Orders the stacks of L by their creature's speed, fastest first (equal ones
/// keep their order).
template <class LIST>
void SORTVITESSE(LIST& L) {
  L.SORTWITH([](const cMobile& A, const cMobile& B) {
    return COMPAREVITESSE(static_cast<const cCreaturePosition&>(A),
                          static_cast<const cCreaturePosition&>(B));
  });
}

/// Orders the stacks of L by their power, strongest first (equal ones keep
/// their order).
template <class LIST>
void SORTPUISSANCE(LIST& L) {
  L.SORTWITH([](const cMobile& A, const cMobile& B) {
    return static_cast<const cCreaturePosition&>(A).GETPUISSANCE() >
           static_cast<const cCreaturePosition&>(B).GETPUISSANCE();
  });
}
