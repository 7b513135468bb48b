#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "entities/mobile_list.h"

/// One resource of the game; its uid is its index in every resource array.
class cRessource : public cMobile {
 public:
  using cMobile::cMobile;
  /// Reads "#uid:name" (the first character dropped, the name's case kept).
  void FROMSTRING(std::string_view S);
};

/// The resource catalogue, read from a file of "#uid:name" lines (";" starts a comment).
class cListeRessources : public cListeMobiles {
 public:
  explicit cListeRessources(std::string NAME) : NMINIFILE(std::move(NAME)) {}
  /// Loads the file; false when it could not be opened. A uid that is not a
  /// number, or not the line's place among the records (0, 1, 2...), raises cLoadError.
  bool LOADRESSOURCES();
  std::string NMINIFILE;
};

/// The resource catalogue of the game.
extern std::unique_ptr<cListeRessources> JEURESSOURCES;

/// Number of resources of the catalogue (0 before it exists).
int32_t NBRESSOURCES();

/// A quantity of every resource (0 to 65535 each), indexed by resource uid.
/// ADD and SUB wrap at 16 bits; ADDSATURATED stops at 65535.
class cArrayRessources {
 public:
  /// One entry per resource of the catalogue, all 0.
  cArrayRessources();
  /// N entries, all 0.
  explicit cArrayRessources(std::size_t N) : RESSOURCE(N, 0) {}

  void CLEAR();
  void ADD(const cArrayRessources& A);
  void SUB(const cArrayRessources& A);
  /// ADD that stops each entry at 65535 instead of wrapping: what a stock
  /// receives never turns it into a small one.
  void ADDSATURATED(const cArrayRessources& A);
  /// Adds V to entry I, stopping at 65535; nothing for an index the array lacks.
  void ADDSATURATED(std::size_t I, uint16_t V);
  /// The entry of the resource named NAME (case ignored); 0 for a name the catalogue lacks.
  uint16_t GETRESS(std::string_view NAME) const;
  /// Sets the entry of the resource named NAME; nothing for a name the catalogue lacks.
  void SETRESS(std::string_view NAME, uint16_t V);
  int32_t GETNBRESSOURCES() const { return NBRESSOURCES(); }
  /// "100/0/25".
  std::string TOSTRING() const;
  /// Reads the "/" form; parts that are not numbers count as 0, extra parts are ignored.
  void FROMSTRING(std::string S);

  std::vector<uint16_t> RESSOURCE;
};

/// One entry of a payment schedule: RESSOURCE paid every TOURS turns; CURRENT
/// counts the turns left before the next payment. TOURS 0 falls due every turn.
/// Intervals and countdowns hold any number of turns a building can take.
struct tAssocRessTour {
  uint16_t RESSOURCE = 0;
  uint16_t CURRENT = 0;
  uint16_t TOURS = 0;
};

/// A price spread over turns: one installment and interval per resource.
class cRessParTour {
 public:
  /// One entry per resource of the catalogue, all 0.
  cRessParTour();
  explicit cRessParTour(std::size_t N) : CTRLRESSTOUR(N) {}

  /// Entry IDX becomes the smallest equal schedule paying RESSOURCE over NBTOURS
  /// turns (NBTOURS 0 to 65535; an interval beyond is held at 65535, never wrapped).
  void CALCUL(int32_t IDX, int32_t RESSOURCE, int32_t NBTOURS);
  /// Restarts the countdown of entry IDX (or of every entry).
  void REFRESH(int32_t IDX);
  void REFRESH();
  /// Copies every entry into TODUMP.
  void DUMP(cRessParTour& TODUMP) const { TODUMP.CTRLRESSTOUR = CTRLRESSTOUR; }
  /// "10:1/0:1/15:2" (installment:interval per resource).
  std::string TOSTRING() const;
  /// Reads "key:" followed by the TOSTRING form; raises cConversionError on a bad
  /// number. An interval outside 0..65535 is held at the nearer end.
  void FROMSTRING(const std::string& S);

  std::vector<tAssocRessTour> CTRLRESSTOUR;
};
