#include "base/savewriter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/safefile.h"
#include "support/fixtures.h"

namespace fs = std::filesystem;

TEST(SaveWriter, EachFileIsSyncedRenamedThenItsDirectorySyncedBeforeItsOutcome) {
  testsupport::cTempDir DIR;
  const std::string HERE = fs::canonical(DIR.PATH()).string();
  const testsupport::cWatchedSaveCalls WATCHED;
  std::vector<std::string>& SEEN = WATCHED.CALLS;
  std::vector<cSaveWriter::tDone> DONE;
  for (const bool FAIL : {false, true}) {
    SEEN.clear();
    WATCHED.FAILDIRECTORIES = FAIL;
    cSaveWriter W;
    std::vector<cSaveWriter::tFile> FILES;
    for (const char* NAME : {"a", "b", "c"}) {
      const std::string PATH = HERE + "/" + NAME + ".plr";
      FILES.push_back({std::string(NAME) + (FAIL ? "2" : "1"), PATH, PATH + ".tmp",
                       static_cast<uint64_t>(NAME[0])});
    }
    W.PUT(std::move(FILES));
    W.WAIT();
    // Given together, the three share one flush of their directory.
    EXPECT_EQ(std::count(SEEN.begin(), SEEN.end(), "fsync " + HERE), 1);
    DONE = W.TAKEDONE();
    EXPECT_FALSE(W.BUSY());
    ASSERT_EQ(DONE.size(), 3u);
    for (std::size_t I = 0; I < 3; ++I) {
      const std::string NAME(1, static_cast<char>(DONE[I].TAG));
      EXPECT_EQ(NAME, std::string(1, static_cast<char>('a' + I)));
      // Renamed whatever the directory does: the file holds the new text.
      EXPECT_EQ(testsupport::READFILE(HERE + "/" + NAME + ".plr"), NAME + (FAIL ? "2" : "1"));
      EXPECT_EQ(DONE[I].OK, !FAIL);
      EXPECT_EQ(DONE[I].ERROR, FAIL ? HERE + ": " + std::strerror(EIO) : "");
      const auto AT = [&](const std::string& CALL) {
        return std::find(SEEN.begin(), SEEN.end(), CALL) - SEEN.begin();
      };
      const auto SYNCED = AT("fsync " + HERE + "/" + NAME + ".plr.tmp");
      const auto RENAMED =
          AT("rename " + HERE + "/" + NAME + ".plr.tmp " + HERE + "/" + NAME + ".plr");
      const auto DIRSYNC =
          std::find(SEEN.begin() + RENAMED, SEEN.end(), "fsync " + HERE) - SEEN.begin();
      EXPECT_LT(SYNCED, RENAMED) << NAME;
      EXPECT_LT(RENAMED, static_cast<long>(SEEN.size())) << NAME;
      EXPECT_LT(DIRSYNC, static_cast<long>(SEEN.size())) << NAME;
    }
  }
}
