#include "world/world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/console.h"
#include "base/random.h"
#include "support/fixtures.h"
#include "world/terrain.h"

using testsupport::cScopedGlobal;
using testsupport::cTempDir;
using testsupport::cThreeRessources;

namespace {

std::string BYTESOF(const std::string& PATH) {
  std::ifstream IN(PATH, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

// Two terrains whose dice always give the same deposits, so a square's bytes
// follow from its terrain: terrain 0 holds 4/7/0, terrain 1 holds 100/300/65535.
std::unique_ptr<cListeTerrains> FIXEDTERRAINS() {
  auto L = std::make_unique<cListeTerrains>("");
  const char* DICE[2][3] = {{"1D1+3", "7", ""}, {"100", "0D0+300", "65535"}};
  for (int32_t I = 0; I < 2; ++I) {
    auto T = std::make_unique<cTerrain>();
    T->FUID = I;
    for (std::size_t R = 0; R < 3; ++R) {
      T->FDICERESS[R] = cDice(DICE[I][R]);
    }
    L->ADD(std::move(T));
  }
  return L;
}

const std::vector<uint16_t> DEPOSITS[2] = {{4, 7, 0}, {100, 300, 65535}};

// Three resources, the two fixed terrains, and a directory for the world file.
class World : public ::testing::Test {
 protected:
  cThreeRessources RESS;
  cScopedGlobal<cListeTerrains> TERRAINS{JEUTERRAINS, FIXEDTERRAINS()};
  cTempDir DIR;
  std::string PATH = (DIR.PATH() / "world.wld").string();
  cSquaresCache CACHE;
};

}  // namespace

TEST(Square, RecordIsTerrainByteThenLittleEndianDeposits) {
  cThreeRessources RESS;
  cSquare S;
  S.TYPETERRAIN = -2;
  S.RESSDISPO = {0x1234, 0xFFFF, 1};
  std::stringstream F;
  ASSERT_TRUE(S.SAVETOFILE(F));
  EXPECT_EQ(F.str(), std::string("\xFE\x34\x12\xFF\xFF\x01\x00", 7));

  cSquare BACK;
  F.seekg(0);
  ASSERT_TRUE(BACK.LOADFROMFILE(F));
  EXPECT_EQ(BACK.TYPETERRAIN, -2);
  EXPECT_EQ(BACK.RESSDISPO, S.RESSDISPO);

  std::stringstream SHORT(std::string("\x01\x02\x03", 3));
  EXPECT_FALSE(BACK.LOADFROMFILE(SHORT));
  EXPECT_EQ(cSquare::RECORDSIZE(3), 7);
  EXPECT_EQ(cSquare::RECORDSIZE(5), 11);
}

TEST(Square, TextFormHasThreeLinesAndReadsBack) {
  cThreeRessources RESS;
  cSquareMemory S;
  S.MAPINDEX = 13;
  S.RESSDISPO = {100, 0, 65535};
  cBuffer B;
  S.TOBUFFER(B);
  EXPECT_EQ(B.LINES(),
            (std::vector<std::string>{"#13 (3,2)", "terrain:-1", "ressource:100/0/65535"}));

  B.REWIND();
  cSquareMemory BACK;
  BACK.FROMBUFFER(B);
  EXPECT_EQ(BACK.MAPINDEX, 13u);
  EXPECT_EQ(BACK.TYPETERRAIN, -1);
  EXPECT_EQ(BACK.RESSDISPO, S.RESSDISPO);

  cBuffer BAD;
  BAD.WRITELN("#x (1,1)");
  BAD.WRITELN("terrain:y");
  BAD.WRITELN("ressource:5/z/6/7");
  BAD.REWIND();
  BACK.FROMBUFFER(BAD);
  EXPECT_EQ(BACK.MAPINDEX, static_cast<uint32_t>(-1));
  EXPECT_EQ(BACK.TYPETERRAIN, -1);
  EXPECT_EQ(BACK.RESSDISPO, (std::vector<uint16_t>{5, 0, 6}));

  cScopedGlobal<cListeRessources> NONE(JEURESSOURCES, testsupport::MAKERESSOURCES({}));
  cSquareMemory BARE;
  BARE.MAPINDEX = 100;
  cBuffer C;
  BARE.TOBUFFER(C);
  EXPECT_EQ(C.LINES().back(), "ressource");
  EXPECT_EQ(C.LINES().front(), "#100 (10,10)");
}

TEST(SquaresCache, StaysSortedAndFindsEveryIndex) {
  cThreeRessources RESS;
  cSquaresCache C;
  EXPECT_EQ(C.SEARCHINDEX(5), -1);
  EXPECT_EQ(C.SEARCHINSERT(5), -1);
  EXPECT_EQ(C.GET(5), nullptr);
  RANDOMGEN().SEED(7);
  std::vector<uint32_t> ADDED;
  for (int32_t I = 0; I < 120; ++I) {
    const auto INDEX = static_cast<uint32_t>(RANDOMGEN().RANDOM(1000) * 2 + 1);
    if (C.GET(INDEX) != nullptr) {
      continue;
    }
    C.WIZADD(INDEX, 300, 0);
    ADDED.push_back(INDEX);
    for (int32_t P = 1; P < C.COUNT(); ++P) {
      ASSERT_LT(C.AT(P - 1)->MAPINDEX, C.AT(P)->MAPINDEX) << "after adding " << INDEX;
    }
  }
  for (const uint32_t INDEX : ADDED) {
    const int32_t P = C.SEARCHINDEX(INDEX);
    ASSERT_GE(P, 0);
    EXPECT_EQ(C.AT(P)->MAPINDEX, INDEX);
    EXPECT_EQ(C.SEARCHINSERT(INDEX), -1);
    // Even keys are never cached: not found, and the insert point is a neighbour.
    EXPECT_EQ(C.SEARCHINDEX(INDEX + 1), -1);
    const int32_t NEAR = C.SEARCHINSERT(INDEX + 1);
    EXPECT_TRUE(NEAR == P || NEAR == P + 1) << INDEX;
  }
  EXPECT_EQ(C.GET(0), nullptr);
  EXPECT_EQ(C.GET(5000), nullptr);

  // A duplicate index goes right after the square already there.
  cSquareMemory* FIRST = C.GET(ADDED.front());
  cSquareMemory* TWIN = C.WIZADD(ADDED.front(), 1, 1);
  const int32_t P = C.SEARCHINDEX(ADDED.front());
  EXPECT_TRUE((C.AT(P) == FIRST && C.AT(P + 1) == TWIN) ||
              (C.AT(P - 1) == FIRST && C.AT(P) == TWIN));
}

TEST(SquaresCache, FullCacheEvictsTheFiveLeastAccessed) {
  cThreeRessources RESS;
  cSquaresCache C;
  // Access counts 1000 - i, so indices 296 to 300 are the least accessed.
  for (uint32_t I = 1; I <= 300; ++I) {
    C.WIZADD(I, 300, static_cast<int32_t>(1000 - I));
  }
  ASSERT_EQ(C.COUNT(), 300);
  C.WIZADD(500, 300, 0);
  EXPECT_EQ(C.COUNT(), 296);
  for (uint32_t I = 296; I <= 300; ++I) {
    EXPECT_EQ(C.GET(I), nullptr) << I;
  }
  EXPECT_NE(C.GET(295), nullptr);
  EXPECT_NE(C.GET(500), nullptr);
  EXPECT_EQ(C.AT(C.COUNT() - 1)->MAPINDEX, 500u);
}

TEST(SquaresCache, ShortestLifeGoesFirstThenLeastAccessed) {
  cThreeRessources RESS;
  cSquaresCache C;
  C.MAXCACHE = 4;
  C.NBFREECACHE = 2;
  C.WIZADD(1, 300, 0);
  C.WIZADD(2, 50, 9);
  C.WIZADD(3, 50, 2);
  C.WIZADD(4, 50, 5);
  C.WIZADD(5, 300, 0);
  ASSERT_EQ(C.COUNT(), 3);
  EXPECT_NE(C.GET(1), nullptr);
  EXPECT_NE(C.GET(2), nullptr);
  EXPECT_NE(C.GET(5), nullptr);

  // An eviction that empties the cache still leaves room for the new square.
  cSquaresCache SMALL;
  SMALL.MAXCACHE = 2;
  SMALL.NBFREECACHE = 10;
  SMALL.WIZADD(8, 300, 0);
  SMALL.WIZADD(9, 300, 4);
  SMALL.WIZADD(7, 300, 0);
  ASSERT_EQ(SMALL.COUNT(), 1);
  EXPECT_EQ(SMALL.AT(0)->MAPINDEX, 7u);
}

TEST(SquaresCache, RefreshAgesAndDropsExpiredSquares) {
  cThreeRessources RESS;
  cSquaresCache C;
  C.WIZADD(3, 1, 0);
  C.WIZADD(4, 2, 0);
  C.REFRESHCACHE();
  ASSERT_EQ(C.COUNT(), 1);
  EXPECT_EQ(C.AT(0)->MAPINDEX, 4u);
  EXPECT_EQ(C.AT(0)->TIMETOLIVE, 1);
}

TEST_F(World, MissingFileIsCreatedEmptyThenFilledWithEverySquare) {
  cSquaresFile F(PATH, &CACHE);
  EXPECT_TRUE(F.EMPTY);
  EXPECT_TRUE(F.ISEMPTY());
  EXPECT_TRUE(std::filesystem::exists(PATH));
  EXPECT_EQ(F.GETSQUARE(1, 1), nullptr);

  cConsoleCapture CONSOLELINES;
  RANDOMGEN().SEED(3);
  F.CREATEWORLD();
  EXPECT_EQ(CONSOLELINES.LINES(), std::vector<std::string>{"Creation du monde : 10x10"});
  EXPECT_FALSE(F.EMPTY);
  EXPECT_FALSE(F.ISEMPTY());

  // Records 0 to 100, seven bytes each with three resources.
  const std::string BYTES = BYTESOF(PATH);
  ASSERT_EQ(BYTES.size(), 101u * 7u);
  int32_t TERRAINCOUNT[2] = {0, 0};
  for (std::size_t M = 0; M <= 100; ++M) {
    const std::string R = BYTES.substr(M * 7, 7);
    ASSERT_TRUE(R[0] == 0 || R[0] == 1) << "record " << M;
    const auto& EXPECTED = DEPOSITS[static_cast<std::size_t>(R[0])];
    ++TERRAINCOUNT[static_cast<std::size_t>(R[0])];
    for (std::size_t I = 0; I < 3; ++I) {
      const auto LO = static_cast<unsigned char>(R[1 + 2 * I]);
      const auto HI = static_cast<unsigned char>(R[2 + 2 * I]);
      EXPECT_EQ(LO | (HI << 8), EXPECTED[I]) << "record " << M << " resource " << I;
    }
  }
  EXPECT_GT(TERRAINCOUNT[0], 20);
  EXPECT_GT(TERRAINCOUNT[1], 20);

  // Every square of the map reads as its record says, (10,10) included.
  for (int32_t M = 1; M <= 100; ++M) {
    const cSquareMemory* S = F.GETSQUARE(M);
    ASSERT_NE(S, nullptr) << M;
    EXPECT_EQ(S->MAPINDEX, static_cast<uint32_t>(M));
    EXPECT_EQ(S->TYPETERRAIN, BYTES[static_cast<std::size_t>(M) * 7]);
    EXPECT_EQ(S->RESSDISPO, DEPOSITS[static_cast<std::size_t>(S->TYPETERRAIN)]);
  }
  EXPECT_NE(F.GETSQUARE(10, 10), nullptr);
}

TEST_F(World, SquaresOffTheMapAreNothingAndCachedOnesAreShared) {
  cSquaresFile F(PATH, &CACHE);
  F.CREATEWORLD();
  EXPECT_EQ(F.GETSQUARE(0, 5), nullptr);
  EXPECT_EQ(F.GETSQUARE(11, 1), nullptr);
  EXPECT_EQ(F.GETSQUARE(5, 0), nullptr);
  EXPECT_EQ(F.GETSQUARE(1, 11), nullptr);
  EXPECT_EQ(F.GETSQUARE(-1, -1), nullptr);
  EXPECT_EQ(F.GETSQUARE(0), nullptr);
  EXPECT_EQ(F.GETSQUARE(101), nullptr);
  EXPECT_EQ(CACHE.COUNT(), 0);

  cSquareMemory* FIRST = F.GETSQUARE(COORDMAP(3, 2));
  ASSERT_NE(FIRST, nullptr);
  EXPECT_EQ(FIRST->NBACCESS, 0);
  EXPECT_EQ(FIRST->TIMETOLIVE, 300);
  EXPECT_EQ(F.GETSQUARE(13), FIRST);
  EXPECT_EQ(FIRST->NBACCESS, 1);
  EXPECT_EQ(F.GETSQUARE(3, 2), FIRST);
  EXPECT_EQ(FIRST->NBACCESS, 2);
  EXPECT_EQ(CACHE.COUNT(), 1);
}

TEST_F(World, SavedSquaresSurviveAReopening) {
  {
    cSquaresFile F(PATH, &CACHE);
    F.CREATEWORLD();
    cSquareMemory* S = F.GETSQUARE(10, 10);
    ASSERT_NE(S, nullptr);
    S->TYPETERRAIN = 1;
    S->RESSDISPO = {1, 513, 65534};
    F.GETSQUARE(1, 1)->RESSDISPO[0] = 9;
    F.SAVEWORLD();
  }
  const std::string BYTES = BYTESOF(PATH);
  ASSERT_EQ(BYTES.size(), 707u);
  EXPECT_EQ(BYTES.substr(700, 7), std::string("\x01\x01\x00\x01\x02\xFE\xFF", 7));

  cSquaresCache OTHER;
  cSquaresFile AGAIN(PATH, &OTHER);
  EXPECT_FALSE(AGAIN.EMPTY);
  EXPECT_EQ(AGAIN.GETSQUARE(10, 10)->RESSDISPO, (std::vector<uint16_t>{1, 513, 65534}));
  EXPECT_EQ(AGAIN.GETSQUARE(1, 1)->RESSDISPO[0], 9);
  EXPECT_EQ(BYTESOF(PATH), BYTES);
}

TEST_F(World, OlderFileWithoutTheLastSquareGetsOneAppended) {
  std::string OLD;
  for (int32_t M = 0; M < 100; ++M) {
    OLD += std::string("\x01\x64\x00\x2C\x01\xFF\xFF", 7);
  }
  DIR.WRITE("world.wld", OLD);
  cConsoleCapture CONSOLELINES;
  cSquaresFile F(PATH, &CACHE);
  EXPECT_FALSE(F.EMPTY);
  ASSERT_EQ(CONSOLELINES.LINES().size(), 1u);
  EXPECT_NE(CONSOLELINES.LINES()[0].find("square 100 (10,10)"), std::string::npos);
  EXPECT_NE(CONSOLELINES.LINES()[0].find(PATH), std::string::npos);

  const std::string BYTES = BYTESOF(PATH);
  ASSERT_EQ(BYTES.size(), 707u);
  EXPECT_EQ(BYTES.substr(0, 700), OLD);
  const cSquareMemory* LAST = F.GETSQUARE(10, 10);
  ASSERT_NE(LAST, nullptr);
  EXPECT_EQ(LAST->RESSDISPO, DEPOSITS[static_cast<std::size_t>(LAST->TYPETERRAIN)]);
  EXPECT_EQ(F.GETSQUARE(9, 10)->RESSDISPO, (std::vector<uint16_t>{100, 300, 65535}));

  CONSOLELINES.CLEAR();
  cSquaresCache OTHER;
  cSquaresFile AGAIN(PATH, &OTHER);
  EXPECT_TRUE(CONSOLELINES.LINES().empty());
  EXPECT_EQ(BYTESOF(PATH), BYTES);
}

TEST_F(World, FileOfTheWrongSizeStopsTheOpening) {
  const auto EXPECTREFUSED = [this](const std::string& BYTES, const std::string& PART) {
    DIR.WRITE("world.wld", BYTES);
    try {
      cSquaresFile F(PATH, &CACHE);
      ADD_FAILURE() << BYTES.size() << " bytes opened";
    } catch (const cLoadError& E) {
      EXPECT_NE(std::string(E.what()).find(PATH), std::string::npos) << E.what();
      EXPECT_NE(std::string(E.what()).find(PART), std::string::npos) << E.what();
    }
    EXPECT_EQ(BYTESOF(PATH), BYTES) << "a refused file is left as it was";
  };
  EXPECTREFUSED(std::string(703, '\0'), "703 bytes");
  EXPECTREFUSED(std::string(50 * 7, '\0'), "50 squares");
  EXPECTREFUSED(std::string(1, '\0'), "1 bytes");
}

TEST_F(World, RecordSizeFollowsTheNumberOfResources) {
  cScopedGlobal<cListeRessources> FIVE(
      JEURESSOURCES, testsupport::MAKERESSOURCES({"or", "bois", "pierre", "fer", "cristal"}));
  cScopedGlobal<cListeTerrains> ONE(JEUTERRAINS, std::make_unique<cListeTerrains>(""));
  auto T = std::make_unique<cTerrain>();
  T->FDICERESS[4] = cDice("0D0+258");
  JEUTERRAINS->ADD(std::move(T));

  cSquaresFile F(PATH, &CACHE);
  EXPECT_EQ(F.RECORDSIZE(), 11);
  F.CREATEWORLD();
  const std::string BYTES = BYTESOF(PATH);
  ASSERT_EQ(BYTES.size(), 101u * 11u);
  EXPECT_EQ(BYTES.substr(11 * 42, 11), std::string("\0\0\0\0\0\0\0\0\0\x02\x01", 11));
  EXPECT_EQ(F.GETSQUARE(42)->RESSDISPO[4], 258);
}

TEST_F(World, CreationWithoutTerrainsIsRefused) {
  cScopedGlobal<cListeTerrains> NONE(JEUTERRAINS, std::make_unique<cListeTerrains>(""));
  cSquaresFile F(PATH, &CACHE);
  EXPECT_THROW(F.CREATEWORLD(), cWorldFileError);
}

TEST_F(World, OpenWorldInstallsTheGlobals) {
  cScopedGlobal<cSquaresCache> KEEPCACHE(CACHEWORLD, nullptr);
  cScopedGlobal<cSquaresFile> KEEPWORLD(WORLDMAP, nullptr);
  OPENWORLD(PATH);
  ASSERT_TRUE(WORLDMAP);
  EXPECT_EQ(WORLDMAP->CACHE, CACHEWORLD.get());
  EXPECT_TRUE(WORLDMAP->ISEMPTY());
  WORLDMAP->CREATEWORLD();
  ASSERT_NE(WORLDMAP->GETSQUARE(5, 5), nullptr);
  EXPECT_EQ(CACHEWORLD->COUNT(), 1);
  CLOSEWORLD();
  EXPECT_FALSE(WORLDMAP);
  EXPECT_FALSE(CACHEWORLD);
}
