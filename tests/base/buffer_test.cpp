#include "base/buffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/console.h"

namespace {

std::string TempPath(const std::string& NAME) {
  return (std::filesystem::temp_directory_path() /
          ("royaumes_" + std::to_string(::getpid()) + "_" + NAME))
      .string();
}

std::string ReadAll(const std::string& PATH) {
  std::ifstream IN(PATH, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(Buffer, ReadingAnEmptyBufferGivesEmptyTextAndKeepsTheCursor) {
  cBuffer B;
  EXPECT_EQ(B.READLN(), "");
  EXPECT_EQ(B.GETCURRENT(), 0);
  EXPECT_TRUE(B.ISEOF());
  EXPECT_EQ(B.PREVIOUS(), "");
  EXPECT_EQ(B.FIRST(), "");
  EXPECT_EQ(B.LAST(), "");
  EXPECT_EQ(B.GETCURRENT(), 0);
}

TEST(Buffer, WritingInsertsAtTheCursor) {
  cBuffer B;
  B.WRITELN("a");
  B.WRITELN("b");
  B.REWIND();
  B.WRITELN("c");
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(B.GETCURRENT(), 1);
  EXPECT_EQ(B.READLN(), "a");
}

TEST(Buffer, FormattedWriteFillsIntegersAndTexts) {
  cBuffer B;
  B.WRITELN("%s:%d", std::string("orc"), -3);
  B.WRITELN("nbLines:%d 100%%", 7u);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"orc:-3", "nbLines:7 100%"}));
}

TEST(Buffer, PreviousStepsBackOntoTheLineJustRead) {
  cBuffer B;
  for (int I = 1; I <= 6; ++I) {
    B.WRITELN("line%d", I);
  }
  B.REWIND();
  std::string L;
  for (int I = 0; I < 5; ++I) {
    L = B.READLN();
  }
  ASSERT_EQ(L, "line5");
  EXPECT_EQ(B.PREVIOUS(), "line5");
  EXPECT_EQ(B.READLN(), "line5");
  EXPECT_EQ(B.READLN(), "line6");
  EXPECT_TRUE(B.ISEOF());
  EXPECT_EQ(B.READLN(), "");
  EXPECT_EQ(B.GETCURRENT(), 6);
}

TEST(Buffer, FirstAndLastMoveTheCursorPastTheLineRead) {
  cBuffer B;
  B.WRITELN("x");
  B.WRITELN("y");
  B.WRITELN("z");
  EXPECT_EQ(B.FIRST(), "x");
  EXPECT_EQ(B.GETCURRENT(), 1);
  EXPECT_EQ(B.LAST(), "z");
  EXPECT_TRUE(B.ISEOF());
}

TEST(Buffer, ReadAfterTokenKeepsEverythingAfterTheFirstSeparator) {
  cBuffer B;
  B.WRITELN("caracts:att:5");
  B.WRITELN("no separator");
  B.WRITELN("a;b;c");
  B.REWIND();
  EXPECT_EQ(B.READAFTERTOKEN(), "att:5");
  EXPECT_EQ(B.READAFTERTOKEN(), "no separator");
  EXPECT_EQ(B.READAFTERTOKEN(';'), "b;c");
  EXPECT_EQ(B.READAFTERTOKEN(), "");
}

TEST(Buffer, DeleteKeepsTheCursorWithinTheLines) {
  cBuffer B;
  B.WRITELN("a");
  B.WRITELN("b");
  B.WRITELN("c");
  ASSERT_TRUE(B.ISEOF());
  B.DELETE(2);
  EXPECT_EQ(B.READCOUNT(), 2);
  EXPECT_EQ(B.GETCURRENT(), 2);
  EXPECT_TRUE(B.ISEOF());
  B.REWIND();
  B.DELETE(0);
  EXPECT_EQ(B.GETCURRENT(), 0);
  EXPECT_EQ(B.READLN(), "b");
  B.DELETE(5);
  B.DELETE(-1);
  EXPECT_EQ(B.READCOUNT(), 1);
}

