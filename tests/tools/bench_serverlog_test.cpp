// The server's console as the load client reads it: the save pass report,
// strictly, and lines that arrive in pieces.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "serverlog.h"

namespace fs = std::filesystem;

TEST(BenchSavePass, ExactLineOnly) {
  EXPECT_EQ(PARSESAVEPASS("Save pass: 100 players written, longest pause 12345 us"),
            (tSavePass{100, 12345}));
  EXPECT_EQ(PARSESAVEPASS("Save pass: 0 players written, longest pause 0 us"), (tSavePass{0, 0}));
  EXPECT_EQ(PARSESAVEPASS("Save pass: 1 players written, longest pause 9223372036854775807 us"),
            (tSavePass{1, 9223372036854775807}));
  for (const std::string BAD : {
           "Save pass: 100 players written, longest pause 12345 us ",
           "Save pass: 100 players written, longest pause 12345",
           "Save pass: 100 players written, longest pause 12345 ms",
           " Save pass: 100 players written, longest pause 12345 us",
           "save pass: 100 players written, longest pause 12345 us",
           "Save pass: -1 players written, longest pause 12345 us",
           "Save pass: +1 players written, longest pause 12345 us",
           "Save pass:  1 players written, longest pause 12345 us",
           "Save pass: 1 players written, longest pause -5 us",
           "Save pass: x players written, longest pause 5 us",
           "Save pass: 1 players written, longest pause 9223372036854775808 us",
           "Save pass: 1 player written, longest pause 5 us",
           "Save pass:",
           "",
       }) {
    EXPECT_FALSE(PARSESAVEPASS(BAD)) << BAD;
  }
}

TEST(BenchConsoleFollower, StartsAtTheEndAndHoldsAHalfWrittenLine) {
  const fs::path LOG =
      fs::temp_directory_path() / ("bench-console-" + std::to_string(::getpid()) + ".log");
  const auto APPEND = [&](const std::string& TEXT) {
    std::ofstream(LOG, std::ios::app | std::ios::binary) << TEXT;
  };
  APPEND("before\n");
  cConsoleFollower F(LOG);
  EXPECT_TRUE(F.NEWLINES().empty());
  APPEND("Save pass: 3 pla");
  EXPECT_TRUE(F.NEWLINES().empty());
  APPEND("yers written, longest pause 7 us\r\n\nnext");
  EXPECT_EQ(F.NEWLINES(),
            (std::vector<std::string>{"Save pass: 3 players written, longest pause 7 us", ""}));
  APPEND("\n");
  EXPECT_EQ(F.NEWLINES(), (std::vector<std::string>{"next"}));
  fs::remove(LOG);
  // A console not written yet is no error: it has no lines.
  cConsoleFollower NONE(LOG);
  EXPECT_TRUE(NONE.NEWLINES().empty());
}
