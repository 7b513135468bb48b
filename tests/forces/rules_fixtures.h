#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "forces/batiment.h"
#include "forces/creature.h"
#include "support/fixtures.h"

namespace rulesfixtures {

using testsupport::cScopedGlobal;

/// Resources or, bois, pierre; races humains (0) and orques (1); the three
/// characteristic catalogues; classes guerrier and mage. Files live in DIR.
struct cBaseRules {
  testsupport::cTempDir DIR;
  testsupport::cThreeRessources RESS;
  template <class T>
  std::unique_ptr<T> FILE(const char* NAME, const std::string& TEXT) const {
    return std::make_unique<T>(DIR.WRITE(NAME, TEXT));
  }
  const std::string FIGHT = "#0:attaque-att\n#1:defense-def\n#2:vitesse-vit\n#3:vie-pdv\n";
  cScopedGlobal<cListeRaces> RACES{JEURACES, FILE<cListeRaces>("r", "#0:Humains\n#1:orques\n")};
  cScopedGlobal<cListeCaracts> CHAMPIONCARACTS{
      CARACTSCHAMPIONS,
      FILE<cListeCaracts>("ch", FIGHT + "#4:deplacement-depl\n#5:eclaireur-scout\n")};
  cScopedGlobal<cListeCaracts> CREATURECARACTS{
      CARACTSCREATURES, FILE<cListeCaracts>("cm", FIGHT + "#4:tir-rng\n#5:vol-fly\n")};
  cScopedGlobal<cListeCaracts> BATIMENTCARACTS{
      CARACTSBATIMENTS,
      FILE<cListeCaracts>("cb", "#0:fondation-hernec\n#1:exploitation-exploit\n")};
  cScopedGlobal<cListeClasses> CLASSES{
      JEUCLASSES, FILE<cListeClasses>("cl",
                                      "#0:guerrier\nendurance:2D6\nsagesse:1D4\ncaracts:att\n"
                                      "#1:mage\nendurance:1D4\nsagesse:2D6\ncaracts:none\n")};

  cBaseRules() {
    EXPECT_TRUE(RACES->LOADRACES() && CHAMPIONCARACTS->LOADCARACTS() &&
                CREATURECARACTS->LOADCARACTS() && BATIMENTCARACTS->LOADCARACTS() &&
                CLASSES->LOADCLASSES());
  }
};

/// The base rules plus creature and building catalogues that tests fill.
struct cForcesRules : cBaseRules {
  cScopedGlobal<cListeCreatures> CREATURES{JEUCREATURES, std::make_unique<cListeCreatures>("")};
  cScopedGlobal<cListeBatiments> BATIMENTS{JEUBATIMENTS, std::make_unique<cListeBatiments>("")};

  /// A creature of TURNS turns, UNITS creatures a troop, values CARACTS
  /// ("att:3-pdv:5"), GOLD "or" each turn of recruitment.
  cCreature* CREATURE(int32_t UID, const std::string& NAME, uint8_t TURNS, uint32_t UNITS,
                      const std::string& CARACTS, uint16_t GOLD = 0) {
    auto C = std::make_unique<cCreature>();
    C->FUID = UID;
    C->FNAME = NAME;
    C->FNBTOURSNEC = TURNS;
    C->FNBUNITS = UNITS;
    C->FCARACTS.FROMSTRING(CARACTS);
    C->FRESSPARTOUR.CTRLRESSTOUR[0] = tAssocRessTour{GOLD, 0, 1};
    return CREATURES->ADD(std::move(C));
  }

  /// A building of TURNS turns requiring the buildings of identifiers NEEDS,
  /// recruiting RECRUIT, values CARACTS, GOLD "or" each turn of construction.
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
    return BATIMENTS->ADD(std::move(B));
  }
};

}  // namespace rulesfixtures
