#include "protocol/session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "entities/account.h"
#include "support/fixtures.h"

using testsupport::cScopedGlobal;

namespace {

// Frames TEXT (possibly in several pieces) and returns the complete lines.
std::vector<std::string> Frame(const std::vector<std::string>& PIECES,
                               int32_t* DISCARDED = nullptr) {
  cLineAssembler A;
  int32_t D = 0;
  for (const auto& P : PIECES) {
    D += A.FEED(P.data(), P.size());
  }
  if (DISCARDED != nullptr) {
    *DISCARDED = D;
  }
  std::vector<std::string> LINES;
  while (A.HASLINE()) {
    LINES.push_back(A.NEXTLINE());
  }
  return LINES;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(Framing, CarriageReturnEndsALineAndLineFeedsAreDroppedAnywhere) {
  EXPECT_EQ(Frame({"GET HELP\r\n"}), Lines{"GET HELP"});
  EXPECT_EQ(Frame({"A\nB\r"}), Lines{"AB"});
  EXPECT_EQ(Frame({"AB\n\r"}), Lines{"AB"});
  EXPECT_EQ(Frame({"\nA\n\nB\n"}), Lines{});
  EXPECT_EQ(Frame({"\nA\n\nB\n", "\r"}), Lines{"AB"});
}

TEST(Framing, LinesComeInArrivalOrderWhateverTheSegments) {
  EXPECT_EQ(Frame({"one\r\ntwo\r\nthree\r\n"}), (Lines{"one", "two", "three"}));
  EXPECT_EQ(Frame({"on", "e\r", "\ntw", "o\r"}), (Lines{"one", "two"}));
  EXPECT_EQ(Frame({"partial"}), Lines{});
}

TEST(Framing, EmptyLinesAreNeverKept) {
  EXPECT_EQ(Frame({"\r\r\n\r\n\r"}), Lines{});
  EXPECT_EQ(Frame({"\r\nA\r\r\nB\r"}), (Lines{"A", "B"}));
}

TEST(Framing, OtherBytesAreKeptUnchanged) {
  const std::string RAW("a\x01\t\xE9\0z ", 7);
  EXPECT_EQ(Frame({RAW + "\r"}), Lines{RAW});
  EXPECT_EQ(Frame({" lower Case \r"}), Lines{" lower Case "});
}

TEST(Framing, A256ByteLineIsKeptAndALongerOneIsDiscardedUpToItsCarriageReturn) {
  const std::string FULL(256, 'x');
  int32_t DISCARDED = -1;
  EXPECT_EQ(Frame({FULL + "\r"}, &DISCARDED), Lines{FULL});
  EXPECT_EQ(DISCARDED, 0);

  EXPECT_EQ(Frame({FULL + "y\rnext\r"}, &DISCARDED), Lines{"next"});
  EXPECT_EQ(DISCARDED, 1);

  // The discarding goes on across segments and ends only at the carriage return.
  EXPECT_EQ(Frame({std::string(300, 'a'), std::string(5000, 'b'), "\n", "c\rd\r"}, &DISCARDED),
            Lines{"d"});
  EXPECT_EQ(DISCARDED, 1);

  EXPECT_EQ(Frame({std::string(257, 'a') + "\r" + std::string(400, 'b') + "\rok\r"}, &DISCARDED),
            Lines{"ok"});
  EXPECT_EQ(DISCARDED, 2);
}

TEST(Session, ReceivedLinesBecomeTheCommandOneAtATime) {
  cSession C;
  const std::string T = "alice\r\nsecret\r\n";
  EXPECT_EQ(C.RECEIVEBYTES(T.data(), T.size()), 0);
  ASSERT_TRUE(C.TAKELINE(0));
  EXPECT_EQ(C.FCOMMAND, "alice");
  ASSERT_TRUE(C.TAKELINE(0));
  EXPECT_EQ(C.FCOMMAND, "secret");
  EXPECT_FALSE(C.TAKELINE(0));
}

TEST(Session, EveryLineSentEndsWithCarriageReturnLineFeed) {
  cSession C;
  C.SEND("Welcome");
  C.SEND("");
  EXPECT_EQ(C.OUTPUT(), "Welcome\r\n\r\n");
  C.CLEAROUTPUT();

  cBuffer B;
  C.SENDBUFFER(B);
  EXPECT_EQ(C.OUTPUT(), "");
  B.WRITELN("RETURN X");
  B.WRITELN("END RETURN");
  C.SENDBUFFER(B);
  EXPECT_EQ(C.OUTPUT(), "RETURN X\r\nEND RETURN\r\n");
  EXPECT_TRUE(B.ISEOF());
  EXPECT_EQ(B.READCOUNT(), 2);
  C.CONSUMEOUTPUT(10);
  EXPECT_EQ(C.OUTPUT(), "END RETURN\r\n");
}

TEST(Session, LogonFindsTheAccountWhateverTheCaseWithinFortyCharacters) {
  cScopedGlobal<cListeAccounts> ACCOUNTS(JEUACCOUNTS, std::make_unique<cListeAccounts>(""));
  cBuffer B;
  B.WRITELN("1;Alice;pw;null;F;e;0");
  ACCOUNTS->LOADACCOUNTS(B);
  auto LONG = std::make_unique<cAccount>();
  LONG->FUID = 2;
  LONG->FNAME = std::string(40, 'k');
  ACCOUNTS->ADD(std::move(LONG));

  cSession C;
  EXPECT_TRUE(C.LOGON("ALICE"));
  EXPECT_EQ(C.GETNAME(), "Alice");
  EXPECT_EQ(C.GETPASSWD(), "pw");
  EXPECT_FALSE(C.LOGON("bob"));
  EXPECT_EQ(C.FACCOUNT, nullptr);
  EXPECT_EQ(C.GETNAME(), "");
  EXPECT_FALSE(C.LOGON(""));
  // A typed name is cut to 40 characters before the search.
  EXPECT_TRUE(C.LOGON(std::string(40, 'k') + "extra"));
  EXPECT_FALSE(C.LOGON(std::string(39, 'k')));
}

TEST(Session, LogonWithoutAccountsFindsNothing) {
  cScopedGlobal<cListeAccounts> ACCOUNTS(JEUACCOUNTS, nullptr);
  cSession C;
  EXPECT_FALSE(C.LOGON("alice"));
}

TEST(Session, AHeldSessionTakesNoLineUntilItsTick) {
  cSession C;
  const std::string T = "a\rb\r";
  C.RECEIVEBYTES(T.data(), T.size());
  ASSERT_TRUE(C.TAKELINE(100));
  EXPECT_EQ(C.LINETICK(), 100u);
  C.HOLDUNTIL(350);
  EXPECT_FALSE(C.TAKELINE(349));
  EXPECT_EQ(C.WAITINGLINES(), 1u);
  EXPECT_TRUE(C.TAKELINE(350));
  EXPECT_EQ(C.FCOMMAND, "b");
  // Ticks wrap round after 49 days: a hold across the wrap still holds.
  C.RECEIVEBYTES(T.data(), T.size());
  C.HOLDUNTIL(10);
  EXPECT_FALSE(C.TAKELINE(0xFFFFFFF0u));
  EXPECT_TRUE(C.TAKELINE(10));
}
