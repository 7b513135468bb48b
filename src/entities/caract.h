#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "entities/mobile_list.h"

/// One characteristic of a catalogue: uid, full name (FNAME) and short name.
class cCaract : public cMobile {
 public:
  /// Identifier -1, empty full and short names.
  cCaract() { FNAME.clear(); }
  /// The full name is put in lower case; the short name is kept as given.
  cCaract(int32_t UID, std::string_view NAME, std::string_view ABREV)
      : cMobile(UID, NAME), ABCARACT(GSTRING(ABREV)) {}
  ~cCaract() override { ABCARACT.clear(); }

  /// "#uid:full-short".
  std::string TOSTRING() const;
  /// Reads "#uid:full-short": the first character dropped, names kept in their
  /// case and cut to 40 characters; without '-' the short name is empty.
  /// A uid that is not a number raises cConversionError.
  void FROMSTRING(std::string_view PMSTR);

  std::string ABCARACT;
};

/// A characteristic catalogue, read from a file of "#uid:full-short" lines
/// (";" starts a comment). Its records stay in file order.
class cListeCaracts : public cListeMobiles {
 public:
  explicit cListeCaracts(std::string NAME) : NMINIFILE(std::move(NAME)) {}

  /// Loads the file; false when it could not be opened. A uid that is not a
  /// number, or not the record's place in the file (0, 1, 2...), raises cLoadError.
  bool LOADCARACTS();
  /// Position of the characteristic whose short or full name is NAME (case
  /// ignored), or -1. The catalogue is not re-sorted.
  int32_t ITERATIFSEARCH(std::string_view NAME) const;
  /// The characteristic at ITERATIFSEARCH(NAME), or nullptr.
  /// Unlike the search of other lists it does not sort the catalogue, whose
  /// positions must stay those of the file.
  cCaract* SEARCH(std::string_view NAME) const;
  cCaract* GETCARACT(int32_t INDEX) const { return static_cast<cCaract*>(GET(INDEX)); }

  std::string NMINIFILE;
};

/// Characteristics of champions and classes ("data/caractHeros.zrk"), numbered
/// 0 to n - 1 in file order.
extern std::unique_ptr<cListeCaracts> CARACTSCHAMPIONS;
/// Characteristics of creatures and troops ("data/caractMonst.zrk").
extern std::unique_ptr<cListeCaracts> CARACTSCREATURES;
/// Characteristics of buildings ("data/caractBat.zrk").
extern std::unique_ptr<cListeCaracts> CARACTSBATIMENTS;

/// One value of one characteristic.
struct cCaractMob {
  cCaract* CARACT = nullptr;
  int16_t VALUE = 0;
};

/// The characteristic values of one piece, in the order they were read; names
/// are looked up in the catalogue FREFLSTCARACTS. Text form "att:5-def:-2".
class cListeCaractsMob {
 public:
  explicit cListeCaractsMob(cListeCaracts* REFLST = nullptr) : FREFLSTCARACTS(REFLST) {}

  /// "short:value" items joined by '-'; the empty text for no value.
  std::string TOSTRING() const;
  /// Replaces the values with those of PMSTR ("none" or the empty text: no value).
  /// A value that is not a number raises cConversionError; a name the catalogue
  /// lacks is reported on the console and skipped.
  void FROMSTRING(std::string PMSTR);
  /// The first value whose characteristic has NMCARACT as full or short name
  /// (case ignored), or nullptr.
  const cCaractMob* GET(std::string_view NMCARACT) const;
  int32_t GETCOUNT() const { return static_cast<int32_t>(FLSTCARACTS.size()); }
  /// Adds a value (a characteristic of the catalogue).
  void ADD(cCaract* C, int16_t VALUE) { FLSTCARACTS.push_back(cCaractMob{C, VALUE}); }
  void CLEAR() { FLSTCARACTS.clear(); }

  std::vector<cCaractMob> FLSTCARACTS;
  cListeCaracts* FREFLSTCARACTS;
};

/// The value of CARACT in CARACTS, or DEFAULT when the piece does not have it.
int32_t GETCARACTMOB(const cListeCaractsMob& CARACTS, std::string_view CARACT, int32_t DEFAULT);

/// A catalogue record that carries characteristic values (creature, building,
/// champion), with the four values battles use.
class cMobileCaracts : public cMobile {
 public:
  /// Identifier -1, name "dummy", no value; names looked up in REFLST.
  explicit cMobileCaracts(cListeCaracts* REFLST) : FCARACTS(REFLST) {}

  /// "att", "def", "vit", "pdv"; 0 when the record does not have it.
  int32_t GETATTACK() const { return GETCARACTMOB(FCARACTS, "att", 0); }
  int32_t GETDEFENSE() const { return GETCARACTMOB(FCARACTS, "def", 0); }
  int32_t GETVIT() const { return GETCARACTMOB(FCARACTS, "vit", 0); }
  int32_t GETPDV() const { return GETCARACTMOB(FCARACTS, "pdv", 0); }
  /// The value named NAME (cut to 40 characters, case ignored), or nullptr.
  const cCaractMob* GETCARACT(std::string_view NAME) const { return FCARACTS.GET(GSTRING(NAME)); }

  cListeCaractsMob FCARACTS;
};
