#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "forces/batiment.h"
#include "forces/creature.h"
#include "forces/rules_fixtures.h"

namespace holdingsfixtures {

using testsupport::cScopedGlobal;

/// The base rules plus small creature and building catalogues that tests fill
/// with CREATURE and BATIMENT.
struct cForcesRules : rulesfixtures::cBaseRules {
  cScopedGlobal<cListeCreatures> CREATURES{JEUCREATURES, std::make_unique<cListeCreatures>("")};
  cScopedGlobal<cListeBatiments> BATIMENTS{JEUBATIMENTS, std::make_unique<cListeBatiments>("")};

  /// A creature of TURNS turns and UNITS creatures per troop with the values
  /// CARACTS ("att:3-pdv:5"); each turn of recruitment costs GOLD of "or".
  cCreature* CREATURE(int32_t UID, const std::string& NAME, uint8_t TURNS, uint32_t UNITS,
                      const std::string& CARACTS, uint16_t GOLD = 0) {
    auto C = std::make_unique<cCreature>();
    C->FUID = UID;
    C->FNAME = NAME;
    C->FNBTOURSNEC = TURNS;
    C->FNBUNITS = UNITS;
    C->FCARACTS.FROMSTRING(CARACTS);
    C->FRESSPARTOUR.CTRLRESSTOUR[0] = tAssocRessTour{GOLD, 0, 1};
    return static_cast<cCreature*>(CREATURES->ADD(std::move(C)));
  }

  /// A building of TURNS turns that requires the buildings of identifiers
  /// NEEDS, recruits RECRUIT and has the values CARACTS; each turn of
  /// construction costs GOLD of "or".
  cBatiment* BATIMENT(int32_t UID, const std::string& NAME, int16_t TURNS,
                      const std::vector<int32_t>& NEEDS = {}, cCreature* RECRUIT = nullptr,
                      const std::string& CARACTS = "", uint16_t GOLD = 0) {
    auto B = std::make_unique<cBatiment>();
    B->FUID = UID;
    B->FNAME = NAME;
    B->FNBTOURSNEC = TURNS;
    B->PRELOADING(false);
    B->BATNEC.assign(8, false);
    for (int32_t N : NEEDS) {
      B->BATNEC[static_cast<std::size_t>(N)] = true;
    }
    B->FRECRUIT = RECRUIT;
    B->FCARACTS.FROMSTRING(CARACTS);
    B->FRESSPARTOUR.CTRLRESSTOUR[0] = tAssocRessTour{GOLD, 0, 1};
    return static_cast<cBatiment*>(BATIMENTS->ADD(std::move(B)));
  }
};

}  // namespace holdingsfixtures
