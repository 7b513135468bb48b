#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "base/console.h"
#include "entities/caract.h"
#include "entities/ressource.h"
#include "forces/batiment.h"
#include "forces/champion.h"
#include "forces/creature.h"
#include "server/startup.h"
#include "support/fixtures.h"
#include "world/terrain.h"

namespace {

// A name a command can carry, used once in its catalogue: one word of
// lower-case letters and digits.
void EXPECTCOMMANDNAME(std::set<std::string>& SEEN, const std::string& NAME) {
  EXPECT_FALSE(NAME.empty());
  EXPECT_EQ(NAME.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789"), std::string::npos)
      << NAME;
  EXPECT_TRUE(SEEN.insert(NAME).second) << NAME << " twice";
}

}  // namespace

TEST(ShippedRules, LoadCleanlyAndEveryNameResolvesAndEveryChampionCanMoveAndScout) {
  testsupport::cShippedGameDir GAME;
  const std::shared_ptr<void> FREE(nullptr, [](void*) { FREEGAME(); });
  cConsoleCapture CAPTURE;
  LOADRULES();
  LOADFORCES();
  EXPECT_TRUE(CAPTURE.LINES().empty()) << CAPTURE.LINES().front();
  EXPECT_EQ(JEUCHAMPIONS->STLOADING, stLoadLev0);
  std::set<std::string> NAMES, RECRUITED;
  // Every record of the buildings file; the loader skips without a word the
  // required or recruited names it cannot resolve, so each must resolve.
  const std::vector<std::string> LINES = cBuffer("data/Batiments.zrk").LINES();
  for (std::size_t I = 0; I + 10 < LINES.size(); ++I) {
    if (!LINES[I].empty() && LINES[I][0] == '#') {
      const cBatiment* B = JEUBATIMENTS->SEARCHBATIMENT(LINES[I + 1]);
      ASSERT_NE(B, nullptr) << LINES[I + 1];
      EXPECTCOMMANDNAME(NAMES, B->FNAME);
      EXPECT_TRUE(B->RACENEC != nullptr && B->FNBTOURSNEC >= 2 && !B->REQUIRES(B->FUID))
          << B->FNAME;
      if (B->FRECRUIT != nullptr) {
        RECRUITED.insert(B->FRECRUIT->FNAME);
      }
      for (std::string NEEDS = AFTERTOKEN(LINES[I + 3], ':'); !NEEDS.empty() && NEEDS != "none";) {
        const cBatiment* N = JEUBATIMENTS->SEARCHBATIMENT(STRTOK(NEEDS, '-'));
        EXPECT_TRUE(N != nullptr && B->REQUIRES(N->FUID)) << B->FNAME;
      }
      EXPECT_EQ(B->FRECRUIT != nullptr, AFTERTOKEN(LINES[I + 10], ':') != "none") << B->FNAME;
    }
  }
  EXPECT_EQ(NAMES.size(), static_cast<std::size_t>(JEUBATIMENTS->COUNT()));
  // The terrain loader does not read the resource keys: they must follow the resources.
  const std::vector<std::string> TERRAINS = cBuffer("data/terrains.zrk").LINES();
  for (std::size_t I = 0; I < TERRAINS.size(); ++I) {
    for (int32_t R = 0; TERRAINS[I].starts_with("#") && R < JEURESSOURCES->COUNT(); ++R) {
      EXPECT_EQ(BEFORETOKEN(TERRAINS.at(I + 3 + static_cast<std::size_t>(R)), ':'),
                JEURESSOURCES->SEARCH(R)->FNAME)
          << TERRAINS[I];
    }
  }
  NAMES.clear();
  for (int32_t I = 0; I < JEUCREATURES->COUNT(); ++I) {
    const auto* C = JEUCREATURES->ITEM(I);
    EXPECTCOMMANDNAME(NAMES, C->FNAME);
    EXPECT_TRUE(C->RACE != nullptr && C->FNBTOURSNEC >= 2 && C->FNBUNITS > 0 && C->GETPDV() > 0)
        << C->FNAME;
    EXPECT_EQ(RECRUITED.count(C->FNAME), 1u) << C->FNAME << " cannot be recruited";
  }
  NAMES.clear();
  std::set<int32_t> UIDS;  // the in-game file skips a record whose identifier was read
  for (int32_t I = 0; I < JEUCHAMPIONS->COUNT(); ++I) {
    const cChampion* C = JEUCHAMPIONS->ITEM(I);
    EXPECTCOMMANDNAME(NAMES, C->FNAME);
    EXPECT_TRUE(UIDS.insert(C->FUID).second) << C->FUID << " twice";
    EXPECT_TRUE(C->RACE != nullptr && C->FCLASSE != nullptr && C->GETPDV() > 0) << C->FNAME;
    const cCaractMob* DEPL = C->GETCARACT("depl");
    const cCaractMob* SCOUT = C->GETCARACT("scout");
    ASSERT_TRUE(DEPL != nullptr && SCOUT != nullptr) << C->FNAME;
    // Scouting compares the short name exactly.
    EXPECT_TRUE(DEPL->VALUE > 0 && SCOUT->VALUE > 0 && SCOUT->CARACT->ABCARACT == "scout")
        << C->FNAME;
  }
}
