#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/buffer.h"
#include "base/coords.h"
#include "entities/caract.h"
#include "entities/mobile_list.h"
#include "forces/armee.h"
#include "forces/champion.h"

class cProprietaire;
class cChampionPosition;

/// Result of one turn of movement.
enum sResultMove : uint8_t {
  stMoving = 0,         ///< still on the way
  stNotMoving = 1,      ///< no path
  stNotEnoughMove = 2,  ///< never produced
  stArrived = 3         ///< target reached, target cleared
};

/// What champions need from the battles, which are built on top of them. The
/// battle code installs its function when it is created; until then arriving on
/// a square fights nothing.
/// - TESTWAR: runs every battle that CHAMPION's arrival on its square causes.
///   It may move the champion (a flight) or hand it to another list (the
///   graveyard), but must not destroy it: the champion's own MOVE is running.
struct tBattleLinks {
  void (*TESTWAR)(cChampionPosition& CHAMPION) = nullptr;
};
extern tBattleLinks BATTLELINKS;

/// A catalogue champion placed on the map for a player (the model's FJOUEUR):
/// its square, its army, and its way towards a target square.
///
/// Ownership: a champion in play is owned by its player's CHAMPIONS list. It
/// leaves the list with FROMMAP, which hands it back as a unique_ptr, and goes
/// back with the static TOMAP, which takes the unique_ptr. A champion whose
/// model has no player, or that no list holds, is moved and placed where it is
/// and stays with whoever owns it.
class cChampionPosition : public cMobilePosition {
 public:
  /// No model, identifier -1, not on the map, empty army and path, no target.
  cChampionPosition();
  /// The champion in play of MODELE (identifier and name copied); MODELE's
  /// state becomes in-game. Not on the map yet.
  explicit cChampionPosition(cChampion* MODELE);
  ~cChampionPosition() override;

  /// The catalogue champion, or nullptr.
  cChampion* MODELE() const { return static_cast<cChampion*>(FMODELE); }
  /// The owner (the model's player), or nullptr.
  cProprietaire* JOUEUR() const;

  /// The model's values; without a model attack 1 and the others 0.
  int32_t GETATTACK() const;
  int32_t GETDEFENSE() const;
  int32_t GETVIT() const;
  int32_t GETPDV() const;
  /// The model's value named NAME, or nullptr (always without a model).
  const cCaractMob* GETCARACT(std::string_view NAME) const;

  /// Power of the army led by the champion: over every troop, (creature attack +
  /// champion attack + creature defence + champion defence + 5 x creature speed +
  /// creature hit points) x the number of creatures. 0 for an empty army; kept
  /// at INT32_MAX when it would go beyond.
  int32_t GETPUISSANCE() const;
  /// The same power in 64 bits, held at the ends of that range (battles count
  /// with it, so that their percentages stay right for the largest armies).
  int64_t WIDEPUISSANCE() const;

  /// Sets the target C and the straight path to it; the leftover points of the
  /// turn become the champion's "depl" and the exit cost that of its square.
  /// Refused (false, empty path, target unchanged) with a message to the owner
  /// when C or the champion's square is off the map or the champion has no
  /// "depl". FORCE has no effect.
  bool MOVETO(tcoordMap C, bool FORCE = false);
  /// The next square of the path, taken off it; none when the path is empty.
  std::optional<tcoordMap> GETNEXTMOVE();
  /// One turn of movement: spends "depl" points on the exit cost of each square
  /// left, stepping with the battle test; leftover points are credited against
  /// the next exit. Stops when the champion leaves play during a battle.
  sResultMove MOVE();

