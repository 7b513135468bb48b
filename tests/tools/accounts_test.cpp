// The account tool: lines the server would not read as meant refused, new
// lines the server's own reader finds, other lines kept, and a file replaced
// whole or left as it was.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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
  const struct {
    std::string NAME, PASSWORD, EMAIL;
    char SEX;
  } CASES[] = {
      {std::string(26, 'n'), "pw", "", 'M'},  // 8;<name>;pw;null;M;;0 is 41 characters
      {"ALICE", "pw", "", 'M'},
      {"a/b", "pw", "", 'M'},
      {"..", "pw", "", 'M'},
      {"a;b", "pw", "", 'M'},
      {" x", "pw", "", 'M'},
      {"t\t", "pw", "", 'M'},
      {"bob", "", "", 'M'},
      {"bob", "a;b", "", 'M'},
      {"bob", "a\x7f", "", 'M'},
      {"bob", "pw", "a;b", 'M'},
      {"bob", "pw", "", 'X'},
  };
  for (const auto& C : CASES) {
    cAccountsFile F = Parse(SHIPPED);
    std::string ERROR;
    EXPECT_FALSE(F.ADD(C.NAME, C.PASSWORD, {C.EMAIL, C.SEX, 0}, ERROR)) << C.NAME;
    EXPECT_FALSE(F.SETPASSWORD("alice", std::string(23, 'p'), ERROR));  // 41 characters
    EXPECT_EQ(F.TEXT(), SHIPPED) << C.NAME;
  }
  for (const std::string BAD : {"1;a;b;null;M;e;x9\n", "1;a;b;2026-02-30 10:00:00;M;e;0\n"}) {
    std::string ERROR;
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
    std::ifstream IN(ACCOUNTSFILE, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>());
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