TEST(Buffer, DumpInsertsAllLinesAtTheCursor) {
  cBuffer FROM;
  FROM.WRITELN("1");
  FROM.WRITELN("2");
  FROM.WRITELN("3");
  FROM.REWIND();
  cBuffer TO;
  TO.WRITELN("a");
  TO.WRITELN("b");
  TO.REWIND();
  TO.READLN();
  TO.DUMP(FROM);
  EXPECT_EQ(TO.LINES(), (std::vector<std::string>{"a", "1", "2", "3", "b"}));
  EXPECT_EQ(TO.GETCURRENT(), 4);
  EXPECT_TRUE(FROM.ISEOF());
  EXPECT_EQ(FROM.READCOUNT(), 3);
}

TEST(Buffer, DumpIntoItselfEnds) {
  cBuffer B;
  B.WRITELN("x");
  B.WRITELN("y");
  B.DUMP(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"x", "y", "x", "y"}));
}

TEST(Buffer, LoadsFilesWithEitherLineEnd) {
  const auto PATH = TempPath("load.txt");
  {
    std::ofstream OUT(PATH, std::ios::binary);
    OUT << "one\r\ntwo\n\nlast \xE9t\xE9";
  }
  cBuffer B(PATH);
  std::remove(PATH.c_str());
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"one", "two", "", "last \xE9t\xE9"}));
  EXPECT_EQ(B.GETCURRENT(), 0);
  EXPECT_FALSE(B.LOADFAILED());
  EXPECT_EQ(B.FILENAME(), PATH);
}

TEST(Buffer, AMissingFileNeverReadsOutsideItsLines) {
  cBuffer B(TempPath("does-not-exist.zrk"));
  EXPECT_TRUE(B.LOADFAILED());
  EXPECT_EQ(B.GETCURRENT(), -1);
  EXPECT_EQ(B.READCOUNT(), 0);
  EXPECT_FALSE(B.ISEOF());
  EXPECT_EQ(B.PREVIOUS(), "");
  // A reader looping until the cursor meets the line count must end.
  int READS = 0;
  while (B.GETCURRENT() != B.READCOUNT() && READS < 10) {
    EXPECT_EQ(B.READLN(), "");
    ++READS;
  }
  EXPECT_EQ(READS, 1);
}

TEST(Buffer, SavesLinesWithCrLfAndEmptyBuffersAsEmptyFiles) {
  const auto PATH = TempPath("save.txt");
  cBuffer B;
  B.WRITELN("a");
  B.WRITELN("");
  B.WRITELN("b");
  B.REWIND();
  ASSERT_TRUE(B.SAVETOFILE(PATH));
  EXPECT_EQ(ReadAll(PATH), "a\r\n\r\nb\r\n");
  EXPECT_EQ(B.GETCURRENT(), 0);
  cBuffer RELOADED(PATH);
  EXPECT_EQ(RELOADED.LINES(), B.LINES());

  cBuffer EMPTY;
  ASSERT_TRUE(EMPTY.SAVETOFILE(PATH));
  EXPECT_TRUE(std::filesystem::exists(PATH));
  EXPECT_EQ(std::filesystem::file_size(PATH), 0u);
  std::remove(PATH.c_str());

  EXPECT_FALSE(B.SAVETOFILE(TempPath("no-such-dir") + "/file.txt"));
}

TEST(Buffer, DisplayWritesToTheConsoleAndEmpties) {
  cConsoleCapture CAPTURE;
  cBuffer B;
  B.WRITELN("first");
  B.WRITELN("second");
  B.DISPLAY();
  EXPECT_EQ(CAPTURE.LINES(), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(B.READCOUNT(), 0);
  EXPECT_EQ(B.GETCURRENT(), 0);
}

TEST(BufferMobile, DropsLinesAboveItsLevel) {
  cBufferMobile B(2);
  B.WRITELN(0, "zero");
  B.WRITELN(1, "one");
  B.WRITELN(2, "two");
  B.WRITELN(3, "three");
  B.WRITELN(1, "n=%d", 4);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"zero", "one", "two", "n=4"}));

  cBufferMobile ALL;
  EXPECT_EQ(ALL.GETLEVEL(), -1);
  ALL.WRITELN(1000, "kept");
  ALL.SETLEVEL(0);
  ALL.WRITELN(1, "dropped");
  EXPECT_EQ(ALL.LINES(), (std::vector<std::string>{"kept"}));
}
