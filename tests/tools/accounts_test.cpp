// The account tool: the file's rules enforced on every change (40 characters
// a line, one name whatever its case, names that can be file names), the
// file's other lines kept, and a file never left half written.

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

const std::string SHIPPED =
    "; comment\r\n"
    "1;demo;demo;null;M;demo@local;0\r\n"
    "7;Alice;secret;2026-12-06 18:00:00;F;;3\r\n";

cAccountsFile Parse(const std::string& TEXT) {
  std::string ERROR;
  auto F = cAccountsFile::PARSE(TEXT, ERROR);
  EXPECT_TRUE(F) << ERROR;
  return F ? *F : cAccountsFile();
}

std::string ReadAll(const fs::path& P) {
  std::ifstream IN(P, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(AccountsFile, AddRefusesWhatTheServerWouldNotReadAsMeant) {
  struct tCase {
    std::string NAME, PASSWORD, EMAIL, WHY;
  };
  const std::vector<tCase> CASES{
      // 8;<name>;pw;null;M;;0 is 15 characters and the name: 26 make 41.
      {std::string(26, 'n'), "pw", "", "41 characters long"},
      {"x", "pw", std::string(25, 'e'), "41 characters long"},
      {"ALICE", "pw", "", "'Alice' exists already (line 3)"},
      {"DeMo", "pw", "", "exists already"},
      {"", "pw", "", "cannot be an account name"},
      {"a/b", "pw", "", "cannot be an account name"},
      {"a\\b", "pw", "", "cannot be an account name"},
      {"..", "pw", "", "cannot be an account name"},
      {"a;b", "pw", "", "cannot be an account name"},
      {" lead", "pw", "", "cannot be an account name"},
      {"tab\t", "pw", "", "cannot be an account name"},
      {"bob", "", "", "cannot be empty"},
      {"bob", "a;b", "", "cannot hold ';'"},
      {"bob", "a\x7f", "", "cannot hold ';'"},
      {"bob", "pw", "a;b", "e-mail"},
  };
  for (const auto& C : CASES) {
    cAccountsFile F = Parse(SHIPPED);
    std::string ERROR;
    EXPECT_FALSE(F.ADD(C.NAME, C.PASSWORD, {C.EMAIL, 'M', 0}, ERROR)) << C.NAME;
    EXPECT_NE(ERROR.find(C.WHY), std::string::npos) << C.NAME << ": " << ERROR;
    EXPECT_EQ(F.TEXT(), SHIPPED) << C.NAME;
  }
}

TEST(AccountsFile, AddAppendsALineOfAtMostFortyCharactersWithTheNextUid) {
  cAccountsFile F = Parse(SHIPPED + "\r\n");
  std::string ERROR;
  // Exactly 40 characters: 8;<24 n>;pw;null;F;;12
  ASSERT_TRUE(F.ADD(std::string(24, 'n'), "pw", {"", 'F', 12}, ERROR)) << ERROR;
  EXPECT_EQ(F.TEXT(), SHIPPED + "8;" + std::string(24, 'n') + ";pw;null;F;;12\r\n\r\n");
  // The server's reader finds the account with its password.
  cBuffer B;
  cListeAccounts SERVERSIDE("");
  std::istringstream LINES(F.TEXT());
  for (std::string L; std::getline(LINES, L);) {
    B.WRITELN(L.substr(0, L.size() - 1));
  }
  SERVERSIDE.LOADACCOUNTS(B);
  const cAccount* A = SERVERSIDE.FIND(std::string(24, 'N'));
  ASSERT_NE(A, nullptr);
  EXPECT_EQ(A->PASSWD, "pw");
  EXPECT_EQ(A->LEVEL, 12);
  EXPECT_EQ(A->SEX, Female);
  // An empty file gets uid 1, LF line ends.
  cAccountsFile EMPTY = Parse("");
  ASSERT_TRUE(EMPTY.ADD("first", "secret", {}, ERROR)) << ERROR;
  EXPECT_EQ(EMPTY.TEXT(), "1;first;secret;null;M;;0\n");
}

TEST(AccountsFile, PasswordAndRemovalFindTheAccountInAnyCaseAndKeepTheOtherLines) {
  cAccountsFile F = Parse(SHIPPED);
  std::string ERROR;
  ASSERT_TRUE(F.SETPASSWORD("alice", "neuf", ERROR)) << ERROR;
  EXPECT_EQ(F.TEXT(),
            "; comment\r\n1;demo;demo;null;M;demo@local;0\r\n"
            "7;Alice;neuf;2026-12-06 18:00:00;F;;3\r\n");
  // 7;Alice;<p>;2026-12-06 18:00:00;F;;3 is 33 characters and the password.
  EXPECT_FALSE(F.SETPASSWORD("ALICE", "12345678", ERROR));
  EXPECT_NE(ERROR.find("41 characters long"), std::string::npos) << ERROR;
  EXPECT_FALSE(F.SETPASSWORD("carol", "x", ERROR));
  EXPECT_FALSE(F.REMOVE("carol", ERROR));
  EXPECT_NE(ERROR.find("no account is named 'carol'"), std::string::npos);
  ASSERT_TRUE(F.REMOVE("DEMO", ERROR)) << ERROR;
  EXPECT_EQ(F.TEXT(), "; comment\r\n7;Alice;neuf;2026-12-06 18:00:00;F;;3\r\n");
}

TEST(AccountsFile, AFileTheServerCouldNotReadIsRefusedAndLinesItReadsOtherwiseAreFlagged) {
  std::string ERROR;
  for (const std::string BAD : {"1;a;b;null;M;e;x9\n", "x;a;b;null;M;e;0\n",
                                "1;a;b;yesterday;M;e;0\n", "1;a;b;2026-02-30 10:00:00;M;e;0\n"}) {
    EXPECT_FALSE(cAccountsFile::PARSE("; ok\n" + BAD, ERROR)) << BAD;
    EXPECT_EQ(ERROR.rfind("line 2: ", 0), 0u) << ERROR;
  }
  // 41 characters: the server reads the level as "1" rather than "12".
  const cAccountsFile F =
      Parse("1;a;b;null;M;" + std::string(25, 'e') + ";12\n2;x/y;b;null;M;;0\n");
  ASSERT_EQ(F.ACCOUNTS().size(), 2u);
  EXPECT_EQ(F.ACCOUNTS()[0].LEVEL, 1);
  EXPECT_NE(F.ACCOUNTS()[0].WARNING.find("longer than 40"), std::string::npos);
  EXPECT_NE(F.ACCOUNTS()[1].WARNING.find("refuses this account"), std::string::npos);
}

TEST(AccountsTool, ChangesReplaceTheFileWholeOrLeaveItAsItWas) {
  const fs::path DIR =
      fs::temp_directory_path() / ("royaumes_accounts_" + std::to_string(::getpid()));
  fs::remove_all(DIR);
  fs::create_directories(DIR / "players");
  const fs::path ACCOUNTSFILE = DIR / "players" / "accounts.zrk";
  std::ofstream(ACCOUNTSFILE, std::ios::binary) << SHIPPED;
  const fs::path OUT = DIR / "out.txt";
  const auto RUN = [&](const std::string& ARGS) {
    const int S = std::system((std::string(ROYAUMES_ACCOUNTS_BIN) + " --dir " + DIR.string() + " " +
                               ARGS + " >" + OUT.string() + " 2>&1")
                                  .c_str());
    return WIFEXITED(S) ? WEXITSTATUS(S) : -1;
  };

  ASSERT_EQ(RUN("add carol"), 0) << ReadAll(OUT);
  const std::string SAID = ReadAll(OUT);
  const auto AT = SAID.find("password: ");
  ASSERT_NE(AT, std::string::npos) << SAID;
  const std::string PASSWORD = SAID.substr(AT + 10, SAID.find('\n', AT) - AT - 10);
  EXPECT_EQ(PASSWORD.size(), 10u);
  EXPECT_EQ(ReadAll(ACCOUNTSFILE), SHIPPED + "8;carol;" + PASSWORD + ";null;M;;0\r\n");
  EXPECT_NE(SAID.find("restart it"), std::string::npos);

  // Refused: the file stays byte for byte, no temporary is left.
  const std::string BEFORE = ReadAll(ACCOUNTSFILE);
  EXPECT_EQ(RUN("add CAROL pw"), 1);
  EXPECT_NE(ReadAll(OUT).find("exists already"), std::string::npos) << ReadAll(OUT);
  EXPECT_EQ(RUN("passwd carol " + std::string(40, 'p')), 1);
  EXPECT_EQ(RUN("frobnicate"), 2);
  EXPECT_EQ(ReadAll(ACCOUNTSFILE), BEFORE);
  // A write that fails half way (the temporary cannot be made) changes nothing.
  fs::create_directories(DIR / "players" / "accounts.zrk.tmp" / "x");
  EXPECT_EQ(RUN("remove carol"), 1);
  EXPECT_NE(ReadAll(OUT).find("is unchanged"), std::string::npos) << ReadAll(OUT);
  EXPECT_EQ(ReadAll(ACCOUNTSFILE), BEFORE);
  fs::remove_all(DIR / "players" / "accounts.zrk.tmp");
  ASSERT_EQ(RUN("remove carol"), 0) << ReadAll(OUT);
  EXPECT_EQ(ReadAll(ACCOUNTSFILE), SHIPPED);
  EXPECT_FALSE(fs::exists(DIR / "players" / "accounts.zrk.tmp"));
  ASSERT_EQ(RUN("list"), 0);
  EXPECT_NE(ReadAll(OUT).find("Alice"), std::string::npos);
  EXPECT_EQ(ReadAll(OUT).find("merveille"), std::string::npos);
  fs::remove_all(DIR);
}
