#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/buffer.h"
#include "base/dice.h"
#include "entities/mobile_list.h"

/// A champion's class: its endurance and wisdom dice and its principal
/// characteristics (flags indexed by uid in CARACTSCHAMPIONS).
class cClasse : public cMobile {
 public:
  /// Identifier -1, name "dummy", dice 0D0+0, one false flag per champion
  /// characteristic (CARACTSCHAMPIONS must be loaded).
  cClasse();

  /// Reads the four lines of a record: "#uid:name", "endurance:dice",
  /// "sagesse:dice", "caracts:names". A bad number raises cConversionError.
  void FROMBUFFER(cBuffer& INPUT) override;
  /// Sets a flag for each champion characteristic named in S ("att-pdv", "none");
  /// unknown names are ignored.
  void CARACTSPRINCFROMSTRING(std::string S);
  /// Whether the champion characteristic NAME is a principal one of the class.
  bool ISPRINCIPAL(std::string_view NAME) const;

  cDice ENDURANCE;
  cDice WISDOM;
  std::vector<bool> FCARACTSPRINC;
};

/// The class catalogue, read from a file of four-line records beginning with '#'.
class cListeClasses : public tListeOf<cClasse> {
 public:
  explicit cListeClasses(std::string NAME) : NMINIFILE(std::move(NAME)) {}
  /// Loads the file; false when it could not be opened. Lines outside records
  /// are skipped; a bad number raises cLoadError.
  bool LOADCLASSES();

  std::string NMINIFILE;
};

/// The champions' classes ("data/Classes.zrk").
extern std::unique_ptr<cListeClasses> JEUCLASSES;

/// The class named NAME (case ignored) in JEUCLASSES, or nullptr. Re-sorts JEUCLASSES by name.
cClasse* FINDCLASSE(std::string_view NAME);
