#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/dice.h"
#include "entities/mobile_list.h"

/// One kind of ground: the movement it costs to enter, the character that draws
/// it on a text map, and per resource the dice rolled for a new square's deposit.
/// Its identifier is also its position in the terrain catalogue.
class cTerrain : public cMobile {
 public:
  /// Identifier 0, empty name, one empty dice per resource of the catalogue.
  cTerrain();

  /// Reads one record: "#uid:name", "move:N", "car:C", then one "resource:dice"
  /// line per resource (matched by position). cConversionError on a bad number;
  /// cLoadError when the sign line gives no character.
  void FROMBUFFER(cBuffer& INPUT) override;
  /// Writes the record in the same form, resources named in uid order.
  void TOBUFFER(cBuffer& OUTPUT) override;

  /// The dice of resource uid I (an empty dice for an index the terrain lacks).
  const cDice& DICE(std::size_t I) const;

  std::vector<cDice> FDICERESS;
  uint8_t FNEEDMOVE = 0;
  std::string FSIGN;
};

/// The terrain catalogue, read from a file of blocks that begin with a "#" line.
class cListeTerrains : public cListeMobiles {
 public:
  explicit cListeTerrains(std::string NAME) : NMINIFILE(std::move(NAME)) {}

  /// Loads every record of NMINIFILE in file order; lines outside records are
  /// skipped. False when the file cannot be opened; cLoadError (file, line, bad
  /// text) on a malformed record or on one whose identifier is not its place
  /// in the file (0, 1, 2...).
  bool LOADTERRAINS();
  /// The terrain at position POS (its identifier in a catalogue read in file
  /// order), or nullptr.
  cTerrain* TERRAINAT(int32_t POS) const;
  /// The terrain whose identifier is ID, or nullptr; the catalogue keeps its order.
  const cTerrain* WITHID(int32_t ID) const;

  std::string NMINIFILE;
};

/// The terrain catalogue of the game.
extern std::unique_ptr<cListeTerrains> JEUTERRAINS;
