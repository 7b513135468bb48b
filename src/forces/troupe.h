#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/buffer.h"
#include "base/coords.h"
#include "entities/caract.h"
#include "entities/encours.h"
#include "entities/mobile_list.h"
#include "entities/ressource.h"
#include "forces/buildresult.h"
#include "forces/creature.h"
#include "forces/pieces.h"

/// A troop: a stack of creatures of one kind owned by a player, standing on a
/// square (the player's TROUPES) or in a champion's army (square (-1, -1)).
/// Its fighting values are those of its creature; battles keep their state in it.
class cCreaturePosition : public cMobilePosition {
 public:
  /// Identifier -1, name "dummy", no creature, every count 0.
  cCreaturePosition();
  /// A troop of MOB, named after it, with the creature catalogue as its models;
  /// identifier -1, not placed.
  explicit cCreaturePosition(cCreature* MOB);
  ~cCreaturePosition() override;

  /// The creature of the troop, or nullptr.
  cCreature* CREATURE() const;
  /// "att", "def", "vit", "pdv" of the creature; 0 when absent or without creature.
  int32_t GETATTACK() const;
  int32_t GETDEFENSE() const;
  int32_t GETVIT() const;
  int32_t GETPDV() const;
  /// The creature's value named NAME, or nullptr.
  const cCaractMob* GETCARACT(std::string_view NAME) const;
  /// (2 att + 2 def + 2 pdv + vit) x FNBTROUPES, kept within the 32-bit range.
  int32_t GETPUISSANCE() const;

  /// The placed record, then "nbTroupes:N".
  void TOBUFFER(cBuffer& OUTPUT) override;
  using cMobilePosition::FROMBUFFER;
  /// Reads that record; the battle state (STACKPDV, NUMLINE, POISONNED,
  /// BLINDED) starts at 0. A bad number raises cConversionError.
  void FROMBUFFER(cBuffer& INPUT, cListeMobiles* MODELES) override;

  int32_t FNBTROUPES = 0;
  int32_t STACKPDV = 0;
  int32_t NUMLINE = 0;
  int32_t POISONNED = 0;
  int32_t BLINDED = 0;
};

/// A player's troops standing on the map, in square order. Owns them.
class cListeCreaturesPosition
    : public tListePieces<cCreaturePosition, cListeMobilesPosition, JEUCREATURES> {
 public:
  using tListePieces::tListePieces;

  /// A troop with identifier UID, named "dummy", without creature.
  std::unique_ptr<cMobilePosition> NEW(int32_t UID) override;
  using cListeMobilesPosition::WIZARD;
  /// Puts NB creatures of MOB on POSITION at once, with no cost nor delay: a
  /// new troop of MOB (models MODELES) with a free identifier, added to the list.
  cCreaturePosition* WIZARD(cCreature* MOB, int32_t NB, cListeMobiles* MODELES, tcoordMap POSITION);
};

/// One recruitment: NB troops of a creature paid by installments and delivered
/// on their square to the player's troops when the countdown ends.
class cCreatureEnCours : public cMobileEnCours {
 public:
  /// The empty recruitment that readers fill: models JEUCREATURES, countdown -1.
  cCreatureEnCours();
  /// A recruitment of MOBMODELE paid from CAPITAL and delivered to TOADD; its
  /// countdown is the creature's turns.
  cCreatureEnCours(cCreature* MOBMODELE, cArrayRessources* CAPITAL, cListeCreaturesPosition* TOADD);
  ~cCreatureEnCours() override;

  /// The work-in-progress record, then "nbTroops:N".
  void TOBUFFER(cBuffer& OUTPUT) override;
  using cMobileEnCours::FROMBUFFER;
  void FROMBUFFER(cBuffer& INPUT, cListeMobiles* MODELES) override;

  int32_t FNBTROUPES = 0;
};

/// A player's recruitments. Owns them; a finished one becomes a new troop on
/// its square. Refusals and deliveries are written to the player's OUTPUT.
class cListeCreaturesEnCours
    : public tListePieces<cCreatureEnCours, cListeMobilesEnCours, JEUCREATURES> {
 public:
  using tListePieces::tListePieces;

  /// Recruitments one player may have under way (see the constructions' bound).
  static constexpr int32_t MAXWORKS = 1000;

  /// Whether one of the player's buildings standing on POSITION recruits MOB.
  bool TESTCREATURESPRESENTS(const cCreature* MOB, tcoordMap POSITION);
  /// Starts the recruitment of NB troops of MOB on POSITION (NB times the
  /// creature's turns, the creature's installments all along), or refuses it:
  /// no building there recruits MOB, NB below 1, a creature without turns, a
  /// countdown beyond the 32-bit range, a troop of more creatures than a
  /// 32-bit count holds, or MAXWORKS under way. sBuildOK or sBuildError.
  sResultBuild BUILDNEWCREATURE(int32_t NB, cCreature* MOB, tcoordMap POSITION);
  /// Makes the finished recruitment MOB a new troop of its destination list
  /// (the player's TROUPES), then removes and destroys MOB.
  sResultTransfert TRANSFERT(cMobileEnCours* MOB) override;

  cBuffer BUFFERRECRUTEMENT;
};
