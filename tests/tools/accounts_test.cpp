// The account tool: lines the server would not read as meant refused, new
// lines the server's own reader finds, other lines kept, and a file replaced
// whole or left as it was.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "accountsfile.h"
#include "base/buffer.h"
#include "entities/account.h"

namespace fs = std::filesystem;

namespace {

const std::string SHIPPED = "; c\r\n1;demo;demo;null;M;d@l;0\r\n7;Alice;secret;null;F;;3\r\n";

cAccountsFile Parse(const std::string& TEXT) {
  std::string ERROR;
  auto F = cAccountsFile::PARSE(TEXT, ERROR);
  EXPECT_TRUE(F) << ERROR;
  return F ? *F : cAccountsFile();
}

}  // namespace

TEST(AccountsFile, ChangesTheServerWouldNotReadAsMeantAreRefused) {
  cAccountsFile F = Parse(SHIPPED);
  std::string ERROR;
  // 8;<name>;pw;null;M;;0 is 41 characters with a name of 26.
  for (const std::string& NAME :
       {std::string(26, 'n'), std::string("ALICE"), std::string("a/b"), std::string(".."),
        std::string("a;b"), std::string(" x"), std::string("t\t")}) {
    EXPECT_FALSE(F.ADD(NAME, "pw", {"", 'M', 0}, ERROR)) << NAME;
  }
  for (const std::string PASSWORD : {"", "a;b", "a\x7f"}) {
    EXPECT_FALSE(F.ADD("bob", PASSWORD, {"", 'M', 0}, ERROR)) << PASSWORD;
  }
  EXPECT_FALSE(F.ADD("bob", "pw", {"a;b", 'M', 0}, ERROR));
  EXPECT_FALSE(F.ADD("bob", "pw", {"", 'X', 0}, ERROR));
  EXPECT_FALSE(F.SETPASSWORD("alice", std::string(23, 'p'), ERROR));  // 41 characters
  EXPECT_EQ(F.TEXT(), SHIPPED);
  for (const std::string BAD : {"1;a;b;null;M;e;x9\n", "1;a;b;2026-02-30 10:00:00;M;e;0\n"}) {
    EXPECT_FALSE(cAccountsFile::PARSE("; ok\n" + BAD, ERROR)) << BAD;
    EXPECT_EQ(ERROR.rfind("line 2: ", 0), 0u) << ERROR;
  }
}

TEST(AccountsFile, ANewLineIsFoundByTheServersReaderAndEveryLineEnds) {
  cAccountsFile F = Parse("1;demo;demo;null;M;d@l;0");  // no line end at all
  std::string ERROR;
  ASSERT_TRUE(F.ADD(std::string(24, 'n'), "pw", {"", 'F', 12}, ERROR)) << ERROR;
  EXPECT_EQ(F.TEXT(), "1;demo;demo;null;M;d@l;0\n2;" + std::string(24, 'n') + ";pw;null;F;;12\n");
  cBuffer B;
  B.WRITELN("2;" + std::string(24, 'n') + ";pw;null;F;;12");
  cListeAccounts SERVERSIDE("");
  SERVERSIDE.LOADACCOUNTS(B);
  const cAccount* A = SERVERSIDE.FIND(std::string(24, 'N'));
  ASSERT_NE(A, nullptr);
  EXPECT_EQ(A->PASSWD, "pw");
  EXPECT_EQ(A->SEX, Female);
  cAccountsFile G = Parse(SHIPPED);
  ASSERT_TRUE(G.SETPASSWORD("ALICE", "neuf", ERROR) && G.REMOVE("Demo", ERROR)) << ERROR;
  EXPECT_EQ(G.TEXT(), "; c\r\n7;Alice;neuf;null;F;;3\r\n");
}

TEST(AccountsTool, ChangesReplaceTheFileWholeOrLeaveItAsItWas) {
  const fs::path DIR = fs::temp_directory_path() / ("royaumes_acc_" + std::to_string(::getpid()));
  fs::create_directories(DIR / "players");
  const fs::path ACCOUNTSFILE = DIR / "players" / "accounts.zrk";
  std::ofstream(ACCOUNTSFILE, std::ios::binary) << SHIPPED;
  const auto RUN = [&](const std::string& ARGS) {
    const int S = std::system((std::string(ROYAUMES_ACCOUNTS_BIN) + " --dir " + DIR.string() + " " +
                               ARGS + " >/dev/null 2>&1")
                                  .c_str());
    return WIFEXITED(S) ? WEXITSTATUS(S) : -1;
  };
  const auto TEXT = [&ACCOUNTSFILE] {
    return (std::ostringstream() << std::ifstream(ACCOUNTSFILE, std::ios::binary).rdbuf()).str();
  };
  ASSERT_EQ(RUN("add carol pw"), 0);
  ASSERT_EQ(RUN("add dan pw --sex F"), 0);
  const std::string ADDED = SHIPPED + "8;carol;pw;null;M;;0\r\n9;dan;pw;null;F;;0\r\n";
  EXPECT_EQ(TEXT(), ADDED);
  EXPECT_EQ(RUN("add CAROL pw"), 1);
  EXPECT_EQ(RUN("frobnicate"), 2);
  // A write that fails half way (the temporary cannot be made) changes nothing.
  fs::create_directories(DIR / "players" / "accounts.zrk.tmp" / "x");
  EXPECT_EQ(RUN("remove carol"), 1);
  EXPECT_EQ(TEXT(), ADDED);
  fs::remove_all(DIR);
}
