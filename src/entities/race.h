#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "entities/mobile_list.h"

/// A race that a player chooses and that creatures, buildings and champions belong to.
class cRace : public cMobile {
 public:
  using cMobile::cMobile;
  /// Reads "#uid:name" (the first character dropped, the name's case kept).
  /// A uid that is not a number raises cConversionError.
  void FROMSTRING(std::string_view S);
};

/// The race catalogue, read from a file of "#uid:name" lines (";" starts a comment).
class cListeRaces : public tListeOf<cRace> {
 public:
  explicit cListeRaces(std::string NAME) : NMINIFILE(std::move(NAME)) {}
  /// Loads the file in file order; false when it could not be opened. A bad
  /// uid (an empty line included) raises cLoadError.
  bool LOADRACES();

  std::string NMINIFILE;
};

/// The races of the game ("data/races.zrk").
extern std::unique_ptr<cListeRaces> JEURACES;

/// The race named NAME (case ignored) in JEURACES, or nullptr. Re-sorts JEURACES by name.
cRace* FINDRACE(std::string_view NAME);
