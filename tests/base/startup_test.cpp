#include "base/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/errors.h"
#include "entities/account.h"
#include "protocol/interpreter.h"
#include "server/client.h"
#include "support/fixtures.h"

namespace {

// Runs the test from DIR and comes back to the previous directory.
class cInDirectory {
 public:
  explicit cInDirectory(const std::filesystem::path& DIR)
      : FPREVIOUS(std::filesystem::current_path()) {
    std::filesystem::current_path(DIR);
  }
  ~cInDirectory() { std::filesystem::current_path(FPREVIOUS); }
  cInDirectory(const cInDirectory&) = delete;
  cInDirectory& operator=(const cInDirectory&) = delete;

 private:
  std::filesystem::path FPREVIOUS;
};

}  // namespace

TEST(Startup, InitGameLoadsTheAccountsAndCreatesClientsAndReplyBuffer) {
  testsupport::cTempDir DIR;
  DIR.WRITE("players/accounts.zrk", "; demo\n1;demo;demo;null;M;e;0\n");
  cInDirectory HERE(DIR.PATH());
  INITGAME();
  ASSERT_TRUE(JEUACCOUNTS);
  EXPECT_EQ(JEUACCOUNTS->COUNT(), 1);
  ASSERT_TRUE(CLIENTS);
  EXPECT_EQ(CLIENTS->GETCOUNT(), 0);
  ASSERT_TRUE(BUF);
  FREEGAME();
  EXPECT_FALSE(JEUACCOUNTS);
  EXPECT_FALSE(CLIENTS);
  EXPECT_FALSE(BUF);
}

TEST(Startup, WithoutAccountsFileTheGameStartsWithNoAccounts) {
  testsupport::cTempDir DIR;
  cInDirectory HERE(DIR.PATH());
  INITGAME();
  EXPECT_EQ(JEUACCOUNTS->COUNT(), 0);
  FREEGAME();
}

TEST(Startup, ABadAccountsFileStopsStartUpWithFileLineAndText) {
  testsupport::cTempDir DIR;
  DIR.WRITE("players/accounts.zrk", "1;demo;demo;null;M;e;0\n2;x;y;2026-02-30 00:00:00;M;e;0\n");
  cInDirectory HERE(DIR.PATH());
  try {
    INITGAME();
    ADD_FAILURE() << "no error";
  } catch (const cLoadError& E) {
    const std::string M = E.what();
    EXPECT_NE(M.find("players/accounts.zrk"), std::string::npos) << M;
    EXPECT_NE(M.find("line 2"), std::string::npos) << M;
    EXPECT_NE(M.find("2026-02-30 00:00:00"), std::string::npos) << M;
  }
  FREEGAME();
}
