#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/buffer.h"
#include "entities/caract.h"
#include "entities/race.h"
#include "entities/ressource.h"

class cCreature;
class cListeBatiments;

/// Number of building records found by the first loading pass: the length of
/// every requirement array (BATNEC).
extern int32_t ULNBBATIMENTS;

/// A kind of building: its cost and turns of construction, the buildings it
/// requires on the same square, its race, its characteristics (of
/// CARACTSBATIMENTS), what it takes and gives each turn, and the troop it
/// lets its owner recruit.
class cBatiment : public cMobileCaracts {
 public:
  /// Identifier -1, name "dummy", -1 turns, empty costs and requirements, no
  /// race, no recruit, in preloading mode.
  cBatiment();

  void PRELOADING(bool STATE) { FPRELOADING = STATE; }

  /// Names of the required buildings in identifier order joined by '-', or
  /// "none"; names are those of CATALOGUE (JEUBATIMENTS when not given).
  std::string BATIMENTSNECTOSTRING() const;
  std::string BATIMENTSNECTOSTRING(cListeBatiments* CATALOGUE) const;
  /// BATNEC := ULNBBATIMENTS flags, set for each name of PMSTR found in
  /// CATALOGUE (JEUBATIMENTS when not given); unknown names are skipped.
  void BATIMENTSNECFROMSTRING(std::string PMSTR);
  void BATIMENTSNECFROMSTRING(std::string PMSTR, cListeBatiments* CATALOGUE);
  /// Whether this building requires the one with identifier UID.
  bool REQUIRES(int32_t UID) const;
  /// Whether this building requires any other.
  bool REQUIRESANY() const;

  /// The eleven-line record: "#uid", name, "race:", "batNec:", "turns:",
  /// "caracts:", "ressNec:", "ressTerrain:", "ressJoueur:", "ressProd:", "recruit:".
  void TOBUFFER(cBuffer& OUTPUT) override;
  /// Reads the record (only its first two lines in preloading mode), with
  /// requirements looked up in JEUBATIMENTS. A bad number raises cConversionError.
  void FROMBUFFER(cBuffer& INPUT) override;
  /// The same with requirements looked up in CATALOGUE.
  void FROMBUFFER(cBuffer& INPUT, cListeBatiments* CATALOGUE);

  int16_t FNBTOURSNEC = -1;
  cRessParTour FRESSPARTOUR;
  cArrayRessources RESSNEC;
  cArrayRessources RESSSURTERRAIN;
  cArrayRessources RESSSURJOUEUR;
  cArrayRessources RESSPRODUITES;
  std::vector<bool> BATNEC;
  cRace* RACENEC = nullptr;
  cCreature* FRECRUIT = nullptr;
  bool FPRELOADING = true;
};

/// The building catalogue, read from "data/Batiments.zrk". Its identifiers are
/// 0 to ULNBBATIMENTS - 1, each used once.
class cListeBatiments : public tListeOf<cBatiment> {
 public:
  explicit cListeBatiments(std::string NAME) : NMINIFILE(std::move(NAME)) {}

  /// First pass: one building per record, with identifier and name only.
  void PRELOADBATIMENTS(cBuffer& BUFFER);
  /// Loads the catalogue in two passes, so that a record can require a
  /// building written after it. False when the file could not be opened.
  /// Raises cLoadError on a bad number, on identifiers that are not 0 to n - 1
  /// each used once, and on a negative number of turns.
  bool LOADBATIMENTS();
  /// Raises the building's costs to quantities its turns divide and derives its
  /// schedule (see CALCULCOSTSCHEDULE: 1 turn pays the whole cost at once).
  void CALCULRESSPARTOUR(cBatiment& BATIMENT);
  /// The building with that identifier, or nullptr. Unlike SEARCH it leaves the
  /// list's order alone, so that writing requirements during a walk of the
  /// catalogue does not reorder the walk.
  cBatiment* BATIMENTBYUID(int32_t UID) const;
  /// The building named NAME (case ignored), or nullptr. Re-sorts the list by name.
  cBatiment* SEARCHBATIMENT(std::string_view NAME);

  std::string NMINIFILE;
};

/// The buildings of the game.
extern std::unique_ptr<cListeBatiments> JEUBATIMENTS;
