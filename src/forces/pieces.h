#pragma once

#include <memory>

#include "base/buffer.h"
#include "base/strutils.h"
#include "entities/mobile.h"
#include "entities/mobile_list.h"

class cProprietaire;

/// A player's pieces of class T in a list of class BASE (pieces standing on
/// the map, or works in progress), whose models are those of the catalogue
/// that MODELES holds (empty before the rules are loaded). Owns its pieces;
/// FJOUEUR is their owner (none for a list of no player).
template <class T, class BASE, const auto& MODELES>
class tListePieces : public tListeOf<T, BASE> {
 public:
  explicit tListePieces(cProprietaire* PMJOUEUR) : FJOUEUR(PMJOUEUR) {}

  /// Reads a piece record; its model is the one of MODELES with the record's
  /// name (none when there is no such model or no catalogue). A work in
  /// progress gets its capital and destination from the player afterwards.
  std::unique_ptr<cMobile> INPUTMOBILE(cBuffer& INPUT) override {
    auto PIECE = std::make_unique<T>();
    PIECE->FROMBUFFER(INPUT);
    PIECE->LSTMODELES = MODELES.get();
    PIECE->FMODELE = MODELES != nullptr ? MODELES->FIND(GSTRING(PIECE->FNAME)) : nullptr;
    return PIECE;
  }

  cProprietaire* FJOUEUR;
};
