#include "base/buffer.h"

#include <gtest/gtest.h>

#include "support/fixtures.h"

using Lines = std::vector<std::string>;
using testsupport::BUFFEROF;

TEST(Buffer, ReadsStopAtTheEdgesAndWritesInsertAtTheCursor) {
  cBuffer EMPTY;
  EXPECT_EQ(EMPTY.READLN() + EMPTY.PREVIOUS(), "");
  EXPECT_EQ(EMPTY.GETCURRENT(), 0);

  cBuffer B = BUFFEROF({"1", "2", "3"});
  B.READLN();
  ASSERT_EQ(B.READLN(), "2");
  EXPECT_EQ(B.PREVIOUS(), "2");
  EXPECT_EQ(B.READLN(), "2");
  EXPECT_EQ(B.READLN(), "3");
  EXPECT_EQ(B.READLN(), "");
  EXPECT_EQ(B.GETCURRENT(), 3);
  B.REWIND();
  B.WRITELN("c");
  EXPECT_EQ(B.LINES(), (Lines{"c", "1", "2", "3"}));
  EXPECT_EQ(B.GETCURRENT(), 1);
  B.LAST();
  B.DELETE(B.READCOUNT() - 1);
  EXPECT_EQ(B.GETCURRENT(), B.READCOUNT()) << "kept inside";
  B.DELETE(99);
  B.DELETE(-1);
  EXPECT_EQ(B.LINES(), (Lines{"c", "1", "2"}));
  EXPECT_EQ(BUFFEROF({"no separator"}).READAFTERTOKEN(), "no separator");
  EXPECT_EQ(BUFFEROF({"a;b;c"}).READAFTERTOKEN(';'), "b;c");
}

TEST(Buffer, DumpInsertsEveryLineAtTheCursorAndALineLimitDropsTheFirstLines) {
  cBuffer FROM = BUFFEROF({"1", "2", "3"});
  cBuffer TO = BUFFEROF({"a", "b"});
  TO.READLN();
  TO.DUMP(FROM);
  EXPECT_EQ(TO.LINES(), (Lines{"a", "1", "2", "3", "b"}));
  EXPECT_EQ(TO.GETCURRENT(), 4);
  EXPECT_TRUE(FROM.ISEOF());
  cBuffer SELF = BUFFEROF({"x", "y"});
  SELF.LAST();
  SELF.DUMP(SELF);
  EXPECT_EQ(SELF.LINES(), (Lines{"x", "y", "x", "y"}));

  cBuffer B = BUFFEROF({"a", "b", "c"});
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
  EXPECT_EQ(testsupport::READFILE(OUT), "one\r\ntwo\r\n\r\nlast \xE9t\xE9\r\n");
  ASSERT_TRUE(cBuffer().SAVETOFILE(OUT));
  EXPECT_EQ(testsupport::READFILE(OUT), "");
  EXPECT_FALSE(B.SAVETOFILE((DIR.PATH() / "no-such-dir" / "f").string()));

  // A missing file: a reader looping until the cursor meets the line count ends.
  cBuffer NONE("/nonexistent/royaumes/file.zrk");
  EXPECT_TRUE(NONE.LOADFAILED());
  EXPECT_EQ(NONE.PREVIOUS(), "");
  EXPECT_NE(NONE.GETCURRENT(), NONE.READCOUNT());
  EXPECT_EQ(NONE.READLN(), "");
  EXPECT_EQ(NONE.GETCURRENT(), NONE.READCOUNT());
}
