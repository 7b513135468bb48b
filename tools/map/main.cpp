// royaumes-map: draws the world of a game directory in the terminal, and as
// an SVG image on request. It only reads the files, so it is safe while the
// server runs.

#include <iostream>
#include <string>
#include <vector>

#include "args.h"

#include "base/safefile.h"
#include "worldview.h"

namespace {

const char* const USAGE =
    "Usage: royaumes-map [--dir DIR] [--deposits] [--svg FILE]\n"
    "Draws the world of the game directory DIR (by default the current\n"
    "directory): the terrain of every square from data/world.wld and\n"
    "data/terrains.zrk, and the champions, troops and buildings of every player\n"
    "from players/*.plr, with a legend. It reads the files and writes none of\n"
    "them, so it may run while the server runs (it shows the players as last\n"
    "saved, at most a minute old).\n"
    "\n"
    "  --dir DIR      the game directory\n"
    "  --deposits     also the resources each square holds\n"
    "  --svg FILE     also an SVG image of the map, which a browser shows\n"
    "  --help, --version\n";

int USAGEERROR(const std::string& WHY) {
  std::cerr << "royaumes-map: " << WHY << "\n" << USAGE;
  return 2;
}

}  // namespace

int main(int ARGC, char** ARGV) {
  const cArgs A(std::vector<std::string>(ARGV + 1, ARGV + ARGC), {"--dir", "--svg"},
                {"--help", "-h", "--version", "--deposits"});
  if (const auto ANSWERED = ANSWERHELPVERSIONERROR(A, "royaumes-map", USAGE, ROYAUMES_VERSION)) {
    return *ANSWERED;
  }
  if (!A.WORDS().empty()) {
    return USAGEERROR("unknown argument " + A.WORDS().front());
  }
  const std::string DIR = A.VALUE("--dir", ".");
  const std::string SVG = A.VALUE("--svg");
  const bool DEPOSITS = A.HAS("--deposits");
  if (DIR.empty() || (A.HAS("--svg") && SVG.empty())) {
    return USAGEERROR(std::string(DIR.empty() ? "--dir" : "--svg") + " needs a value");
  }
  std::string ERROR;
  const auto WORLD = READWORLD(DIR, ERROR);
  if (!WORLD) {
    std::cerr << "royaumes-map: " << DIR << ": " << ERROR << "\n";
    return 1;
  }
  std::cout << TEXTMAP(*WORLD, DEPOSITS);
  if (!SVG.empty()) {
    if (!SAVETEXTATOMIC(SVGMAP(*WORLD, DEPOSITS, MAPTITLE(DIR)), SVG, SVG + ".tmp", ERROR)) {
      std::cerr << "royaumes-map: cannot write the image: " << ERROR << "\n";
      return 1;
    }
  }
  return 0;
}
