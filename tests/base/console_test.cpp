#include "base/console.h"

#include <gtest/gtest.h>

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
