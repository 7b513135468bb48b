#pragma once

#include <cstdint>
#include <memory>

#include "base/buffer.h"
#include "base/coords.h"
#include "entities/encours.h"
#include "entities/mobile_list.h"
#include "entities/ressource.h"
#include "forces/batiment.h"
#include "forces/buildresult.h"
#include "forces/pieces.h"

/// A building standing on a square of a player's town.
class cBatimentPosition : public cMobilePosition {
 public:
  /// Identifier -1, name "dummy", no model.
  cBatimentPosition();
  /// A building of MOB, named after it, with the building catalogue as its
  /// models; identifier -1, not placed.
  explicit cBatimentPosition(cBatiment* MOB);
  ~cBatimentPosition() override;

  /// The catalogue building, or nullptr.
  cBatiment* BATIMENT() const;
};

/// A player's standing buildings (its towns), in square order. Owns them.
class cListeBatimentsPosition
    : public tListePieces<cBatimentPosition, cListeMobilesPosition, JEUBATIMENTS> {
 public:
  using tListePieces::tListePieces;

  /// Puts a finished building of MOB on POSITION at once, with no cost: a free
  /// identifier of this list, added to it.
  cBatimentPosition* WIZARDBATIMENT(cBatiment* MOB, tcoordMap POSITION);
  /// A building with identifier UID, named "dummy", without model.
  std::unique_ptr<cMobilePosition> NEW(int32_t UID) override;
};

/// A building under construction, paid by installments and delivered to the
/// player's towns when its countdown ends.
class cBatimentEnCours : public cMobileEnCours {
 public:
  /// The empty construction that readers fill: models JEUBATIMENTS, countdown -1.
  cBatimentEnCours();
  /// A construction of MOBMODELE paid from CAPITAL and delivered to TOADD; its
  /// countdown is the building's turns.
  cBatimentEnCours(cBatiment* MOBMODELE, cArrayRessources* CAPITAL, cListeBatimentsPosition* TOADD);
  ~cBatimentEnCours() override;
};

/// A player's constructions. Owns them; a finished one becomes a standing
/// building. Refusals and deliveries are written to the player's OUTPUT.
class cListeBatimentsEnCours
    : public tListePieces<cBatimentEnCours, cListeMobilesEnCours, JEUBATIMENTS> {
 public:
  using tListePieces::tListePieces;

  /// Constructions one player may have under way: one account sending BUILD in
  /// a loop would otherwise grow the server's memory and its file without end.
  static constexpr int32_t MAXWORKS = 1000;

  /// Whether MOB may be built on POSITION: a champion of the player there when
  /// MOB has "hernec", and every building MOB requires standing there. The
  /// first missing requirement is left in BUFFERCONSTRUCTION as a reason line.
  bool TESTBATIMENTSPRESENTS(const cBatiment* MOB, tcoordMap POSITION);
  /// Starts a construction of MOB on POSITION, a square the player knows, or
  /// refuses it (also for a building without turns, and when MAXWORKS are under
  /// way): sBuildOK or sBuildNeedBatiment.
  sResultBuild BUILDNEWBATIMENT(cBatiment* MOB, tcoordMap POSITION);
  /// Makes the finished construction MOB a building of its destination list
  /// (the player's VILLES) with a free identifier there, then removes and
  /// destroys MOB.
  sResultTransfert TRANSFERT(cMobileEnCours* MOB) override;

  /// The reasons found by the last requirement test, one line each.
  cBuffer BUFFERCONSTRUCTION;
};
