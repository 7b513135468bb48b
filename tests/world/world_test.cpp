#include "world/world.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "base/console.h"
#include "base/random.h"
#include "support/fixtures.h"
#include "world/terrain.h"

using testsupport::cScopedGlobal;
using testsupport::cTempDir;

namespace {

std::string BYTESOF(const std::string& PATH) {
  std::ifstream IN(PATH, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

// Terrain 0 always holds 4/7/0 and terrain 1 100/300/65535: a record's
// deposits (little-endian) follow from its terrain byte.
const std::string DEPOSITS[2] = {std::string("\x04\x00\x07\x00\x00\x00", 6),
                                 std::string("\x64\x00\x2C\x01\xFF\xFF", 6)};

class World : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(TERRAINS->LOADTERRAINS()); }
  testsupport::cThreeRessources RESS;
  cTempDir DIR;
  cScopedGlobal<cListeTerrains> TERRAINS{
      JEUTERRAINS, std::make_unique<cListeTerrains>(
                       DIR.WRITE("terrains.zrk",
                                 "#0:a\nmove:1\ncar:.\nor:1D1+3\nbois:7\npierre:\n"
                                 "#1:b\nmove:1\ncar:~\nor:100\nbois:300\npierre:65535\n"))};
  std::string PATH = (DIR.PATH() / "world.wld").string();
  cSquaresCache CACHE;
};

}  // namespace

TEST_F(World, FullCacheEvictsShortestLivedThenLeastAccessed) {
  // Full at 300, access counts 1000 - i: indices 296 to 300 are the least accessed.
  for (uint32_t I = 1; I <= 300; ++I) {
    CACHE.WIZADD(I, 300, static_cast<int32_t>(1000 - I));
  }
  CACHE.WIZADD(500, 300, 0);
  EXPECT_EQ(CACHE.COUNT(), 296);
  for (uint32_t I = 295; I <= 300; ++I) {
    EXPECT_EQ(CACHE.GET(I) == nullptr, I != 295) << I;
  }

  cSquaresCache C;  // full at 4, makes room for 2
  C.MAXCACHE = 4;
  C.NBFREECACHE = 2;
  for (auto [INDEX, TTL, ACCESS] :
       {std::tuple{1u, 300, 0}, {2u, 50, 9}, {3u, 50, 2}, {4u, 50, 5}, {5u, 300, 0}}) {
    C.WIZADD(INDEX, TTL, ACCESS);
  }
  EXPECT_TRUE(C.COUNT() == 3 && C.GET(1) && C.GET(2) && C.GET(5));
  C.REFRESHCACHE();
  EXPECT_EQ(C.GET(2)->TIMETOLIVE, 49);

  // An eviction that empties the cache still leaves room for the new square.
  cSquaresCache ONE;
  ONE.MAXCACHE = 1;
  ONE.WIZADD(8, 300, 0);
  ONE.WIZADD(7, 1, 0);
  EXPECT_TRUE(ONE.COUNT() == 1 && ONE.GET(7));
}

TEST_F(World, CreatedWorldHas101RecordsReadBackThroughTheCache) {
  cSquaresFile F(PATH, &CACHE);
  EXPECT_TRUE(F.EMPTY);
  EXPECT_EQ(F.GETSQUARE(1, 1), nullptr) << "nothing to read yet";
  RANDOMGEN().SEED(3);
  F.CREATEWORLD();
  const std::string BYTES = BYTESOF(PATH);
  ASSERT_EQ(BYTES.size(), 101u * 7u);
  int32_t TERRAINCOUNT[2] = {0, 0};
  // Read in a scrambled order, so the cache inserts all along its sorted squares.
  for (std::size_t K = 0; K <= 100; ++K) {
    const std::size_t M = K * 37 % 101;
    const auto T = static_cast<std::size_t>(BYTES[M * 7]);
    ASSERT_LT(T, 2u) << "record " << M;
    ++TERRAINCOUNT[T];
    EXPECT_EQ(BYTES.substr(M * 7 + 1, 6), DEPOSITS[T]) << "record " << M;
    const cSquareMemory* S = F.GETSQUARE(static_cast<int32_t>(M));
    ASSERT_EQ(S == nullptr, M == 0) << M;
    EXPECT_TRUE(M == 0 || (S->MAPINDEX == M && S->TYPETERRAIN == static_cast<int8_t>(T))) << M;
  }
  for (int32_t P = 0; P < 100; ++P) {
    ASSERT_EQ(CACHE.AT(P)->MAPINDEX, static_cast<uint32_t>(P + 1));
  }
  EXPECT_TRUE(TERRAINCOUNT[0] > 20 && TERRAINCOUNT[1] > 20);

  for (auto [X, Y] : {std::pair{0, 5}, {11, 1}, {5, 0}, {1, 11}, {-1, -1}}) {
    EXPECT_EQ(F.GETSQUARE(X, Y), nullptr) << X << "," << Y;
  }
  EXPECT_EQ(F.GETSQUARE(101), nullptr);
  EXPECT_EQ(CACHE.COUNT(), 100);
  cSquareMemory* S = F.GETSQUARE(3, 2);
  EXPECT_EQ(S, F.GETSQUARE(13));
  EXPECT_EQ(S->NBACCESS, 2) << "two more requests";
}

