#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
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

// The rules shipped in game/data, loaded in start-up order for the life of the object.
struct cShippedRules {
  cScopedGlobal<cListeRessources> RESS{JEURESSOURCES,
                                       std::make_unique<cListeRessources>(DATA + "ressources.zrk")};
  cScopedGlobal<cListeRaces> RACES{JEURACES, std::make_unique<cListeRaces>(DATA + "races.zrk")};
  cScopedGlobal<cListeCaracts> CHAMPIONCARACTS{
      CARACTSCHAMPIONS, std::make_unique<cListeCaracts>(DATA + "caractHeros.zrk")};
  cScopedGlobal<cListeCaracts> CREATURECARACTS{
      CARACTSCREATURES, std::make_unique<cListeCaracts>(DATA + "caractMonst.zrk")};
  cScopedGlobal<cListeCaracts> BATIMENTCARACTS{
      CARACTSBATIMENTS, std::make_unique<cListeCaracts>(DATA + "caractBat.zrk")};
  cScopedGlobal<cListeClasses> CLASSES{JEUCLASSES,
                                       std::make_unique<cListeClasses>(DATA + "Classes.zrk")};
  cScopedGlobal<cListeCreatures> CREATURES{
      JEUCREATURES, std::make_unique<cListeCreatures>(DATA + "Creatures.zrk")};
  cScopedGlobal<cListeBatiments> BATIMENTS{
      JEUBATIMENTS, std::make_unique<cListeBatiments>(DATA + "Batiments.zrk")};
  cScopedGlobal<cListeChampions> CHAMPIONS{
      JEUCHAMPIONS,
      std::make_unique<cListeChampions>(DATA + "inGameHeros.zrk", DATA + "heros.zrk")};
  std::vector<std::string> CONSOLELINES;

  cShippedRules() {
    cConsoleCapture CAPTURE;
    EXPECT_TRUE(RESS->LOADRESSOURCES());
    EXPECT_TRUE(RACES->LOADRACES());
    EXPECT_TRUE(CHAMPIONCARACTS->LOADCARACTS());
    EXPECT_TRUE(CREATURECARACTS->LOADCARACTS());
    EXPECT_TRUE(BATIMENTCARACTS->LOADCARACTS());
    EXPECT_TRUE(CLASSES->LOADCLASSES());
    EXPECT_TRUE(CREATURES->LOADCREATURES());
    EXPECT_TRUE(BATIMENTS->LOADBATIMENTS());
    EXPECT_TRUE(CHAMPIONS->LOADCHAMPIONS());
    CONSOLELINES = CAPTURE.LINES();
  }
};

// The records of a block file: for each line beginning with '#', it and the N - 1 lines after it.
std::vector<std::vector<std::string>> RAWRECORDS(const std::string& FILE, std::size_t N) {
  cBuffer B(DATA + FILE);
  std::vector<std::vector<std::string>> R;
  const auto& L = B.LINES();
  for (std::size_t I = 0; I < L.size(); ++I) {
    if (!L[I].empty() && L[I][0] == '#') {
      EXPECT_LE(I + N, L.size()) << FILE << ": record cut short at line " << I + 1;
      R.emplace_back(L.begin() + static_cast<std::ptrdiff_t>(I),
                     L.begin() + static_cast<std::ptrdiff_t>(std::min(I + N, L.size())));
    }
  }
  return R;
}

std::string VALUEOF(const std::string& LINE) {
  return AFTERTOKEN(LINE, ':');
}

std::set<std::string> NAMESET(std::string S) {
  std::set<std::string> R;
  while (!S.empty() && S != "none") {
    R.insert(LOWERCASE(STRTOK(S, '-')));
  }
  return R;
}

// A name a command can carry: one word of lower-case letters and digits.
bool COMMANDNAME(const std::string& NAME) {
  if (NAME.empty()) {
    return false;
  }
  for (char C : NAME) {
    if (!((C >= 'a' && C <= 'z') || (C >= '0' && C <= '9'))) {
      return false;
    }
  }
  return true;
}

}  // namespace

TEST(ShippedRules, LoadWithoutErrorsAndHoldEnough) {
  cShippedRules R;
  EXPECT_TRUE(R.CONSOLELINES.empty()) << R.CONSOLELINES.front();
  EXPECT_GE(R.RACES->COUNT(), 3);
  EXPECT_GE(R.CLASSES->COUNT(), 3);
  EXPECT_GE(R.CREATURES->COUNT(), 8);
  EXPECT_GE(R.BATIMENTS->COUNT(), 10);
  EXPECT_GE(R.CHAMPIONS->COUNT(), 24);
  EXPECT_EQ(R.CHAMPIONS->STLOADING, stLoadLev0);
  EXPECT_FALSE(std::filesystem::exists(DATA + "inGameHeros.zrk"));
  // Every record of the block files was read (no record swallowed another).
  EXPECT_EQ(RAWRECORDS("Creatures.zrk", 9).size(), static_cast<std::size_t>(R.CREATURES->COUNT()));
  EXPECT_EQ(RAWRECORDS("Batiments.zrk", 11).size(), static_cast<std::size_t>(R.BATIMENTS->COUNT()));
  EXPECT_EQ(RAWRECORDS("heros.zrk", 8).size(), static_cast<std::size_t>(R.CHAMPIONS->COUNT()));
  EXPECT_EQ(RAWRECORDS("Classes.zrk", 4).size(), static_cast<std::size_t>(R.CLASSES->COUNT()));
}

