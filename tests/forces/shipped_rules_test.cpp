#include <gtest/gtest.h>

#include <set>

#include "base/console.h"
#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "entities/ressource.h"
#include "forces/batiment.h"
#include "forces/champion.h"
#include "forces/creature.h"
#include "support/fixtures.h"

using testsupport::cScopedGlobal;

namespace {

const std::string DATA = std::string(ROYAUMES_GAME_DIR) + "/data/";

template <class T>
std::unique_ptr<T> FILEOF(const std::string& NAME) {
  return std::make_unique<T>(DATA + NAME);
}

// The rules shipped in game/data, loaded in start-up order; CONSOLELINES holds
// what the loaders reported.
struct cShippedRules {
  cScopedGlobal<cListeRessources> RESS{JEURESSOURCES, FILEOF<cListeRessources>("ressources.zrk")};
  cScopedGlobal<cListeRaces> RACES{JEURACES, FILEOF<cListeRaces>("races.zrk")};
  cScopedGlobal<cListeCaracts> CHAMPIONCARACTS{CARACTSCHAMPIONS,
                                               FILEOF<cListeCaracts>("caractHeros.zrk")};
  cScopedGlobal<cListeCaracts> CREATURECARACTS{CARACTSCREATURES,
                                               FILEOF<cListeCaracts>("caractMonst.zrk")};
  cScopedGlobal<cListeCaracts> BATIMENTCARACTS{CARACTSBATIMENTS,
                                               FILEOF<cListeCaracts>("caractBat.zrk")};
  cScopedGlobal<cListeClasses> CLASSES{JEUCLASSES, FILEOF<cListeClasses>("Classes.zrk")};
  cScopedGlobal<cListeCreatures> CREATURES{JEUCREATURES, FILEOF<cListeCreatures>("Creatures.zrk")};
  cScopedGlobal<cListeBatiments> BATIMENTS{JEUBATIMENTS, FILEOF<cListeBatiments>("Batiments.zrk")};
  cScopedGlobal<cListeChampions> CHAMPIONS{
      JEUCHAMPIONS,
      std::make_unique<cListeChampions>(DATA + "inGameHeros.zrk", DATA + "heros.zrk")};
  std::vector<std::string> CONSOLELINES;

  cShippedRules() {
    cConsoleCapture CAPTURE;
    EXPECT_TRUE(RESS->LOADRESSOURCES() && RACES->LOADRACES() && CHAMPIONCARACTS->LOADCARACTS() &&
                CREATURECARACTS->LOADCARACTS() && BATIMENTCARACTS->LOADCARACTS() &&
                CLASSES->LOADCLASSES() && CREATURES->LOADCREATURES() &&
                BATIMENTS->LOADBATIMENTS() && CHAMPIONS->LOADCHAMPIONS());
    CONSOLELINES = CAPTURE.LINES();
  }
};

// The records of a block file: each line beginning with '#' and the N - 1 after it.
std::vector<std::vector<std::string>> RAWRECORDS(const std::string& FILE, std::size_t N) {
  cBuffer B(DATA + FILE);
  const auto& L = B.LINES();
  std::vector<std::vector<std::string>> R;
  for (std::size_t I = 0; I < L.size(); ++I) {
    if (!L[I].empty() && L[I][0] == '#') {
      EXPECT_LE(I + N, L.size()) << FILE << ": record cut short at line " << I + 1;
      R.emplace_back(L.begin() + static_cast<std::ptrdiff_t>(I),
                     L.begin() + static_cast<std::ptrdiff_t>(std::min(I + N, L.size())));
    }
  }
  return R;
}

std::set<std::string> NAMESET(std::string S) {
  std::set<std::string> R;
  while (!S.empty() && S != "none") {
    R.insert(LOWERCASE(STRTOK(S, '-')));
  }
  return R;
}

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
  cShippedRules R;
  EXPECT_TRUE(R.CONSOLELINES.empty()) << R.CONSOLELINES.front();
  EXPECT_EQ(R.CHAMPIONS->STLOADING, stLoadLev0);
  std::set<std::string> NAMES;
  std::set<std::string> RECRUITED;
  const auto RAW = RAWRECORDS("Batiments.zrk", 11);
  EXPECT_EQ(RAW.size(), static_cast<std::size_t>(R.BATIMENTS->COUNT()));
  for (const auto& REC : RAW) {
    cBatiment* B = R.BATIMENTS->SEARCHBATIMENT(REC[1]);
    ASSERT_NE(B, nullptr) << REC[1];
    EXPECTCOMMANDNAME(NAMES, B->FNAME);
    EXPECT_TRUE(B->RACENEC != nullptr && B->FNBTOURSNEC >= 2 && !B->REQUIRES(B->FUID)) << B->FNAME;
    EXPECT_EQ(NAMESET(B->BATIMENTSNECTOSTRING()), NAMESET(AFTERTOKEN(REC[3], ':'))) << B->FNAME;
    if (AFTERTOKEN(REC[10], ':') != "none") {
      ASSERT_NE(B->FRECRUIT, nullptr) << B->FNAME << ": " << REC[10];
      RECRUITED.insert(B->FRECRUIT->FNAME);
    }
  }
  NAMES.clear();
  EXPECT_EQ(RAWRECORDS("Creatures.zrk", 9).size(), static_cast<std::size_t>(R.CREATURES->COUNT()));
  for (int32_t I = 0; I < R.CREATURES->COUNT(); ++I) {
    const auto* C = R.CREATURES->ITEM(I);
    EXPECTCOMMANDNAME(NAMES, C->FNAME);
    EXPECT_TRUE(C->RACE != nullptr && C->FNBTOURSNEC >= 2 && C->FNBUNITS > 0 && C->GETPDV() > 0)
        << C->FNAME;
    EXPECT_EQ(RECRUITED.count(C->FNAME), 1u) << C->FNAME << " cannot be recruited";
  }
  NAMES.clear();
  std::set<int32_t> UIDS;  // the in-game file skips a record whose identifier was read
  EXPECT_EQ(RAWRECORDS("heros.zrk", 8).size(), static_cast<std::size_t>(R.CHAMPIONS->COUNT()));
  for (int32_t I = 0; I < R.CHAMPIONS->COUNT(); ++I) {
    const cChampion* C = R.CHAMPIONS->ITEM(I);
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
