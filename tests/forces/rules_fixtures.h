#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "support/fixtures.h"

namespace rulesfixtures {

using testsupport::cScopedGlobal;
using testsupport::cTempDir;

/// Resources or, bois, pierre; races humains (0) and orques (1); the three
/// characteristic catalogues; classes guerrier and mage. Files live in DIR.
struct cBaseRules {
  cTempDir DIR;
  testsupport::cThreeRessources RESS;
  cScopedGlobal<cListeRaces> RACES{JEURACES, std::make_unique<cListeRaces>(DIR.WRITE(
                                                 "races.zrk", "#0:Humains\r\n#1:orques\r\n"))};
  cScopedGlobal<cListeCaracts> CHAMPIONCARACTS{
      CARACTSCHAMPIONS, std::make_unique<cListeCaracts>(DIR.WRITE(
                            "caractHeros.zrk",
                            "#0:attaque-att\r\n#1:defense-def\r\n#2:vitesse-vit\r\n"
                            "#3:vie-pdv\r\n#4:deplacement-depl\r\n#5:eclaireur-scout\r\n"))};
  cScopedGlobal<cListeCaracts> CREATURECARACTS{
      CARACTSCREATURES, std::make_unique<cListeCaracts>(
                            DIR.WRITE("caractMonst.zrk",
                                      "#0:attaque-att\r\n#1:defense-def\r\n#2:vitesse-vit\r\n"
                                      "#3:vie-pdv\r\n#4:tir-rng\r\n#5:vol-fly\r\n"))};
  cScopedGlobal<cListeCaracts> BATIMENTCARACTS{
      CARACTSBATIMENTS,
      std::make_unique<cListeCaracts>(
          DIR.WRITE("caractBat.zrk", "#0:fondation-hernec\r\n#1:exploitation-exploit\r\n"))};
  cScopedGlobal<cListeClasses> CLASSES{
      JEUCLASSES, std::make_unique<cListeClasses>(
                      DIR.WRITE("Classes.zrk",
                                "#0:guerrier\r\nendurance:2D6\r\nsagesse:1D4\r\ncaracts:att\r\n"
                                "#1:mage\r\nendurance:1D4\r\nsagesse:2D6\r\ncaracts:none\r\n"))};

  cBaseRules() {
    EXPECT_TRUE(RACES->LOADRACES());
    EXPECT_TRUE(CHAMPIONCARACTS->LOADCARACTS());
    EXPECT_TRUE(CREATURECARACTS->LOADCARACTS());
    EXPECT_TRUE(BATIMENTCARACTS->LOADCARACTS());
    EXPECT_TRUE(CLASSES->LOADCLASSES());
  }
};

}  // namespace rulesfixtures