TEST(ShippedRules, CharacteristicsWithARuleExistWhereTheyBelong) {
  cShippedRules R;
  for (const char* NAME : {"att", "def", "vit", "pdv", "depl", "scout"}) {
    EXPECT_NE(R.CHAMPIONCARACTS->SEARCH(NAME), nullptr) << NAME;
  }
  for (const char* NAME :
       {"att", "def", "vit", "pdv", "rng", "ctplt", "fly", "pare", "nopare", "stay"}) {
    EXPECT_NE(R.CREATURECARACTS->SEARCH(NAME), nullptr) << NAME;
  }
  for (const char* NAME : {"hernec", "exploit"}) {
    EXPECT_NE(R.BATIMENTCARACTS->SEARCH(NAME), nullptr) << NAME;
  }
  // Scouting compares the short name exactly.
  EXPECT_EQ(R.CHAMPIONCARACTS->SEARCH("scout")->ABCARACT, "scout");
  // Classes flag champion characteristics by uid: uids are file positions.
  for (int32_t I = 0; I < R.CHAMPIONCARACTS->COUNT(); ++I) {
    EXPECT_EQ(R.CHAMPIONCARACTS->GETCARACT(I)->FUID, I);
  }
}

TEST(ShippedRules, CreaturesAreUsableAndCoverEveryTroopKind) {
  cShippedRules R;
  const auto RAW = RAWRECORDS("Creatures.zrk", 9);
  std::set<std::string> NAMES;
  std::set<std::string> KINDS;
  for (const auto& REC : RAW) {
    cCreature* C = R.CREATURES->SEARCHCREATURE(REC[1]);
    ASSERT_NE(C, nullptr) << REC[1];
    EXPECT_TRUE(COMMANDNAME(C->FNAME)) << C->FNAME;
    EXPECT_TRUE(NAMES.insert(C->FNAME).second) << C->FNAME << " twice";
    ASSERT_NE(C->RACE, nullptr) << C->FNAME;
    EXPECT_TRUE(SAMETEXT(C->RACE->FNAME, VALUEOF(REC[2]))) << C->FNAME;
    EXPECT_EQ(std::to_string(C->FNBTOURSNEC), VALUEOF(REC[3])) << C->FNAME;
    EXPECT_GE(C->FNBTOURSNEC, 2) << C->FNAME;
    EXPECT_GT(C->FNBUNITS, 0u) << C->FNAME;
    EXPECT_EQ(C->FCARACTS.TOSTRING(), VALUEOF(REC[8])) << C->FNAME;
    EXPECT_GT(C->GETATTACK(), 0) << C->FNAME;
    EXPECT_GT(C->GETPDV(), 0) << C->FNAME;
    for (const char* KIND : {"rng", "ctplt", "fly", "pare", "nopare", "stay"}) {
      if (C->GETCARACT(KIND) != nullptr) {
        KINDS.insert(KIND);
      }
    }
  }
  EXPECT_EQ(KINDS, (std::set<std::string>{"ctplt", "fly", "nopare", "pare", "rng", "stay"}));
}

