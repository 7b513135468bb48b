#include "server/options.h"

#include <gtest/gtest.h>

TEST(ServerOptions, BothValueFormsAreReadOverTheDefaults) {
  std::string ERROR;
  const auto NONE = PARSESERVEROPTIONS({}, ERROR);
  ASSERT_TRUE(NONE) << ERROR;
  EXPECT_EQ(NONE->DIR, ".");
  EXPECT_EQ(NONE->PORT, 9090);
  EXPECT_EQ(NONE->IDLEBUSYMS, 5000u);
  EXPECT_EQ(NONE->IDLEQUIETMS, 20000u);
  EXPECT_FALSE(NONE->SEED || NONE->HELP || NONE->VERSION);
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
  for (const std::vector<std::string>& ARGS :
       std::vector<std::vector<std::string>>{{"--port", "0"},
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
                                             {"--port", "9090", "extra"}}) {
    std::string ERROR;
    EXPECT_FALSE(PARSESERVEROPTIONS(ARGS, ERROR)) << ARGS[0];
    EXPECT_FALSE(ERROR.empty()) << ARGS[0];
  }
}
