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

TEST(BenchChampions, CopiesRecordsInTurnWithFreshIdentifiersAndNames) {
  const std::string CATALOGUE =
      "; comment\r\n\r\n#0\r\naldric\r\nrace:A\r\ncaracts:att:7\r\n\r\n"
      "#7\r\nberthe\r\nrace:B\r\ncaracts:att:4\r\n";
  EXPECT_EQ(WITHEXTRACHAMPIONS(CATALOGUE, 3),
            CATALOGUE +
                "\r\n#8\r\nbench1\r\nrace:A\r\ncaracts:att:7\r\n"
                "\r\n#9\r\nbench2\r\nrace:B\r\ncaracts:att:4\r\n"
                "\r\n#10\r\nbench3\r\nrace:A\r\ncaracts:att:7\r\n");
  EXPECT_EQ(WITHEXTRACHAMPIONS(CATALOGUE, 0), CATALOGUE);
  // A file without a final line end, with plain LF ends.
  EXPECT_EQ(WITHEXTRACHAMPIONS("#0\nx\nrace:A", 1), "#0\nx\nrace:A\n\n#1\nbench1\nrace:A\n");
  EXPECT_THROW(WITHEXTRACHAMPIONS("; only a comment\n", 1), cBenchError);
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
    const auto SHIPPEDCHAMPIONS = Lines(fs::path(ROYAUMES_GAME_DIR) / "data" / "heros.zrk");
    const auto CHAMPIONS = Lines(WHERE / "data" / "heros.zrk");
    EXPECT_EQ(std::count(CHAMPIONS.begin(), CHAMPIONS.end(), "bench3\r"), 1);
    EXPECT_EQ(std::count(CHAMPIONS.begin(), CHAMPIONS.end(), "bench4\r"), 0);
    EXPECT_TRUE(std::equal(SHIPPEDCHAMPIONS.begin(), SHIPPEDCHAMPIONS.end(), CHAMPIONS.begin()));
  }
  EXPECT_FALSE(fs::exists(WHERE));
  // The shipped accounts are untouched.
  const auto SHIPPED = Lines(fs::path(ROYAUMES_GAME_DIR) / "players" / "accounts.zrk");
  EXPECT_EQ(std::count(SHIPPED.begin(), SHIPPED.end(), ACCOUNTLINE(1)), 0);
}

TEST(BenchGameCopy, LeavesOutSavedPlayers) {
  const fs::path SOURCE = fs::temp_directory_path() / "royaumes-bench-test-withplayers";
  fs::remove_all(SOURCE);
  fs::create_directories(SOURCE / "players");
  fs::copy(fs::path(ROYAUMES_GAME_DIR) / "data", SOURCE / "data", fs::copy_options::recursive);
  std::ofstream(SOURCE / "players" / "b1.plr") << "#1\n";
  std::ofstream(SOURCE / "players" / "notes.txt") << "kept\n";
  {
    cGameCopy COPY(SOURCE, 1);
    EXPECT_FALSE(fs::exists(COPY.PATH() / "players" / "b1.plr"));
    EXPECT_TRUE(fs::exists(COPY.PATH() / "players" / "notes.txt"));
  }
  EXPECT_TRUE(fs::exists(SOURCE / "players" / "b1.plr"));
  fs::remove_all(SOURCE);
}

TEST(BenchGameCopy, RefusesADirectoryWithoutData) {
  const fs::path EMPTY = fs::temp_directory_path() / "royaumes-bench-test-nodata";
  fs::create_directories(EMPTY);
  EXPECT_THROW(cGameCopy(EMPTY, 1), cBenchError);
  EXPECT_THROW(cGameCopy(EMPTY / "missing", 1), cBenchError);
  fs::remove_all(EMPTY);
}
