#include "protocol/session.h"

#include <gtest/gtest.h>

#include <tuple>

#include "entities/account.h"
#include "support/fixtures.h"

using testsupport::cScopedGlobal;
using Lines = std::vector<std::string>;

TEST(Framing, CarriageReturnEndsALineLineFeedsAreDroppedAndOverLongLinesDiscarded) {
  const std::string FULL(256, 'x');
  const std::string RAW("a\x01\t\xE9\0z ", 7);
  // The pieces received, the lines framed, the over-long lines discarded.
  const std::tuple<std::vector<std::string>, Lines, int32_t> CASES[] = {
      {{"GET HELP\r\n"}, {"GET HELP"}, 0},
      {{"A\nB\r"}, {"AB"}, 0},
      {{"AB\n\r"}, {"AB"}, 0},
      {{"\nA\n\nB\n", "\r"}, {"AB"}, 0},
      {{"on", "e\r", "\ntw", "o\r", "partial"}, {"one", "two"}, 0},
      {{"\r\r\n\r\n\r"}, {}, 0},
      {{"\r\nA\r\r\nB\r"}, {"A", "B"}, 0},
      {{RAW + "\r", " lower Case \r"}, {RAW, " lower Case "}, 0},
      {{FULL + "\r"}, {FULL}, 0},
      {{FULL + "y\rnext\r"}, {"next"}, 1},
      // The discarding goes on across pieces and ends only at the carriage return.
      {{std::string(300, 'a'), std::string(5000, 'b'), "\n", "c\rd\r"}, {"d"}, 1},
      {{std::string(257, 'a') + "\r" + std::string(400, 'b') + "\rok\r"}, {"ok"}, 2},
  };
  for (const auto& [PIECES, LINES, DISCARDED] : CASES) {
    cLineAssembler A;
    int32_t GONE = 0;
    for (const auto& P : PIECES) {
      GONE += A.FEED(P.data(), P.size());
    }
    Lines GOT;
    while (A.HASLINE()) {
      GOT.push_back(A.NEXTLINE());
    }
    EXPECT_EQ(GOT, LINES) << PIECES[0];
    EXPECT_EQ(GONE, DISCARDED) << PIECES[0];
  }
}

TEST(Session, LogonFindsTheAccountWhateverTheCaseWithinFortyCharacters) {
  cScopedGlobal<cListeAccounts> ACCOUNTS(JEUACCOUNTS, std::make_unique<cListeAccounts>(""));
  cBuffer B = testsupport::BUFFEROF({"1;Alice;pw;null;F;e;0"});
  ACCOUNTS->LOADACCOUNTS(B);
  auto LONG = std::make_unique<cAccount>();
  LONG->FNAME = std::string(40, 'k');
  ACCOUNTS->ADD(std::move(LONG));
  cSession C;
  EXPECT_TRUE(C.LOGON("ALICE"));
  EXPECT_EQ(C.GETNAME(), "Alice");
  EXPECT_FALSE(C.LOGON("bob"));
  EXPECT_EQ(C.GETNAME(), "");
  EXPECT_FALSE(C.LOGON(""));
  // A typed name is cut to 40 characters before the search.
  EXPECT_TRUE(C.LOGON(std::string(40, 'k') + "extra"));
  EXPECT_FALSE(C.LOGON(std::string(39, 'k')));
  cScopedGlobal<cListeAccounts> NONE(JEUACCOUNTS, nullptr);
  EXPECT_FALSE(C.LOGON("alice"));
}

TEST(Session, LinesAreTakenOneAtATimeNoneWhileHeldAndRepliesLeaveAsConsumed) {
  cSession C;
  cBuffer B;
  C.SENDBUFFER(B);
  B.WRITELN("RETURN X");
  B.WRITELN("END RETURN");
  C.SEND("");
  C.SENDBUFFER(B);
  C.CONSUMEOUTPUT(12);
  EXPECT_EQ(C.OUTPUT(), "END RETURN\r\n");
  const std::string T = "a\rb\r";
  C.RECEIVEBYTES(T.data(), T.size());
  ASSERT_TRUE(C.TAKELINE(100));
  EXPECT_EQ(C.FCOMMAND, "a");
  EXPECT_EQ(C.LINETICK(), 100u);
  EXPECT_EQ(C.WAITINGLINES(), 1u);
  // Ticks wrap round after 49 days: a hold across the wrap still holds.
  C.HOLDUNTIL(10);
  EXPECT_FALSE(C.TAKELINE(0xFFFFFFF0u));
  EXPECT_TRUE(C.TAKELINE(10));
  EXPECT_EQ(C.FCOMMAND, "b");
  EXPECT_FALSE(C.TAKELINE(11));
}
