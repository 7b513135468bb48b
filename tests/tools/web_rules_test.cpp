// /rules.json: a small game's rules as the game's loaders read them, each
// building written out by hand, and the loader's own words for a bad file.

#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "../support/fixtures.h"
#include "rules.h"

namespace json = boost::json;

namespace {

// The first building needs the second, whose name is Latin-1.
const std::string BUILDINGS =
    "; two\n#0\nScierie\nrace:nobody\nbatNec:march\xE9\nturns:3\ncaracts:exploit:1-att:2\n"
    "ressNec:150/20/60/0/0\nressTerrain:0/2/0/0/0\nressJoueur:0/0/0/5/0\nressProd:0/1/0/0/0\n"
    "recruit:none\n#1\nmarch\xE9\nrace:Sylvains\nbatNec:none\nturns:1\ncaracts:none\n"
    "ressNec:7/0/0/0/0\nressTerrain:0/0/0/0/0\nressJoueur:60/0/0/0/0\nressProd:0/0/0/0/0\n"
    "recruit:golem\n";

}  // namespace

TEST(RulesJson, ASmallGameIsServedAsItsLoadersReadIt) {
  testsupport::cShippedGameDir G;
  G.DIR.WRITE("data/Batiments.zrk", BUILDINGS);
  std::string ERROR;
  const auto TEXT = RULESJSON(G.DIR.PATH().string(), ERROR);
  ASSERT_TRUE(TEXT) << ERROR;
  const json::value J = json::parse(*TEXT);
  // Costs are those charged: over 3 turns, 20 wood becomes 21; 1 turn keeps 7.
  const std::string E = "\xC3\xA9";
  const std::string NONE = R"({"or":0,"bois":0,"pierre":0,"fer":0,"cristal":0})";
  EXPECT_EQ(json::serialize(J.at("buildings")),
            R"([{"id":0,"name":"scierie","race":null,"turns":3,"needs":["march)" + E +
                R"("],"cost":{"or":150,"bois":21,"pierre":60,"fer":0,"cristal":0},)"
                R"("takes":{"or":0,"bois":2,"pierre":0,"fer":0,"cristal":0},)"
                R"("gives":{"or":0,"bois":0,"pierre":0,"fer":5,"cristal":0},)"
                R"("produces":{"or":0,"bois":1,"pierre":0,"fer":0,"cristal":0},)"
                R"("recruits":null,"characteristics":{"exploit":1}},{"id":1,"name":"march)" +
                E +
                R"(","race":"Sylvains","turns":1,"needs":[],)"
                R"("cost":{"or":7,"bois":0,"pierre":0,"fer":0,"cristal":0},"takes":)" +
                NONE + R"(,"gives":{"or":60,"bois":0,"pierre":0,"fer":0,"cristal":0},"produces":)" +
                NONE + R"(,"recruits":"golem","characteristics":{}}])");
  // One record of each other list, from the shipped files.
  EXPECT_EQ(json::serialize(J.at("resources")), R"(["or","bois","pierre","fer","cristal"])");
  EXPECT_EQ(json::serialize(J.at("terrains").at(1)),
            R"({"id":1,"name":"sylve","sign":"f","move":2})");
  EXPECT_EQ(json::serialize(J.at("characteristics").at("champions").at(1)),
            R"({"id":1,"short":"def","name":"d)" + E + R"(fense"})");
  EXPECT_EQ(
      json::serialize(J.at("classes").at(0)),
      R"({"id":0,"name":"guerrier","endurance":"3D6+2","wisdom":"1D4+0","principal":["att","pdv"]})");
  EXPECT_EQ(json::serialize(J.at("creatures").at(1)),
            R"({"id":1,"name":"piquier","race":"Plainiers","turns":3,"units":10,)"
            R"("cost":{"or":60,"bois":21,"pierre":0,"fer":30,"cristal":0},)"
            R"("characteristics":{"att":3,"def":4,"vit":2,"pdv":6,"pare":25,"stay":1}})");
}

TEST(RulesJson, AMalformedFileGivesTheLoadersMessageAndLeavesTheDirectoryAsItWas) {
  testsupport::cShippedGameDir G;
  std::string BAD = BUILDINGS;
  G.DIR.WRITE("data/Batiments.zrk", BAD.replace(BAD.find("turns:3"), 7, "turns:trois"));
  const auto HERE = std::filesystem::current_path();
  std::string ERROR;
  EXPECT_FALSE(RULESJSON(G.DIR.PATH().string(), ERROR));
  EXPECT_EQ(ERROR, "data/Batiments.zrk, line 6: 'trois' is not a valid number");
  EXPECT_EQ(std::filesystem::current_path(), HERE);
}
