#include "base/buffer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fixtures.h"

namespace {

using Lines = std::vector<std::string>;

cBuffer Of(const Lines& L) {
  cBuffer B;
  for (const auto& S : L) {
    B.WRITELN(S);
  }
  B.REWIND();
  return B;
}

std::string ReadAll(const std::string& PATH) {
  std::ifstream IN(PATH, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(Buffer, ReadsStopAtTheEdgesWithoutMovingTheCursor) {
  cBuffer EMPTY;
  EXPECT_EQ(EMPTY.READLN(), "");
  EXPECT_EQ(EMPTY.PREVIOUS(), "");
  EXPECT_EQ(EMPTY.FIRST() + EMPTY.LAST(), "");
  EXPECT_EQ(EMPTY.GETCURRENT(), 0);

  cBuffer B = Of({"1", "2", "3", "4", "5", "6"});
  for (int I = 0; I < 4; ++I) {
    B.READLN();
  }
  ASSERT_EQ(B.READLN(), "5");
  EXPECT_EQ(B.PREVIOUS(), "5");
  EXPECT_EQ(B.READLN(), "5");
  EXPECT_EQ(B.READLN(), "6");
  EXPECT_EQ(B.READLN(), "");
  EXPECT_EQ(B.GETCURRENT(), 6);
  EXPECT_EQ(B.FIRST(), "1");
  EXPECT_EQ(B.GETCURRENT(), 1);
  EXPECT_EQ(B.LAST(), "6");
  EXPECT_TRUE(B.ISEOF());
}

TEST(Buffer, WritesInsertAtTheCursorAndDeletesKeepItInside) {
  cBuffer B;
  B.WRITELN("a");
  B.WRITELN("b");
  B.REWIND();
  B.WRITELN("c");
  EXPECT_EQ(B.LINES(), (Lines{"c", "a", "b"}));
  EXPECT_EQ(B.GETCURRENT(), 1);
  B.WRITELN("%s:%d %d%%", std::string("orc"), -3, 7u);
  EXPECT_EQ(B.LINES()[1], "orc:-3 7%");

  B.LAST();
  B.DELETE(B.READCOUNT() - 1);
  EXPECT_EQ(B.GETCURRENT(), B.READCOUNT());
  B.DELETE(99);
  B.DELETE(-1);
  EXPECT_EQ(B.LINES(), (Lines{"c", "orc:-3 7%", "a"}));
}

TEST(Buffer, ReadAfterTokenKeepsEverythingAfterTheFirstSeparator) {
  cBuffer B = Of({"caracts:att:5", "no separator", "a;b;c"});
  EXPECT_EQ(B.READAFTERTOKEN(), "att:5");
  EXPECT_EQ(B.READAFTERTOKEN(), "no separator");
  EXPECT_EQ(B.READAFTERTOKEN(';'), "b;c");
  EXPECT_EQ(B.READAFTERTOKEN(), "");
}

TEST(Buffer, DumpInsertsEveryLineAtTheCursor) {
  cBuffer FROM = Of({"1", "2", "3"});
  cBuffer TO = Of({"a", "b"});
  TO.READLN();
  TO.DUMP(FROM);
  EXPECT_EQ(TO.LINES(), (Lines{"a", "1", "2", "3", "b"}));
  EXPECT_EQ(TO.GETCURRENT(), 4);
  EXPECT_TRUE(FROM.ISEOF());
  // Dumped into itself, a buffer doubles once and stops.
  cBuffer SELF = Of({"x", "y"});
  SELF.LAST();
  SELF.DUMP(SELF);
  EXPECT_EQ(SELF.LINES(), (Lines{"x", "y", "x", "y"}));
}

TEST(Buffer, ALineLimitDropsTheFirstLinesAndTheCursorFollowsItsLine) {
  cBuffer B = Of({"a", "b", "c"});
  B.SETMAXLINES(3);
  B.READLN();
  B.WRITELN("x");  // a x b c -> x b c, cursor after x
  EXPECT_EQ(B.LINES(), (Lines{"x", "b", "c"}));
  EXPECT_EQ(B.GETCURRENT(), 1);
  B.WRITELN("y");  // x y b c -> y b c
  B.REWIND();
  B.WRITELN("z");  // z y b c -> y b c: the line written first goes at once
  EXPECT_EQ(B.LINES(), (Lines{"y", "b", "c"}));
  EXPECT_EQ(B.GETCURRENT(), 0);
  B.LAST();
  B.DUMP(B);  // y b c y b c, three lines at a time
  EXPECT_EQ(B.LINES(), (Lines{"y", "b", "c"}));
  EXPECT_TRUE(B.ISEOF());
}

TEST(Buffer, FilesLoadWithEitherLineEndAndSaveWithCrLf) {
  testsupport::cTempDir DIR;
  cBuffer B(DIR.WRITE("in.txt", "one\r\ntwo\n\nlast \xE9t\xE9"));
  EXPECT_EQ(B.LINES(), (Lines{"one", "two", "", "last \xE9t\xE9"}));
  EXPECT_EQ(B.GETCURRENT(), 0);

  const std::string OUT = (DIR.PATH() / "out.txt").string();
  ASSERT_TRUE(B.SAVETOFILE(OUT));
  EXPECT_EQ(ReadAll(OUT), "one\r\ntwo\r\n\r\nlast \xE9t\xE9\r\n");
  EXPECT_EQ(cBuffer(OUT).LINES(), B.LINES());
  ASSERT_TRUE(cBuffer().SAVETOFILE(OUT));
  EXPECT_EQ(ReadAll(OUT), "");
  EXPECT_FALSE(B.SAVETOFILE((DIR.PATH() / "no-such-dir" / "f").string()));
}

TEST(Buffer, AMissingFileNeverReadsOutsideItsLines) {
  cBuffer B("/nonexistent/royaumes/file.zrk");
  EXPECT_TRUE(B.LOADFAILED());
  EXPECT_EQ(B.GETCURRENT(), -1);
  EXPECT_EQ(B.PREVIOUS(), "");
  // A reader looping until the cursor meets the line count ends.
  int READS = 0;
  while (B.GETCURRENT() != B.READCOUNT() && READS < 10) {
    EXPECT_EQ(B.READLN(), "");
    ++READS;
  }
  EXPECT_EQ(READS, 1);
}
