#include "base/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>

TEST(Console, ControlBytesAreWrittenAsVisibleEscapesAndLatin1LettersStay) {
  const std::pair<std::string, std::string> CASES[] = {
      {"Server is listening", "Server is listening"},
      {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
      {"a\r\nb\tc", "a\\x0d\\x0ab\\x09c"},
      {std::string("nul\0end", 7), "nul\\x00end"},
      {"\x7f\x80\x9f", "\\x7f\\x80\\x9f"},
      {"d\xE9marrage \xE0 \xA0\xFF", "d\xE9marrage \xE0 \xA0\xFF"},
      // A backslash typed by a client cannot pass for an escape.
      {"\\x1b", "\\\\x1b"},
  };
  for (const auto& [LINE, SHOWN] : CASES) {
    EXPECT_EQ(CONSOLETEXT(LINE), SHOWN) << LINE;
    cConsoleCapture CAPTURE;
    CONSOLE(LINE);
    EXPECT_EQ(CAPTURE.LINES(), std::vector<std::string>{SHOWN});
  }
}

TEST(Console, BatchedLinesWaitForTheFlushThenGoOutInOrderInOneWrite) {
  std::array<int, 2> PIPE{};
  ASSERT_EQ(::pipe2(PIPE.data(), O_NONBLOCK), 0);
  const int SAVED = ::dup(STDOUT_FILENO);
  ::dup2(PIPE[1], STDOUT_FILENO);
  std::array<char, 256> GOT{};
  CONSOLEBATCH(true);
  CONSOLE("Client 1 GET ALL");
  CONSOLE("joueur:\x01");
  const ssize_t BEFORE = ::read(PIPE[0], GOT.data(), GOT.size());
  CONSOLEFLUSH();
  CONSOLEBATCH(false);
  const ssize_t AFTER = ::read(PIPE[0], GOT.data(), GOT.size());
  CONSOLE("unbatched");
  std::array<char, 64> LATER{};
  const ssize_t NOW = ::read(PIPE[0], LATER.data(), LATER.size());
  ::dup2(SAVED, STDOUT_FILENO);
  ::close(SAVED);
  ::close(PIPE[0]);
  ::close(PIPE[1]);
  EXPECT_EQ(BEFORE, -1);
  ASSERT_GT(AFTER, 0);
  EXPECT_EQ(std::string(GOT.data(), static_cast<std::size_t>(AFTER)),
            "Client 1 GET ALL\njoueur:\\x01\n");
  ASSERT_GT(NOW, 0);
  EXPECT_EQ(std::string(LATER.data(), static_cast<std::size_t>(NOW)), "unbatched\n");
}
