// The game copy a measured server runs in: generated accounts that the server
// can read, the shipped data, and nothing left behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gamecopy.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const fs::path& P) {
  std::ifstream IN(P);
  std::vector<std::string> R;
  for (std::string L; std::getline(IN, L);) {
    R.push_back(L);
  }
  return R;
}

}  // namespace

TEST(BenchAccounts, LinesFitTheAccountsFileForEveryClientCount) {
  EXPECT_EQ(ACCOUNTLINE(1), "1;b1;p1;null;M;e;0");
  EXPECT_EQ(ACCOUNTNAME(42), "b42");
  EXPECT_EQ(ACCOUNTPASSWORD(42), "p42");
  // Longer lines would be cut by the server, and the password with them.
  for (const int I : {1, 9, 10, 99, 100, 500, 9999999}) {
    EXPECT_LE(ACCOUNTLINE(I).size(), 40u) << I;
  }
}

TEST(BenchGameCopy, HoldsTheDataAndOnlyGeneratedAccountsThenGoes) {
  fs::path WHERE;
  {
    cGameCopy COPY(ROYAUMES_GAME_DIR, 3);
    WHERE = COPY.PATH();
    EXPECT_NE(fs::weakly_canonical(WHERE), fs::weakly_canonical(ROYAUMES_GAME_DIR));
    EXPECT_TRUE(fs::exists(WHERE / "data" / "races.zrk"));
    EXPECT_EQ(Lines(WHERE / "players" / "accounts.zrk"),
              (std::vector<std::string>{ACCOUNTLINE(1), ACCOUNTLINE(2), ACCOUNTLINE(3)}));
  }
  EXPECT_FALSE(fs::exists(WHERE));
  // The shipped accounts are untouched.
  const auto SHIPPED = Lines(fs::path(ROYAUMES_GAME_DIR) / "players" / "accounts.zrk");
  EXPECT_EQ(std::count(SHIPPED.begin(), SHIPPED.end(), ACCOUNTLINE(1)), 0);
}

TEST(BenchGameCopy, RefusesADirectoryWithoutData) {
  const fs::path EMPTY = fs::temp_directory_path() / "royaumes-bench-test-nodata";
  fs::create_directories(EMPTY);
  EXPECT_THROW(cGameCopy(EMPTY, 1), cBenchError);
  EXPECT_THROW(cGameCopy(EMPTY / "missing", 1), cBenchError);
  fs::remove_all(EMPTY);
}
