// The map tool: a known small world read from its files and drawn exactly,
// as text and as an image, and what it refuses to draw.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "worldview.h"

namespace fs = std::filesystem;

namespace {

// Row y is all of terrain (y - 1) mod 6; square m holds m gold and 7 crystal.
std::string WORLD() {
  std::string W;
  for (int M = 0; M <= 100; ++M) {
    const int Y = M == 0 ? 1 : (M - 1) / 10 + 1;
    W += static_cast<char>((Y - 1) % 6);
    for (const int V : {M, 0, 0, 0, 7}) {
      W += static_cast<char>(V & 0xFF);
      W += static_cast<char>(V >> 8);
    }
  }
  return W;
}

std::string PLAYER(const std::string& NAME, const std::string& TOWNS, const std::string& TROOPS,
                   const std::string& CHAMPION, const std::string& ARMY) {
  return "#0\nname:" + NAME + "\nnbTurns:0\navailTurns:200\nrace:Plainiers\n" +
         "capital:0/0/0/0/0\n[towns]\n" + TOWNS + "[under construction]\nnbLines:0\n[troops]\n" +
         TROOPS + "[under recruitement]\nnbLines:0\n[champions]\nnbLines:1\n" + CHAMPION +
         "race:\nclass:\ncaracts:depl:3-scout:1\nressNec:0/0/0/0/0\nressMaintient:0/0/0/0/0\n" +
         "ressProduite:0/0/0/0/0\nplayer:" + NAME + "\ningame\nexp:0\nniveau:0\n" + ARMY +
         "endUnits\n[MAP]\ncount:0\n\n";
}

class MapOfAGame : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(DIR);
    fs::create_directories(DIR / "players");
    fs::copy(fs::path(ROYAUMES_GAME_DIR) / "data", DIR / "data", fs::copy_options::recursive);
    std::ofstream(DIR / "data" / "world.wld", std::ios::binary) << WORLD();
    std::ofstream(DIR / "players" / "amy.plr") << PLAYER(
        "amy", "nbLines:0\n", "nbLines:0\n", "#1\nberthe\n", "position:3,1\nmoveTo:-1,-1\n");
    std::ofstream(DIR / "players" / "bob.plr")
        << PLAYER("bob", "nbLines:1\n#0\nbourg:0\nposition:2,1\n",
                  "nbLines:1\n#0\nmilicien:0\nposition:2,1\nnbTroupes:10\n", "#0\naldric\n",
                  "position:3,1\nmoveTo:-1,-1\n#1\nmilicien:0\nposition:-1,-1\nnbTroupes:10\n"
                  "line:1\ncol:1\n");
  }
  void TearDown() override { fs::remove_all(DIR); }

  fs::path DIR = fs::temp_directory_path() / ("royaumes_map_" + std::to_string(::getpid()));
};

}  // namespace

TEST_F(MapOfAGame, IsReadFromItsFilesAndDrawnExactlyAsTextAndAsAnImageTitledAfterItsDirectory) {
  std::string ERROR;
  const auto W = READWORLD(DIR.string(), ERROR);
  ASSERT_TRUE(W) << ERROR;
  const std::string TEXT = TEXTMAP(*W, false);
  // The first and last rows, a terrain of the legend, and the players' legend.
  for (const char* PART :
       {"     1  2  3  4  5  6  7  8  9  10\n1    .  .B .* .  .  .  .  .  .  .\n2    f",
        "\n10   ^  ^  ^  ^  ^  ^  ^  ^  ^  ^\n\nTerrains:\n  .  prairie     move 1\n",
        "  ,  lande       move 1\n\n"
        "Players:\n"
        "  A  amy\n"
        "       3,1   berthe (champion, army of 0)\n"
        "  B  bob\n"
        "       2,1   bourg (building)\n"
        "       3,1   aldric (champion, army of 10)\n"
        "       2,1   10 milicien (troop)\n"
        "  *  several players on the square\n"}) {
    EXPECT_NE(TEXT.find(PART), std::string::npos) << PART << "\n" << TEXT;
  }
  EXPECT_NE(
      TEXTMAP(*W, true).find("Deposits of or:\n"
                             "          1     2     3     4     5     6     7     8     9    10\n"
                             "1         1     2     3     4     5     6     7     8     9    10\n"),
      std::string::npos);
  const std::string SVG = SVGMAP(*W, true, "T");
  // Square 2,1 (prairie), 48 pixels a side from (24, 48); both champions on
  // 3,1, bob's on the second row.
  for (const char* PART : {"<rect x=\"72\" y=\"48\" width=\"48\" height=\"48\" fill=\"#b8d98b\" "
                           "stroke=\"#444444\"><title>2,1 prairie</title></rect>",
                           "<circle cx=\"138\" cy=\"68\" r=\"4\" fill=\"#1f3fd6\"",
                           ">1/0/0/0/7</text>", ">bob</text>"}) {
    EXPECT_NE(SVG.find(PART), std::string::npos) << PART;
  }
  EXPECT_EQ(MAPTITLE((DIR / "game" / "..").string() + "/"),
            "Royaumes: the world of " + DIR.filename().string());
  EXPECT_EQ(MAPTITLE("/"), "Royaumes: the world");
}

TEST_F(MapOfAGame, NamesAreWrittenSafelyAndAWorldMissingOrTooShortIsRefused) {
  tWorldView W;
  W.TERRAINS = {{"pr\xE9", '<', 1}};
  W.TERRAIN.assign(100, 0);
  W.DEPOSITS.assign(100, {});
  W.PLAYERS = {{"a<b&c\"", {{tPieceInfo::TROOP, 100, "x>y", 3}}}};
  const std::string SVG = SVGMAP(W, false, "t&t");
  for (const char* PART : {"<title>a&lt;b&amp;c&quot;: x&gt;y</title></polygon>",
                           ">&lt;  pr\xC3\xA9 (move 1)</text>", ">t&amp;t</text>"}) {
    EXPECT_NE(SVG.find(PART), std::string::npos) << PART;
  }
  EXPECT_EQ(SVG.find("a<b"), std::string::npos);
  std::ofstream(DIR / "data" / "world.wld", std::ios::binary) << WORLD().substr(0, 100 * 11);
  std::string ERROR;
  EXPECT_FALSE(READWORLD(DIR.string(), ERROR));
  EXPECT_NE(ERROR.find("holds no square 100"), std::string::npos) << ERROR;
  fs::remove(DIR / "data" / "world.wld");
  EXPECT_FALSE(READWORLD(DIR.string(), ERROR));
  EXPECT_FALSE(fs::exists(DIR / "data" / "world.wld"));
}
