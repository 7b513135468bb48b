#include "world/grid.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/fixtures.h"
#include "world/knownmap.h"
#include "world/terrain.h"
#include "world/world.h"

using testsupport::cScopedGlobal;
using testsupport::cTempDir;
using testsupport::cThreeRessources;

namespace {
std::vector<tMAT> RUNS(std::initializer_list<std::pair<int32_t, int32_t>> L) {
  std::vector<tMAT> R;
  for (const auto& [A, B] : L) {
    R.push_back(tMAT{A, B});
  }
  return R;
}
}  // namespace

TEST(KnownMap, AddExtendsNeighbouringRunsWithoutMergingThem) {
  cMAT M;
  EXPECT_FALSE(M.INMAT(1, 1));
  M.ADD(1, 1);
  M.ADD(2, 1);
  M.ADD(3, 1);
  EXPECT_EQ(M.MAP, RUNS({{1, 3}}));
  M.ADD(5, 1);
  EXPECT_EQ(M.MAP, RUNS({{1, 3}, {5, 5}}));
  M.ADD(4, 1);
  EXPECT_EQ(M.MAP, RUNS({{1, 4}, {5, 5}}));
  M.ADD(2, 1);
  M.ADD(5, 1);
  EXPECT_EQ(M.MAP, RUNS({{1, 4}, {5, 5}}));

  // In a gap: the run after grows down when the one before does not touch.
  M.ADD(10, 1);
  M.ADD(9, 1);
  EXPECT_EQ(M.MAP, RUNS({{1, 4}, {5, 5}, {9, 10}}));
  M.ADD(7, 1);
  EXPECT_EQ(M.MAP, RUNS({{1, 4}, {5, 5}, {7, 7}, {9, 10}}));
  // Past the last run and before the first one.
  M.ADD(1, 2);
  M.ADD(10, 10);
  EXPECT_EQ(M.MAP.back(), (tMAT{100, 100}));
  cMAT N;
  N.ADD(5, 1);
  N.ADD(4, 1);
  N.ADD(1, 1);
  EXPECT_EQ(N.MAP, RUNS({{1, 1}, {4, 5}}));

  EXPECT_TRUE(M.INMAT(COORDMAP(4, 1)));
  EXPECT_TRUE(M.INMAT(1, 2));
  EXPECT_FALSE(M.INMAT(6, 1));
  EXPECT_FALSE(M.INMAT(8, 1));
}

TEST(KnownMap, SquaresOffTheMapAreNeverKnown) {
  cMAT M;
  M.ADD(11, 1);  // would be index 11, the square (1,2)
  M.ADD(-1, -1);
  M.ADD(0, 3);
  EXPECT_TRUE(M.MAP.empty());
  M.ADD(1, 2);
  EXPECT_TRUE(M.INMAT(1, 2));
  EXPECT_FALSE(M.INMAT(11, 1));
  EXPECT_FALSE(M.INMAT(-1, -1));
}

TEST(KnownMap, TextFormReadsBack) {
  cMAT M;
  cBuffer EMPTY;
  M.TOBUFFER(EMPTY);
  EXPECT_EQ(EMPTY.LINES(), (std::vector<std::string>{"count:0", ""}));

  for (int32_t X = 3; X <= 7; ++X) {
    M.ADD(X, 1);
  }
  M.ADD(10, 10);
  cBuffer B;
  M.TOBUFFER(B);
  B.WRITELN("next section");
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"count:2", "3-7", "100-100", "", "next section"}));

  B.REWIND();
  cMAT BACK;
  BACK.ADD(1, 1);
  BACK.FROMBUFFER(B);
  EXPECT_EQ(BACK.MAP, M.MAP);
  EXPECT_EQ(B.READLN(), "next section");

  EMPTY.REWIND();
  BACK.FROMBUFFER(EMPTY);
  EXPECT_TRUE(BACK.MAP.empty());
  EXPECT_TRUE(EMPTY.ISEOF());
}

TEST(KnownMap, MalformedTextIsReported) {
  const auto READ = [](std::vector<std::string> LINES) {
    cBuffer B;
    for (const auto& L : LINES) {
      B.WRITELN(L);
    }
    B.REWIND();
    cMAT M;
    M.FROMBUFFER(B);
    return M.MAP;
  };
  EXPECT_TRUE(READ({"count:x", ""}).empty());
  EXPECT_THROW(READ({"count:1", "3", ""}), cConversionError);
  EXPECT_THROW(READ({"count:1", "3-a", ""}), cConversionError);
  EXPECT_THROW(READ({"count:3", "1-2"}), cConversionError);
  EXPECT_EQ(READ({"count:2", "9-12", "1-2", ""}), RUNS({{9, 12}, {1, 2}}));
}

TEST(Grid, InMapIsOneToTenBothWays) {
  EXPECT_TRUE(INMAP(1, 1));
  EXPECT_TRUE(INMAP(10, 10));
  EXPECT_TRUE(INMAP(COORDMAP(10, 1)));
  EXPECT_FALSE(INMAP(0, 5));
  EXPECT_FALSE(INMAP(11, 1));
  EXPECT_FALSE(INMAP(5, 0));
  EXPECT_FALSE(INMAP(5, 11));
  EXPECT_FALSE(INMAP(COORDMAP(-1, -1)));
}

