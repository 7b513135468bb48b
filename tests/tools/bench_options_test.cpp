// The load client's command line: defaults, both option forms, the mix
// syntax, and refusals of values that would make a run meaningless or endless.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"

namespace {

tOptions Defaults() {
  tOptions D;
  D.SERVERCMD = {"build/royaumes-server"};
  D.GAMEDIR = "game";
  return D;
}

std::optional<tOptions> Parse(const std::vector<std::string>& ARGS, std::string* WHY = nullptr) {
  std::string ERROR;
  auto O = PARSEOPTIONS(ARGS, Defaults(), ERROR);
  if (WHY != nullptr) {
    *WHY = ERROR;
  }
  return O;
}

}  // namespace

TEST(BenchOptions, DefaultsMeasureOneTenAndAHundredClients) {
  const auto O = Parse({});
  ASSERT_TRUE(O);
  EXPECT_EQ(O->CLIENTS, (std::vector<int>{1, 10, 100}));
  EXPECT_EQ(O->COMMANDS, 200);
  EXPECT_EQ(O->PIPELINE, 1);
  EXPECT_EQ(O->ATONCE, 100);
  EXPECT_EQ(O->BURST, 2000);
  EXPECT_EQ(O->BURSTWAITS, 30);
  EXPECT_EQ(O->SAVEWAITS, 30);
  EXPECT_EQ(
      O->MIX,
      (std::vector<tMixEntry>{
          {"SERVER WHOAMI", 0}, {"GET GAME GRID", 1}, {"TURN 0", 1}, {"GET GAME RESSOURCES", 2}}));
}

TEST(BenchOptions, SeparateAndJoinedValues) {
  const auto O = Parse({"--clients", "5, 50", "--commands=30", "--pipeline", "8", "--server-cmd",
                        "/opt/other/server --port-ignored", "--game=/tmp/g", "--timeout", "2000",
                        "--by-command", "--at-once", "0", "--burst=50", "--burst-wait", "5",
                        "--save-wait=120"});
  ASSERT_TRUE(O);
  EXPECT_EQ(O->CLIENTS, (std::vector<int>{5, 50}));
  EXPECT_EQ(O->COMMANDS, 30);
  EXPECT_EQ(O->PIPELINE, 8);
  EXPECT_EQ(O->SERVERCMD, (std::vector<std::string>{"/opt/other/server", "--port-ignored"}));
  EXPECT_EQ(O->GAMEDIR, "/tmp/g");
  EXPECT_EQ(O->REPLYTIMEOUTMS, 2000);
  EXPECT_TRUE(O->BYCOMMAND);
  EXPECT_EQ(O->ATONCE, 0);
  EXPECT_EQ(O->BURST, 50);
  EXPECT_EQ(O->BURSTWAITS, 5);
  EXPECT_EQ(O->SAVEWAITS, 120);
}

TEST(BenchOptions, MixWithKnownAndDeclaredReplyShapes) {
  const auto O = Parse({"--mix", " get game ressources ; HELP ; GET LOG=1; X=0 "});
  ASSERT_TRUE(O);
  EXPECT_EQ(O->MIX, (std::vector<tMixEntry>{
                        {"get game ressources", 2}, {"HELP", 1}, {"GET LOG", 1}, {"X", 0}}));
  // A comma belongs to the command: squares are written "3,4".
  const auto SQUARE = Parse({"--mix=GET SQUARE 3,4"});
  ASSERT_TRUE(SQUARE);
  EXPECT_EQ(SQUARE->MIX, (std::vector<tMixEntry>{{"GET SQUARE 3,4", 1}}));
}

TEST(BenchOptions, RefusedMixes) {
  for (const std::string BAD :
       {"", ";", "SERVER WHOAMI;", "HELP=", "HELP=x", "HELP=10", "=1", "server  quit"}) {
    std::string WHY;
    EXPECT_FALSE(Parse({"--mix", BAD}, &WHY)) << BAD;
    EXPECT_FALSE(WHY.empty()) << BAD;
  }
}

TEST(BenchOptions, RefusedNumbersAndBounds) {
  const std::vector<std::vector<std::string>> BAD{
      {"--clients", "0"},      {"--clients", "501"},   {"--clients", "1,,2"},
      {"--clients", "10x"},    {"--clients", ""},      {"--commands", "0"},
      {"--commands", "-5"},    {"--commands", "1e3"},  {"--pipeline", "65"},
      {"--pipeline", "0"},     {"--timeout", "99"},    {"--clients", "99999999999999"},
      {"--server-cmd", "   "}, {"--game", ""},         {"--at-once", "501"},
      {"--at-once", "-1"},     {"--burst", "20001"},   {"--burst", "1k"},
      {"--burst-wait", "0"},   {"--save-wait", "3601"}};
  for (const auto& ARGS : BAD) {
    std::string WHY;
    EXPECT_FALSE(Parse(ARGS, &WHY)) << ARGS[0] << " " << ARGS[1];
    EXPECT_FALSE(WHY.empty());
  }
  EXPECT_TRUE(Parse({"--clients", "500", "--pipeline", "64", "--commands", "1", "--at-once", "500",
                     "--burst", "20000", "--burst-wait", "3600", "--save-wait", "1"}));
}

TEST(BenchOptions, UnknownOrValuelessOptions) {
  std::string WHY;
  EXPECT_FALSE(Parse({"--client", "3"}, &WHY));
  EXPECT_NE(WHY.find("--client"), std::string::npos);
  EXPECT_FALSE(Parse({"--commands"}, &WHY));
  EXPECT_NE(WHY.find("needs a value"), std::string::npos);
  EXPECT_FALSE(Parse({"extra"}));
  const auto HELP = Parse({"--help"});
  ASSERT_TRUE(HELP);
  EXPECT_TRUE(HELP->HELP);
}
