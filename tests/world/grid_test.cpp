#include "world/grid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

#include "base/errors.h"
#include "world/knownmap.h"

namespace {
std::string RUNS(const cMAT& M) {
  std::string S;
  for (const tMAT& R : M.MAP) {
    S += std::to_string(R.START) + "-" + std::to_string(R.STOP) + " ";
  }
  return S;
}
std::string TEXT(const std::vector<tcoordMap>& L) {
  std::string T;
  for (const auto& C : L) {
    T += (T.empty() ? "" : " ") + COORDTOSTRING(C);
  }
  return T;
}
}  // namespace

TEST(KnownMap, AddExtendsNeighbouringRunsWithoutMergingThemAndIgnoresOffMapSquares) {
  cMAT M;
  const auto ADD = [&M](std::initializer_list<std::pair<int32_t, int32_t>> L) {
    for (auto [X, Y] : L) {
      M.ADD(X, Y);
    }
    return RUNS(M);
  };
  EXPECT_EQ(ADD({{1, 1}, {2, 1}, {3, 1}}), "1-3 ");
  EXPECT_EQ(ADD({{5, 1}}), "1-3 5-5 ");
  EXPECT_EQ(ADD({{4, 1}, {2, 1}}), "1-4 5-5 ");
  // In a gap, the run after grows down; past the last run, a new one.
  EXPECT_EQ(ADD({{10, 1}, {9, 1}, {7, 1}, {10, 10}}), "1-4 5-5 7-7 9-10 100-100 ");
  EXPECT_EQ(ADD({{11, 1}, {-1, -1}, {0, 3}, {1, 11}}), "1-4 5-5 7-7 9-10 100-100 ");
  EXPECT_TRUE(M.INMAT(4, 1));
  EXPECT_FALSE(M.INMAT(8, 1));
  EXPECT_FALSE(M.INMAT(11, 1)) << "would be index 11, the known square (1,2)";
}

TEST(KnownMap, TextFormReadsBackAndMalformedTextIsReported) {
  cMAT M;
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
  // A count larger than the runs that follow ends on the empty line.
  B.CLEAR();
  B.WRITELN("count:3");
  B.WRITELN("1-2");
  B.REWIND();
  EXPECT_THROW(BACK.FROMBUFFER(B), cConversionError);
}

TEST(Grid, LineGridDrawsTheExactSquares) {
  // Each line from its first square to its last.
  for (const std::string EXPECTED :
       {"1,1 2,1 3,2 4,2", "4,2 3,2 2,1 1,1", "1,1 1,2 2,3 2,4", "6,6",
        // A decision value of exactly 0 moves on both axes.
        "1,1 2,2 3,2", "1,1 2,2 2,3", "7,9 6,8 5,8 4,7 3,7 2,6 1,6",
        // The eight directions from (5,5).
        "5,5 6,5 7,5 8,5", "5,5 6,6 7,7 8,8", "5,5 5,6 5,7 5,8", "5,5 4,6 3,7 2,8",
        "5,5 4,5 3,5 2,5", "5,5 4,4 3,3 2,2", "5,5 5,4 5,3 5,2", "5,5 6,4 7,3 8,2"}) {
    const auto FROM = COORDFROMSTRING(EXPECTED.substr(0, EXPECTED.find(' ')));
    const auto TO = COORDFROMSTRING(EXPECTED.substr(EXPECTED.rfind(' ') + 1));
    EXPECT_EQ(TEXT(LINEGRID(FROM, TO)), EXPECTED);
  }
  std::vector<tcoordMap> APPENDED{COORDMAP(9, 9)};
  LINEGRID(COORDMAP(1, 1), COORDMAP(2, 1), APPENDED);
  EXPECT_EQ(TEXT(APPENDED), "9,9 1,1 2,1");
}

TEST(Grid, AreaGridGivesTheBlockAroundTheCentreCutAtTheEdgesColumnByColumn) {
  const std::tuple<int32_t, int32_t, int32_t, const char*> CASES[] = {
      {1, 1, 1, "1,1 1,2 2,1 2,2"},
      {10, 10, 1, "9,9 9,10 10,9 10,10"},
      {5, 5, 1, "4,4 4,5 4,6 5,4 5,5 5,6 6,4 6,5 6,6"},
      {2, 9, 2, "1,7 1,8 1,9 1,10 2,7 2,8 2,9 2,10 3,7 3,8 3,9 3,10 4,7 4,8 4,9 4,10"},
      {5, 5, 0, "5,5"},
      {0, 0, 1, "1,1"},
      {0, 0, 0, ""},
      {5, 5, -1, ""},
      {5, 5, INT32_MIN, ""}};
  for (auto [X, Y, RANGE, EXPECTED] : CASES) {
    EXPECT_EQ(TEXT(AREAGRID(COORDMAP(X, Y), RANGE)), EXPECTED) << X << "," << Y << " " << RANGE;
  }
  EXPECT_EQ(AREAGRID(COORDMAP(3, 3), INT32_MAX).size(), 100u);
  std::vector<tcoordMap> APPENDED{COORDMAP(9, 9)};
  AREAGRID(COORDMAP(10, 1), 0, APPENDED);
  EXPECT_EQ(TEXT(APPENDED), "9,9 10,1");
}