TEST(Grid, LineGridDrawsTheExactSquares) {
  const auto XY = [](std::vector<tcoordMap> L) {
    std::string S;
    for (const auto& C : L) {
      S += (S.empty() ? "" : " ") + COORDTOSTRING(C);
    }
    return S;
  };
  EXPECT_EQ(XY(LINEGRID(COORDMAP(1, 1), COORDMAP(4, 2))), "1,1 2,1 3,2 4,2");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(4, 2), COORDMAP(1, 1))), "4,2 3,2 2,1 1,1");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(1, 1), COORDMAP(2, 4))), "1,1 1,2 2,3 2,4");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(6, 6), COORDMAP(6, 6))), "6,6");
  // A decision value of exactly 0 moves on both axes.
  EXPECT_EQ(XY(LINEGRID(COORDMAP(1, 1), COORDMAP(3, 2))), "1,1 2,2 3,2");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(1, 1), COORDMAP(2, 3))), "1,1 2,2 2,3");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(7, 9), COORDMAP(1, 6))), "7,9 6,8 5,8 4,7 3,7 2,6 1,6");

  // The eight directions from (5,5).
  EXPECT_EQ(XY(LINEGRID(COORDMAP(5, 5), COORDMAP(8, 5))), "5,5 6,5 7,5 8,5");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(5, 5), COORDMAP(8, 8))), "5,5 6,6 7,7 8,8");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(5, 5), COORDMAP(5, 8))), "5,5 5,6 5,7 5,8");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(5, 5), COORDMAP(2, 8))), "5,5 4,6 3,7 2,8");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(5, 5), COORDMAP(2, 5))), "5,5 4,5 3,5 2,5");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(5, 5), COORDMAP(2, 2))), "5,5 4,4 3,3 2,2");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(5, 5), COORDMAP(5, 2))), "5,5 5,4 5,3 5,2");
  EXPECT_EQ(XY(LINEGRID(COORDMAP(5, 5), COORDMAP(8, 2))), "5,5 6,4 7,3 8,2");

  // Every line: max(|dx|, |dy|) + 1 squares, neighbours one step apart, ends at FIN.
  for (int32_t X = 1; X <= 10; ++X) {
    for (int32_t Y = 1; Y <= 10; ++Y) {
      const auto L = LINEGRID(COORDMAP(4, 7), COORDMAP(X, Y));
      ASSERT_EQ(L.size(), static_cast<std::size_t>(std::max(std::abs(X - 4), std::abs(Y - 7)) + 1));
      EXPECT_EQ(L.back(), COORDMAP(X, Y));
      for (std::size_t I = 1; I < L.size(); ++I) {
        EXPECT_LE(std::abs(L[I].X - L[I - 1].X), 1);
        EXPECT_LE(std::abs(L[I].Y - L[I - 1].Y), 1);
      }
    }
  }

  std::vector<tcoordMap> APPENDED{COORDMAP(9, 9)};
  LINEGRID(COORDMAP(1, 1), COORDMAP(2, 1), APPENDED);
  EXPECT_EQ(XY(APPENDED), "9,9 1,1 2,1");
}

TEST(Grid, AreaGridCollectsTheWorldsSquaresCutAtTheEdges) {
  cThreeRessources RESS;
  auto TERRAINS = std::make_unique<cListeTerrains>("");
  TERRAINS->ADD(std::make_unique<cTerrain>());
  cScopedGlobal<cListeTerrains> T(JEUTERRAINS, std::move(TERRAINS));
  cTempDir DIR;
  cScopedGlobal<cSquaresCache> CACHE(CACHEWORLD, nullptr);
  cScopedGlobal<cSquaresFile> WORLD(WORLDMAP, nullptr);
  EXPECT_TRUE(AREAGRID(COORDMAP(1, 1), 1).empty()) << "no world yet";
  OPENWORLD((DIR.PATH() / "world.wld").string());
  WORLDMAP->CREATEWORLD();

  const auto INDICES = [](const std::vector<cSquareMemory*>& L) {
    std::vector<uint32_t> R;
    for (const auto* S : L) {
      R.push_back(S->MAPINDEX);
    }
    return R;
  };
  // Column by column: (1,1), (1,2), (2,1), (2,2).
  EXPECT_EQ(INDICES(AREAGRID(COORDMAP(1, 1), 1)), (std::vector<uint32_t>{1, 11, 2, 12}));
  EXPECT_EQ(INDICES(AREAGRID(COORDMAP(10, 10), 1)), (std::vector<uint32_t>{89, 99, 90, 100}));
  EXPECT_EQ(INDICES(AREAGRID(COORDMAP(5, 5), 0)), (std::vector<uint32_t>{45}));
  EXPECT_EQ(AREAGRID(COORDMAP(5, 5), 1).size(), 9u);
  EXPECT_EQ(AREAGRID(COORDMAP(3, 3), 1000000).size(), 100u);
  EXPECT_TRUE(AREAGRID(COORDMAP(0, 0), 0).empty());
  EXPECT_TRUE(AREAGRID(COORDMAP(5, 5), -1).empty());
  EXPECT_EQ(AREAGRID(COORDMAP(5, 5), 1).front(), WORLDMAP->GETSQUARE(4, 4))
      << "the cache's squares";
  CLOSEWORLD();
}
