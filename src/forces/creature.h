#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/buffer.h"
#include "entities/caract.h"
#include "entities/race.h"
#include "entities/ressource.h"

/// A kind of creature that players recruit as troops: its race, the turns and
/// costs of one recruitment, the units it yields and its fighting values
/// (characteristics of CARACTSCREATURES).
class cCreature : public cMobileCaracts {
 public:
  /// Identifier -1, name "dummy", 0 turns, 0 units, empty costs, no race.
  cCreature();

  /// The nine-line record: "#uid", name, "race:", "turns:", "nbUnites:",
  /// "ressNec:", "ressParTour:", "ressProd:", "caracts:".
  void TOBUFFER(cBuffer& OUTPUT) override;
  /// Reads the nine lines; lines 3 to 9 by position, their keys unread. The name
  /// is put in lower case; turns are kept modulo 256; a race that does not
  /// exist leaves none. A bad number raises cConversionError.
  void FROMBUFFER(cBuffer& INPUT) override;

  uint8_t FNBTOURSNEC = 0;
  uint32_t FNBUNITS = 0;
  cRessParTour FRESSPARTOUR;
  cArrayRessources RESSNEC;
  cArrayRessources RESSPARTOUR;
  cArrayRessources RESSPROD;
  cRace* RACE = nullptr;
};

/// The creature catalogue, read from "data/Creatures.zrk".
class cListeCreatures : public tListeOf<cCreature> {
 public:
  explicit cListeCreatures(std::string NAME) : NMINIFILE(std::move(NAME)) {}

  /// Loads every record (a line beginning with '#' starts one; other lines
  /// between records are skipped) and derives each schedule. False when the
  /// file could not be opened; a bad number raises cLoadError.
  bool LOADCREATURES();
  /// Raises the creature's costs to quantities its turns divide and derives its
  /// schedule (see CALCULCOSTSCHEDULE: 1 turn pays the whole cost at once).
  void CALCULRESSPARTOUR(cCreature& CREATURE);
  /// The creature named NAME (case ignored), or nullptr. Re-sorts the list by name.
  cCreature* SEARCHCREATURE(std::string_view NAME);

  std::string NMINIFILE;
};

/// The creatures of the game.
extern std::unique_ptr<cListeCreatures> JEUCREATURES;
