// What the map tool draws: the world of a game directory (terrains, squares
// and their deposits, every player's pieces), read from its files without
// writing any, and drawn as text or as an SVG image.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct tTerrainInfo {
  std::string NAME;
  char SIGN = '?';
  int MOVE = 0;
};

/// A player's piece on a square.
struct tPieceInfo {
  enum { CHAMPION, TROOP, BUILDING } KIND = CHAMPION;
  /// Map index of its square (1 to 100).
  int SQUARE = 0;
  std::string NAME;
  /// Units of a troop; units in a champion's army.
  int UNITS = 0;
};

struct tPlayerInfo {
  std::string NAME;
  std::vector<tPieceInfo> PIECES;
};

/// The world as the map tool sees it. Names are the game's Latin-1 bytes.
struct tWorldView {
  static constexpr int SIZE = 10;
  std::vector<std::string> RESSOURCES;
  /// By terrain number.
  std::vector<tTerrainInfo> TERRAINS;
  /// Square I + 1's terrain number and deposits (one per resource).
  std::vector<int> TERRAIN;
  std::vector<std::vector<uint16_t>> DEPOSITS;
  /// In the order of their files' names.
  std::vector<tPlayerInfo> PLAYERS;
};

/// Reads the game directory DIR: data/ressources.zrk, data/terrains.zrk,
/// data/world.wld, the catalogues the player files name, and players/*.plr.
/// Nothing is written. On failure returns nothing and says why in ERROR.
std::optional<tWorldView> READWORLD(const std::string& DIR, std::string& ERROR);

/// The map as text: the grid of terrain signs, each followed by the letter of
/// the player who has pieces there ('*' for several), the legends of
/// terrains and players with every piece, and with DEPOSITS a grid of each
/// resource. UTF-8.
std::string TEXTMAP(const tWorldView& W, bool DEPOSITS);

/// The map as an SVG image with its legend; TITLE above it.
std::string SVGMAP(const tWorldView& W, bool DEPOSITS, const std::string& TITLE);

/// The image's title for the game directory DIR: named after its last path
/// component, or "the world" alone when it has none (the root).
std::string MAPTITLE(const std::string& DIR);