TEST_F(World, ChangedSquaresAreWrittenBackBeforeLeavingTheCache) {
  // Evicted by a full cache (the shortest-lived goes for 5), or by the end of its life.
  for (const bool AGING : {false, true}) {
    cSquaresCache C;
    C.MAXCACHE = 4;
    cSquaresFile F(PATH, &C);
    F.CREATEWORLD();
    cSquareMemory* S = F.GETSQUARE(1, 1);
    S->RESSDISPO[1] = 4321;
    S->TIMETOLIVE = AGING ? 1 : 300;
    C.REFRESHCACHE();
    for (int32_t M = 2; !AGING && M <= 5; ++M) {
      F.GETSQUARE(M);
    }
    ASSERT_EQ(C.GET(1), nullptr) << "evicted, aging " << AGING;
    EXPECT_EQ(F.GETSQUARE(1, 1)->RESSDISPO[1], 4321) << "aging " << AGING;
  }
}

TEST_F(World, FailedWriteBackKeepsTheSquareCachedAndRaises) {
  cSquaresCache C;
  C.MAXCACHE = 2;
  C.SETWRITEBACK(this, [](cSquareMemory&) { throw cWorldFileError("cannot be written"); });
  // Squares added by hand were never stored, so they count as changed.
  C.WIZADD(1, 300, 0);
  C.WIZADD(2, 1, 0);
  EXPECT_THROW(C.WIZADD(3, 300, 0), cWorldFileError);
  EXPECT_THROW(C.REFRESHCACHE(), cWorldFileError);
  EXPECT_TRUE(C.COUNT() == 2 && C.GET(1) && C.GET(2));
  // A file installs its own write-back and takes it away when it goes: the
  // expired square then leaves without a call into the file destroyed.
  { cSquaresFile F(PATH, &C); }
  C.REFRESHCACHE();
  EXPECT_TRUE(C.COUNT() == 1 && C.GET(1));
}

TEST_F(World, AFileLackingOnlyTheLastSquareIsCompletedOnce) {
  const std::string OLD(700, '\x01');
  DIR.WRITE("world.wld", OLD);
  cConsoleCapture CONSOLELINES;
  cSquaresFile FIRST(PATH, &CACHE);
  ASSERT_EQ(CONSOLELINES.LINES().size(), 1u);
  EXPECT_NE(CONSOLELINES.LINES()[0].find("square 100 (10,10)"), std::string::npos);
  const std::string BYTES = BYTESOF(PATH);
  ASSERT_EQ(BYTES.size(), 707u);
  EXPECT_EQ(BYTES.substr(0, 700), OLD);
  EXPECT_EQ(BYTES.substr(701), DEPOSITS[static_cast<std::size_t>(BYTES[700])]);
  cSquaresFile AGAIN(PATH, &CACHE);
  EXPECT_EQ(CONSOLELINES.LINES().size(), 1u) << "completed once";
}

TEST_F(World, RecordSizeFollowsTheNumberOfResources) {
  cScopedGlobal<cListeRessources> FIVE(
      JEURESSOURCES, testsupport::MAKERESSOURCES({"or", "bois", "pierre", "fer", "cristal"}));
  cScopedGlobal<cListeTerrains> ONE(JEUTERRAINS, std::make_unique<cListeTerrains>(""));
  cSquaresFile F(PATH, &CACHE);
  EXPECT_THROW(F.CREATEWORLD(), cWorldFileError) << "no terrain";
  static_cast<cTerrain*>(JEUTERRAINS->ADD(std::make_unique<cTerrain>()))->FDICERESS[4] =
      cDice("0D0+258");
  F.CREATEWORLD();
  const std::string BYTES = BYTESOF(PATH);
  ASSERT_EQ(BYTES.size(), 101u * 11u);
  EXPECT_EQ(BYTES.substr(11 * 42, 11), std::string("\0\0\0\0\0\0\0\0\0\x02\x01", 11));
  EXPECT_EQ(F.GETSQUARE(42)->RESSDISPO[4], 258);
}

TEST_F(World, ASaveThatCannotFinishLeavesThePreviousWorldWhole) {
  cSquaresFile F(PATH, &CACHE);
  F.CREATEWORLD();
  const std::string BEFORE = BYTESOF(PATH);
  cSquareMemory* S = F.GETSQUARE(10, 10);
  EXPECT_FALSE(S->CHANGED()) << "as read";
  S->TYPETERRAIN = -2;
  S->RESSDISPO = {1, 513, 65534};
  F.GETSQUARE(1, 1)->RESSDISPO[0] = 9;
  // The new world cannot be written beside the file: nothing of it may land.
  std::filesystem::create_directory(PATH + ".tmp");
  EXPECT_THROW(F.SAVEWORLD(), cWorldFileError);
  EXPECT_EQ(BYTESOF(PATH), BEFORE);
  EXPECT_TRUE(F.GETSQUARE(1, 1)->CHANGED()) << "kept for the next save";

  std::filesystem::remove(PATH + ".tmp");
  F.SAVEWORLD();
  EXPECT_FALSE(S->CHANGED() || F.GETSQUARE(1, 1)->CHANGED()) << "as written";
  const std::string AFTER = BYTESOF(PATH);
  EXPECT_EQ(AFTER.substr(7 * 2, 7 * 98), BEFORE.substr(7 * 2, 7 * 98)) << "squares 2 to 99";
  EXPECT_EQ(AFTER.substr(7 + 1, 2), std::string("\x09\x00", 2));
  EXPECT_EQ(AFTER.substr(700), std::string("\xFE\x01\x00\x01\x02\xFE\xFF", 7));
  // What is read next comes from the file that replaced the old one.
  CACHE.CLEAR();
  EXPECT_EQ(F.GETSQUARE(10, 10)->TYPETERRAIN, -2);
  EXPECT_EQ(F.GETSQUARE(10, 10)->RESSDISPO, (std::vector<uint16_t>{1, 513, 65534}));
}
