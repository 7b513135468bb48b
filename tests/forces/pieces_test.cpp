#include "forces/pieces.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "forces/rules_fixtures.h"
#include "forces/troupe.h"
#include "forces/ville.h"

namespace {

// The model of a piece named NAME once written and read back by a LIST.
template <class LIST, class PIECE>
const cMobile* MODELREADBACK(const std::string& NAME, const void* CATALOGUE) {
  PIECE P;
  P.FNAME = NAME;
  cBuffer B;
  P.TOBUFFER(B);
  B.REWIND();
  const std::unique_ptr<cMobile> BACK = LIST(nullptr).INPUTMOBILE(B);
  EXPECT_EQ(static_cast<cMobilePosition&>(*BACK).LSTMODELES, CATALOGUE) << NAME;
  return static_cast<cMobilePosition&>(*BACK).FMODELE;
}
const cMobile* TROOPMODEL(const char* NAME) {
  return MODELREADBACK<cListeCreaturesPosition, cCreaturePosition>(NAME, JEUCREATURES.get());
}
const cMobile* WORKSMODEL(const char* NAME) {
  return MODELREADBACK<cListeBatimentsEnCours, cBatimentEnCours>(NAME, JEUBATIMENTS.get());
}

}  // namespace

// Standing pieces and works in progress take the model of their name from
// their catalogue: none for a name it lacks, nor when it is not loaded.
TEST(Pieces, ReadBackWithTheModelOfTheirNameOrNone) {
  rulesfixtures::cForcesRules RULES;
  cCreature* ARCHER = RULES.CREATURE(0, "archer", 2, 10, "att:3");
  cBatiment* CASERNE = RULES.BATIMENT(0, "caserne", 1);
  for (auto [NAME, TROOP, WORKS] :
       {std::tuple<const char*, const cMobile*, const cMobile*>{"archer", ARCHER, nullptr},
        {"caserne", nullptr, CASERNE},
        {"dragon", nullptr, nullptr}}) {
    EXPECT_EQ(TROOPMODEL(NAME), TROOP) << NAME;
    EXPECT_EQ(WORKSMODEL(NAME), WORKS) << NAME;
  }
  testsupport::cScopedGlobal<cListeCreatures> NOCREATURES{JEUCREATURES, nullptr};
  testsupport::cScopedGlobal<cListeBatiments> NOBATIMENTS{JEUBATIMENTS, nullptr};
  EXPECT_EQ(TROOPMODEL("archer"), nullptr);
  EXPECT_EQ(WORKSMODEL("caserne"), nullptr);
}
