#include "server/options.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(ServerOptions, BothValueFormsAreReadAndWhatWouldStartAnotherServerIsRefused) {
  std::string ERROR;
  EXPECT_TRUE(PARSESERVEROPTIONS({}, ERROR)) << ERROR;
  const auto O = PARSESERVEROPTIONS(
      {"--dir", "/srv/game", "--port=65535", "--idle-busy", "60", "--idle-quiet=3600", "--seed",
       "18446744073709551615", "--max-clients=1000000", "--version"},
      ERROR);
  ASSERT_TRUE(O) << ERROR;
  EXPECT_EQ(std::make_tuple(O->DIR, int{O->PORT}, O->IDLEBUSYMS, O->IDLEQUIETMS,
                            O->SEED.value_or(0), O->MAXCLIENTS, O->VERSION),
            std::make_tuple(std::string("/srv/game"), 65535, 60000u, 3600000u,
                            18446744073709551615ull, 1000000, true));
  EXPECT_TRUE(PARSESERVEROPTIONS({"-h"}, ERROR)->HELP);

  // The arguments of each command line, separated by '|'.
  for (const std::string LINE :
       {"--port|0", "--port|65536", "--port|90x", "--port|-1", "--port", "--port=", "--idle-busy|0",
        "--idle-quiet|3601", "--idle-busy|1.5", "--seed|-3", "--seed|", "--dir|", "--max-clients|0",
        "--max-clients|1000001", "--max-clients|2k", "--verbose", "9090", "--port|9090|extra"}) {
    std::vector<std::string> ARGS{""};
    for (const char C : LINE) {
      if (C == '|') {
        ARGS.emplace_back();
      } else {
        ARGS.back() += C;
      }
    }
    ERROR.clear();
    EXPECT_FALSE(PARSESERVEROPTIONS(ARGS, ERROR)) << LINE;
    EXPECT_FALSE(ERROR.empty()) << LINE;
  }
}
