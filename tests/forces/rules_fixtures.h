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
using testsupport::cTempDir;

/// Resources or, bois, pierre; races humains (0) and orques (1); the three
/// characteristic catalogues; classes guerrier and mage. Files live in DIR.
struct cBaseRules {
  cTempDir DIR;
  testsupport::cThreeRessources RESS;
  cScopedGlobal<cListeRaces> RACES{
      JEURACES, CATALOGUE<cListeRaces>("races.zrk", "#0:Humains\r\n#1:orques\r\n")};
  cScopedGlobal<cListeCaracts> CHAMPIONCARACTS{
      CARACTSCHAMPIONS, CATALOGUE<cListeCaracts>(
                            "caractHeros.zrk",
                            "#0:attaque-att\r\n#1:defense-def\r\n#2:vitesse-vit\r\n#3:vie-pdv\r\n"
                            "#4:deplacement-depl\r\n#5:eclaireur-scout\r\n")};
  cScopedGlobal<cListeCaracts> CREATURECARACTS{
      CARACTSCREATURES, CATALOGUE<cListeCaracts>(
                            "caractMonst.zrk",
                            "#0:attaque-att\r\n#1:defense-def\r\n#2:vitesse-vit\r\n#3:vie-pdv\r\n"
                            "#4:tir-rng\r\n#5:vol-fly\r\n")};
  cScopedGlobal<cListeCaracts> BATIMENTCARACTS{
      CARACTSBATIMENTS, CATALOGUE<cListeCaracts>(
                            "caractBat.zrk", "#0:fondation-hernec\r\n#1:exploitation-exploit\r\n")};
  cScopedGlobal<cListeClasses> CLASSES{
      JEUCLASSES,
      CATALOGUE<cListeClasses>("Classes.zrk",
                               "#0:guerrier\r\nendurance:2D6\r\nsagesse:1D4\r\ncaracts:att\r\n"
                               "#1:mage\r\nendurance:1D4\r\nsagesse:2D6\r\ncaracts:none\r\n")};

  cBaseRules() {
    EXPECT_TRUE(RACES->LOADRACES() && CHAMPIONCARACTS->LOADCARACTS() &&
                CREATURECARACTS->LOADCARACTS() && BATIMENTCARACTS->LOADCARACTS() &&
                CLASSES->LOADCLASSES());
  }
  /// A catalogue of type T read from the file NAME of DIR holding TEXT.
  template <class T>
  std::unique_ptr<T> CATALOGUE(const char* NAME, const char* TEXT) const {
    return std::make_unique<T>(DIR.WRITE(NAME, TEXT));
  }
};

/// The base rules plus small creature and building catalogues that tests fill
/// with CREATURE and BATIMENT.
struct cForcesRules : cBaseRules {
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
    return CREATURES->ADD(std::move(C));
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
    return BATIMENTS->ADD(std::move(B));
  }
};

}  // namespace rulesfixtures
