#include "forces/pieces.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "forces/rules_fixtures.h"
#include "forces/troupe.h"
#include "forces/ville.h"

namespace {

// A piece named NAME, alone in a list of class LIST, written and read back by
// another such list.
template <class LIST, class PIECE>
std::unique_ptr<LIST> READBACK(const std::string& NAME) {
  LIST OUT(nullptr);
  auto P = std::make_unique<PIECE>();
  P->FNAME = NAME;
  OUT.ADD(std::move(P));
  cBuffer B;
  OUT.TOBUFFER(B);
  B.REWIND();
  auto BACK = std::make_unique<LIST>(nullptr);
  BACK->FROMBUFFER(B);
  return BACK;
}

}  // namespace

// Standing pieces and works in progress take the model of their name from
// their catalogue: none for a name it lacks, nor when it is not loaded.
TEST(Pieces, ReadBackWithTheModelOfTheirNameOrNone) {
  rulesfixtures::cForcesRules RULES;
  cCreature* ARCHER = RULES.CREATURE(0, "archer", 2, 10, "att:3");
  cBatiment* CASERNE = RULES.BATIMENT(0, "caserne", 1);
  struct tCase {
    std::string NAME;
    bool LOADED;
    const cMobile* TROOPMODEL;
    const cMobile* WORKSMODEL;
  };
  for (const tCase& C :
       {tCase{"archer", true, ARCHER, nullptr}, tCase{"caserne", true, nullptr, CASERNE},
        tCase{"dragon", true, nullptr, nullptr}, tCase{"archer", false, nullptr, nullptr}}) {
    std::unique_ptr<cListeCreatures> CREATURES;
    std::unique_ptr<cListeBatiments> BATIMENTS;
    if (!C.LOADED) {
      CREATURES.swap(JEUCREATURES);
      BATIMENTS.swap(JEUBATIMENTS);
    }
    const auto TROOPS = READBACK<cListeCreaturesPosition, cCreaturePosition>(C.NAME);
    const auto WORKS = READBACK<cListeBatimentsEnCours, cBatimentEnCours>(C.NAME);
    EXPECT_EQ(TROOPS->ITEM(0)->FMODELE, C.TROOPMODEL) << C.NAME << C.LOADED;
    EXPECT_EQ(TROOPS->ITEM(0)->LSTMODELES, JEUCREATURES.get()) << C.NAME << C.LOADED;
    EXPECT_EQ(WORKS->ITEM(0)->FMODELE, C.WORKSMODEL) << C.NAME << C.LOADED;
    EXPECT_EQ(WORKS->ITEM(0)->LSTMODELES, JEUBATIMENTS.get()) << C.NAME << C.LOADED;
    if (!C.LOADED) {
      CREATURES.swap(JEUCREATURES);
      BATIMENTS.swap(JEUBATIMENTS);
    }
  }
}
