// When a reply of the server is complete: one-line answers, framed blocks,
// two-block replies, the race menu and a new player's record.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reply.h"

namespace {

// The number of lines fed before the reader said complete; -1 if it never did.
template <typename READER>
int CompletesAfter(READER& R, const std::vector<std::string>& LINES) {
  for (std::size_t I = 0; I < LINES.size(); ++I) {
    if (R.FEED(LINES[I])) {
      return static_cast<int>(I) + 1;
    }
  }
  return -1;
}

}  // namespace

TEST(BenchReplyShape, KnownCommandsWhateverTheirCaseAndSpacing) {
  EXPECT_EQ(ENDBLOCKSOF("SERVER WHOAMI"), 0);
  EXPECT_EQ(ENDBLOCKSOF("  server   whoami "), 0);
  EXPECT_EQ(ENDBLOCKSOF("ADMIN SHUTDOWN"), 0);
  EXPECT_EQ(ENDBLOCKSOF("get game ressources"), 2);
  EXPECT_EQ(ENDBLOCKSOF("GET GAME GRID"), 1);
  EXPECT_EQ(ENDBLOCKSOF("TURN 0"), 1);
  EXPECT_EQ(ENDBLOCKSOF("GET RESSOURCES"), 1);
  EXPECT_EQ(ENDBLOCKSOF("SERVER"), 1);
  EXPECT_EQ(NORMALISECOMMAND("  get  game\tx "), "GET GAME\tX");
}

TEST(BenchReplyReader, OneLineAnswerEndsAtItsFirstLineWhateverItSays) {
  cReplyReader R(0);
  EXPECT_EQ(CompletesAfter(R, {"END RETURN-not", "more"}), 1);
  EXPECT_TRUE(R.COMPLETE());
}

TEST(BenchReplyReader, BlockEndsAtEndReturnOnly) {
  cReplyReader R(1);
  EXPECT_EQ(CompletesAfter(R, {"RETURN GAME RACES", "WIDTH:10", "HEIGHT:10", "END RETURN"}), 4);
  // Near misses of the end line do not end a block.
  cReplyReader NEAR(1);
  EXPECT_EQ(
      CompletesAfter(NEAR, {"TURN PASSED", "END RETURN ", "end return", "#INFO: END RETURN", ""}),
      -1);
}

TEST(BenchReplyReader, TwoBlockReplyNeedsBothEnds) {
  cReplyReader R(2);
  EXPECT_EQ(CompletesAfter(R, {"RETURN GAME RESSOURCES", "nbLines:1", "0:or", "END RETURN",
                               "RETURN PLAYER RESSOURCES", "10/0/0/0/0", "END RETURN"}),
            7);
}

TEST(BenchCountedReader, RaceMenu) {
  cCountedReader R;
  EXPECT_EQ(CompletesAfter(R, {"nbLines:3", "a", "b", "c", "extra"}), 4);
  cCountedReader EMPTY;
  EXPECT_EQ(CompletesAfter(EMPTY, {"nbLines:0"}), 1);
}

TEST(BenchCountedReader, MalformedCountIsAnErrorNotAWait) {
  for (const std::string BAD :
       {"nbLines:", "nbLines:-1", "nbLines:x", "Lines:3", "nbLines:9999999"}) {
    cCountedReader R;
    EXPECT_FALSE(R.FEED(BAD)) << BAD;
    EXPECT_FALSE(R.ERROR().empty()) << BAD;
    EXPECT_FALSE(R.FEED("a"));
  }
}

TEST(BenchRecordReader, NewPlayerRecordEndsAtTheEmptyLineAfterItsMap) {
  cRecordReader R;
  // Empty lines before the map belong to the record.
  EXPECT_EQ(CompletesAfter(R, {"#1", "name:b1", "", "[MAP]", "count:2", "1-3", "", ""}), 8);
  cRecordReader NOMAP;
  EXPECT_EQ(CompletesAfter(NOMAP, {"#1", "[MAP]", "count:0", ""}), 4);
}

TEST(BenchRecordReader, BrokenMapIsAnError) {
  cRecordReader BADCOUNT;
  EXPECT_EQ(CompletesAfter(BADCOUNT, {"#1", "[MAP]", "runs:2"}), -1);
  EXPECT_FALSE(BADCOUNT.ERROR().empty());
  cRecordReader NOEND;
  EXPECT_EQ(CompletesAfter(NOEND, {"#1", "[MAP]", "count:1", "1-3", "#2"}), -1);
  EXPECT_FALSE(NOEND.ERROR().empty());
}

TEST(BenchCount, DigitsAfterThePrefixOnly) {
  EXPECT_EQ(COUNTAFTER("count:12", "count:"), 12);
  EXPECT_EQ(COUNTAFTER("count:0", "count:"), 0);
  EXPECT_EQ(COUNTAFTER("count: 1", "count:"), -1);
  EXPECT_EQ(COUNTAFTER("count:1 ", "count:"), -1);
  EXPECT_EQ(COUNTAFTER("coun", "count:"), -1);
  EXPECT_EQ(COUNTAFTER("count:999999", "count:"), 999999);
  EXPECT_EQ(COUNTAFTER("count:1000000", "count:"), -1);
}
