// The server's command line: the defaults are the server without options,
// both value forms are read, and every value out of its range is refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/options.h"

TEST(ServerOptions, NoArgumentsKeepTheServersOwnDefaults) {
  std::string ERROR;
  const auto O = PARSESERVEROPTIONS({}, ERROR);
  ASSERT_TRUE(O) << ERROR;
  EXPECT_EQ(O->DIR, ".");
  EXPECT_EQ(O->PORT, 9090);
  EXPECT_EQ(O->IDLEBUSYMS, 5000u);
  EXPECT_EQ(O->IDLEQUIETMS, 20000u);
  EXPECT_FALSE(O->SEED);
  EXPECT_FALSE(O->HELP || O->VERSION);
}

TEST(ServerOptions, SeparateAndJoinedValues) {
  std::string ERROR;
  const auto O =
      PARSESERVEROPTIONS({"--dir", "/srv/game", "--port=65535", "--idle-busy", "60",
                          "--idle-quiet=3600", "--seed", "18446744073709551615", "--version"},
                         ERROR);
  ASSERT_TRUE(O) << ERROR;
  EXPECT_EQ(O->DIR, "/srv/game");
  EXPECT_EQ(O->PORT, 65535);
  EXPECT_EQ(O->IDLEBUSYMS, 60000u);
  EXPECT_EQ(O->IDLEQUIETMS, 3600000u);
  EXPECT_EQ(O->SEED, 18446744073709551615ull);
  EXPECT_TRUE(O->VERSION);
  EXPECT_TRUE(PARSESERVEROPTIONS({"-h"}, ERROR)->HELP);
}

TEST(ServerOptions, RefusesWhatWouldStartAServerOtherThanAsked) {
  const std::vector<std::vector<std::string>> BAD{
      {"--port", "0"},
      {"--port", "65536"},
      {"--port", "90x"},
      {"--port", "-1"},
      {"--port"},
      {"--port="},
      {"--idle-busy", "0"},
      {"--idle-quiet", "3601"},
      {"--idle-busy", "1.5"},
      {"--seed", "-3"},
      {"--seed", ""},
      {"--dir", ""},
      {"--verbose"},
      {"9090"},
      {"--port", "9090", "extra"},
  };
  for (const auto& ARGS : BAD) {
    std::string ERROR;
    EXPECT_FALSE(PARSESERVEROPTIONS(ARGS, ERROR)) << ARGS[0];
    EXPECT_FALSE(ERROR.empty()) << ARGS[0];
  }
}