TEST(ShippedRules, BuildingsResolveAndEveryCreatureCanBeRecruited) {
  cShippedRules R;
  const auto RAW = RAWRECORDS("Batiments.zrk", 11);
  std::set<std::string> NAMES;
  std::set<std::string> RECRUITED;
  std::map<int32_t, cBatiment*> BYUID;
  for (const auto& REC : RAW) {
    cBatiment* B = R.BATIMENTS->SEARCHBATIMENT(REC[1]);
    ASSERT_NE(B, nullptr) << REC[1];
    BYUID[B->FUID] = B;
    EXPECT_TRUE(COMMANDNAME(B->FNAME)) << B->FNAME;
    EXPECT_TRUE(NAMES.insert(B->FNAME).second) << B->FNAME << " twice";
    ASSERT_NE(B->RACENEC, nullptr) << B->FNAME;
    EXPECT_TRUE(SAMETEXT(B->RACENEC->FNAME, VALUEOF(REC[2]))) << B->FNAME;
    // Every required name is a building: none was dropped while reading.
    EXPECT_EQ(NAMESET(B->BATIMENTSNECTOSTRING()), NAMESET(VALUEOF(REC[3]))) << B->FNAME;
    EXPECT_FALSE(B->REQUIRES(B->FUID)) << B->FNAME;
    EXPECT_EQ(std::to_string(B->FNBTOURSNEC), VALUEOF(REC[4])) << B->FNAME;
    EXPECT_GE(B->FNBTOURSNEC, 2) << B->FNAME;
    EXPECT_EQ(B->FCARACTS.GETCOUNT(), static_cast<int32_t>(NAMESET(VALUEOF(REC[5])).size()))
        << B->FNAME;
    const std::string RECRUIT = VALUEOF(REC[10]);
    if (RECRUIT == "none") {
      EXPECT_EQ(B->FRECRUIT, nullptr) << B->FNAME;
    } else {
      ASSERT_NE(B->FRECRUIT, nullptr) << B->FNAME << " recruits " << RECRUIT;
      RECRUITED.insert(B->FRECRUIT->FNAME);
    }
  }
  for (int32_t I = 0; I < R.CREATURES->COUNT(); ++I) {
    EXPECT_EQ(RECRUITED.count(R.CREATURES->GET(I)->FNAME), 1u)
        << R.CREATURES->GET(I)->FNAME << " cannot be recruited";
  }

  // Every building can be reached: a town is founded first (with a champion on
  // the square), and every requirement chain ends at a building that requires nothing.
  int32_t FOUNDERS = 0;
  std::set<int32_t> EXPLOITRANGES;
  bool STOCK = false;
  std::function<int32_t(const cBatiment*, int32_t)> DEPTH = [&](const cBatiment* B, int32_t GUARD) {
    EXPECT_LT(GUARD, R.BATIMENTS->COUNT()) << "requirement cycle through " << B->FNAME;
    if (GUARD >= R.BATIMENTS->COUNT()) {
      return 0;
    }
    int32_t D = 0;
    for (const auto& [UID, REQ] : BYUID) {
      if (B->REQUIRES(UID)) {
        D = std::max(D, 1 + DEPTH(REQ, GUARD + 1));
      }
    }
    return D;
  };
  int32_t DEEPEST = 0;
  for (const auto& [UID, B] : BYUID) {
    if (B->GETCARACT("hernec") != nullptr) {
      ++FOUNDERS;
      EXPECT_FALSE(B->REQUIRESANY()) << B->FNAME;
    }
    if (const cCaractMob* E = B->GETCARACT("exploit")) {
      EXPLOITRANGES.insert(E->VALUE);
    } else if (B->RESSSURJOUEUR.TOSTRING() != cArrayRessources().TOSTRING()) {
      STOCK = true;
    }
    DEEPEST = std::max(DEEPEST, DEPTH(B, 0));
  }
  EXPECT_GE(FOUNDERS, 1);
  EXPECT_GE(EXPLOITRANGES.size(), 2u);
  EXPECT_TRUE(STOCK);
  EXPECT_GE(DEEPEST, 2);
}

TEST(ShippedRules, ChampionsCanMoveAndScout) {
  cShippedRules R;
  const auto RAW = RAWRECORDS("heros.zrk", 8);
  std::set<std::string> NAMES;
  std::set<int32_t> UIDS;
  for (int32_t I = 0; I < R.CHAMPIONS->COUNT(); ++I) {
    cChampion* C = R.CHAMPIONS->GETCHAMPION(I);
    const auto& REC = RAW[static_cast<std::size_t>(I)];
    EXPECT_TRUE(COMMANDNAME(C->FNAME)) << C->FNAME;
    EXPECT_TRUE(NAMES.insert(C->FNAME).second) << C->FNAME << " twice";
    EXPECT_TRUE(UIDS.insert(C->FUID).second) << C->FUID << " twice";
    ASSERT_NE(C->RACE, nullptr) << C->FNAME;
    EXPECT_TRUE(SAMETEXT(C->RACE->FNAME, VALUEOF(REC[2]))) << C->FNAME;
    ASSERT_NE(C->FCLASSE, nullptr) << C->FNAME;
    EXPECT_TRUE(SAMETEXT(C->FCLASSE->FNAME, VALUEOF(REC[3]))) << C->FNAME;
    EXPECT_EQ(C->FCARACTS.TOSTRING(), VALUEOF(REC[4])) << C->FNAME;
    ASSERT_NE(C->GETCARACT("depl"), nullptr) << C->FNAME;
    EXPECT_GT(C->GETCARACT("depl")->VALUE, 0) << C->FNAME;
    ASSERT_NE(C->GETCARACT("scout"), nullptr) << C->FNAME;
    EXPECT_GT(C->GETCARACT("scout")->VALUE, 0) << C->FNAME;
    EXPECT_GT(C->GETPDV(), 0) << C->FNAME;
    EXPECT_TRUE(C->ISFREE());
  }
}
