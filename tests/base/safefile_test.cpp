#include "base/safefile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fixtures.h"

namespace {
std::string ReadAll(const std::filesystem::path& P) {
  std::ifstream IN(P, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}
}  // namespace

TEST(SafeFile, ReplacesTheFileWholeAndLeavesNoTemporary) {
  testsupport::cTempDir DIR;
  const auto PATH = DIR.WRITE("p/a.plr", "old\r\n");
  const auto TMP = (DIR.PATH() / "p/a.plr.tmp").string();
  cBuffer B;
  B.WRITELN("#1");
  B.WRITELN("name:a");
  std::string ERROR;
  ASSERT_TRUE(SAVEFILEATOMIC(B, PATH, TMP, ERROR)) << ERROR;
  EXPECT_EQ(ReadAll(PATH), "#1\r\nname:a\r\n");
  EXPECT_FALSE(std::filesystem::exists(TMP));
}

TEST(SafeFile, AFailedSaveKeepsThePreviousFile) {
  testsupport::cTempDir DIR;
  const auto PATH = DIR.WRITE("p/a.plr", "old\r\n");
  // The temporary cannot be created where a directory stands in its way.
  std::filesystem::create_directories(DIR.PATH() / "p/a.plr.tmp/x");
  cBuffer B;
  B.WRITELN("new");
  std::string ERROR;
  EXPECT_FALSE(SAVEFILEATOMIC(B, PATH, (DIR.PATH() / "p/a.plr.tmp").string(), ERROR));
  EXPECT_NE(ERROR.find("a.plr.tmp"), std::string::npos) << ERROR;
  EXPECT_EQ(ReadAll(PATH), "old\r\n");
  EXPECT_FALSE(SAVEFILEATOMIC(B, (DIR.PATH() / "missing/b.plr").string(),
                              (DIR.PATH() / "missing/b.plr.tmp").string(), ERROR));
}

TEST(SafeFile, AReplacedFileKeepsThePermissionsOfTheOneBefore) {
  testsupport::cTempDir DIR;
  const auto PATH = DIR.WRITE("accounts.zrk", "old\n");
  std::filesystem::permissions(PATH, std::filesystem::perms(0640));
  std::string ERROR;
  ASSERT_TRUE(SAVETEXTATOMICKEEPING("new\n", PATH, PATH + ".tmp", 0600, ERROR)) << ERROR;
  EXPECT_EQ(ReadAll(PATH), "new\n");
  EXPECT_EQ(std::filesystem::status(PATH).permissions(), std::filesystem::perms(0640));
  const auto FRESH = (DIR.PATH() / "fresh.zrk").string();
  ASSERT_TRUE(SAVETEXTATOMICKEEPING("x\n", FRESH, FRESH + ".tmp", 0600, ERROR)) << ERROR;
  EXPECT_EQ(std::filesystem::status(FRESH).permissions(), std::filesystem::perms(0600));
}
