#include "base/safefile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fixtures.h"

namespace fs = std::filesystem;
using testsupport::BUFFEROF;
using testsupport::READFILE;

TEST(SafeFile, ASaveReplacesTheFileWholeWithItsPermissionsOrKeepsThePreviousOne) {
  testsupport::cTempDir DIR;
  const auto PATH = DIR.WRITE("p/a.plr", "old\r\n");
  const auto TMP = PATH + ".tmp";
  std::string ERROR;
  // The temporary cannot be created where a directory stands in its way.
  fs::create_directories(TMP + "/x");
  EXPECT_FALSE(SAVEFILEATOMIC(BUFFEROF({"new"}), PATH, TMP, ERROR));
  EXPECT_NE(ERROR.find("a.plr.tmp"), std::string::npos) << ERROR;
  EXPECT_EQ(READFILE(PATH), "old\r\n");
  EXPECT_FALSE(SAVEFILEATOMIC(BUFFEROF({"new"}), (DIR.PATH() / "missing/b.plr").string(),
                              (DIR.PATH() / "missing/b.plr.tmp").string(), ERROR));
  fs::remove_all(TMP);
  ASSERT_TRUE(SAVEFILEATOMIC(BUFFEROF({"#1", "name:a"}), PATH, TMP, ERROR)) << ERROR;
  EXPECT_EQ(READFILE(PATH), "#1\r\nname:a\r\n");
  EXPECT_FALSE(fs::exists(TMP));
  fs::permissions(PATH, fs::perms(0640));
  ASSERT_TRUE(SAVETEXTATOMICKEEPING("new\n", PATH, TMP, 0600, ERROR)) << ERROR;
  EXPECT_EQ(READFILE(PATH), "new\n");
  EXPECT_EQ(fs::status(PATH).permissions(), fs::perms(0640));
  const auto FRESH = (DIR.PATH() / "fresh.zrk").string();
  ASSERT_TRUE(SAVETEXTATOMICKEEPING("x\n", FRESH, FRESH + ".tmp", 0600, ERROR)) << ERROR;
  EXPECT_EQ(fs::status(FRESH).permissions(), fs::perms(0600));
}

TEST(SafeFile, ASaveSyncsItsFileRenamesItThenSyncsItsDirectory) {
  testsupport::cTempDir DIR;
  const auto PATH = (DIR.PATH() / "a.plr").string();
  const testsupport::cWatchedSaveCalls WATCHED;
  std::string ERROR;
  ASSERT_TRUE(SAVETEXTATOMIC("x\r\n", PATH, PATH + ".tmp", ERROR)) << ERROR;
  const std::string HERE = fs::canonical(DIR.PATH()).string();
  EXPECT_EQ(WATCHED.CALLS,
            (std::vector<std::string>{"fsync " + HERE + "/a.plr.tmp",
                                      "rename " + PATH + ".tmp " + PATH, "fsync " + HERE}));
}