  /// Takes the champion out of its owner's CHAMPIONS and hands it over; nullptr
  /// (and nothing changed) when no owner's list holds it.
  std::unique_ptr<cChampionPosition> FROMMAP();
  /// Puts CHAMPION on POSITION, adds it to its owner's CHAMPIONS (CHAMPION then
  /// becomes null), scouts around it, sets the exit cost of the square and, when
  /// TESTWAR is true, lets battles happen there. Without an owner the champion
  /// is placed and scouted but stays in CHAMPION. Returns the champion.
  static cChampionPosition* TOMAP(std::unique_ptr<cChampionPosition>& CHAMPION, tcoordMap POSITION,
                                  bool TESTWAR = true);
  /// Moves the champion to POSITION as FROMMAP then TOMAP would, whoever holds it.
  void RELOCATE(tcoordMap POSITION, bool TESTWAR = true);

  /// Applies the named characteristic of the model: "scout" (short name, case
  /// counts) adds the squares within its value around the champion to the
  /// owner's known map. Others do nothing.
  void RUNCARACTS(std::string_view NAMECARACT);
  /// Gives the champion to JOUEUR (the model's player). On the map, it moves
  /// from the old owner's CHAMPIONS to JOUEUR's on the same square and scouts
  /// for JOUEUR, without battle. Does nothing without a model. Returns the
  /// champion when the old owner's list held it and no list of JOUEUR can take
  /// it (JOUEUR null): the caller then owns it. Otherwise nullptr.
  [[nodiscard]] std::unique_ptr<cChampionPosition> ASSIGNPLAYER(cProprietaire* JOUEUR);
  /// Puts every troop of the army (line 1, 2, 3, front first) on the champion's
  /// square in the owner's TROUPES. Without an owner the army is kept.
  void DROPTROUPES();
  /// Moves the champion after a lost battle to a random square within 2 of its
  /// own, never 2 down and 2 right, with the battle test. Path and target are
  /// kept. A champion off the map does not move.
  void FLEE();

  /// The model's twelve lines with its game state, "position:X,Y", "moveTo:X,Y",
  /// then the army.
  void TOBUFFER(cBuffer& OUTPUT) override;
  /// Reads that record: the model's lines (game state included), the square, the
  /// target (with MOVETO, which rebuilds the path), then the army. The champion
  /// needs the full exit cost of its square again.
  void FROMBUFFER(cBuffer& INPUT) override;

  cArmee ARMEES;
  /// Squares still to enter, next first.
  std::deque<tcoordMap> MOVEMENTS;
  /// Movement points left in the current turn.
  int16_t MVCURCAPITAL = 0;
  /// Movement points still needed to leave the current square.
  int16_t MVNECEXIT = 0;
  /// The target; (-1, -1) for none.
  tcoordMap ENDMOVE{-1, -1};

 private:
  // Writes a line to the owner's messages, when there is an owner.
  void TELL(const std::string& LINE) const;
  // What follows putting the champion on its square: scouting, the exit cost
  // of the square, and the battle test when TESTWAR is true.
  void ARRIVE(bool TESTWAR);
};

/// Exit cost of the square at POSITION: its terrain's movement cost. A square
/// the world cannot supply or a terrain the catalogue lacks costs 0, with a
/// console line.
int16_t MOVECOSTAT(tcoordMap POSITION);

/// A player's champions in play (or its dead), kept in square-index order.
class cListeChampionsPosition : public tListeOf<cChampionPosition, cListeMobilesPosition> {
 public:
  explicit cListeChampionsPosition(std::string NAME = "");

  /// A new champion without a model, carrying UID.
  std::unique_ptr<cMobilePosition> NEW(int32_t UID) override;

  /// Reads one champion: the catalogue champion of its "#id" line in
  /// JEUCHAMPIONS, then its record. An identifier no catalogue champion has
  /// raises cLoadError naming the file, the line and the identifier.
  std::unique_ptr<cMobile> INPUTMOBILE(cBuffer& INPUT) override;

  /// Moves every champion held at the start of the turn once, in list order; a
  /// champion that left the list meanwhile (a battle) is not moved.
  void PASSTURN();

  std::string NMINIFILE;
};
