#include "gamecopy.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

std::string ACCOUNTNAME(int I) {
  return "b" + std::to_string(I);
}

std::string ACCOUNTPASSWORD(int I) {
  return "p" + std::to_string(I);
}

std::string ACCOUNTLINE(int I) {
  return std::to_string(I) + ";" + ACCOUNTNAME(I) + ";" + ACCOUNTPASSWORD(I) + ";null;M;e;0";
}

std::string WITHEXTRACHAMPIONS(const std::string& TEXT, int EXTRA) {
  const std::string EOL = TEXT.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  std::vector<std::string> LINES;
  for (std::size_t START = 0; START < TEXT.size();) {
    const auto END = std::min(TEXT.find('\n', START), TEXT.size());
    std::string LINE = TEXT.substr(START, END - START);
    if (!LINE.empty() && LINE.back() == '\r') {
      LINE.pop_back();
    }
    LINES.push_back(LINE);
    START = END + 1;
  }
  // Each record: its lines after the name, up to an empty line or the next record.
  std::vector<std::vector<std::string>> RECORDS;
  long MAXID = -1;
  for (std::size_t I = 0; I < LINES.size(); ++I) {
    if (LINES[I].empty() || LINES[I][0] != '#') {
      continue;
    }
    MAXID = std::max(MAXID, std::strtol(LINES[I].c_str() + 1, nullptr, 10));
    std::vector<std::string> REST;
    for (std::size_t J = I + 2; J < LINES.size() && !LINES[J].empty() && LINES[J][0] != '#'; ++J) {
      REST.push_back(LINES[J]);
    }
    RECORDS.push_back(REST);
  }
  if (RECORDS.empty()) {
    throw cClientError("the champion catalogue holds no record to copy");
  }
  std::string R = TEXT;
  if (!R.empty() && R.back() != '\n') {
    R += EOL;
  }
  for (int K = 1; K <= EXTRA; ++K) {
    R += EOL + "#" + std::to_string(MAXID + K) + EOL + "bench" + std::to_string(K) + EOL;
    for (const std::string& LINE : RECORDS[static_cast<std::size_t>(K - 1) % RECORDS.size()]) {
      R += LINE + EOL;
    }
  }
  return R;
}

namespace {

// The position of the first line of TEXT from FROM on that begins with WHAT.
std::size_t LINEAT(const std::string& TEXT, const std::string& WHAT, std::size_t FROM) {
  for (std::size_t P = FROM; P < TEXT.size();) {
    if (TEXT.compare(P, WHAT.size(), WHAT) == 0) {
      return P;
    }
    P = TEXT.find('\n', P);
    if (P == std::string::npos) {
      break;
    }
    ++P;
  }
  throw cClientError("the player record has no line \"" + WHAT + "...\"");
}

// The lines of TEXT from the one that begins with KEY to the next that begins
// with UNTIL (excluded): their first byte and the one past them.
std::pair<std::size_t, std::size_t> SECTION(const std::string& TEXT, const std::string& KEY,
                                            const std::string& UNTIL) {
  const std::size_t FIRST = LINEAT(TEXT, KEY, 0);
  return {FIRST, LINEAT(TEXT, UNTIL, FIRST + 1)};
}

}  // namespace

std::string RECORDVALUE(const std::string& RECORD, const std::string& KEY) {
  const std::size_t FROM = LINEAT(RECORD, KEY + ":", 0) + KEY.size() + 1;
  return RECORD.substr(FROM, RECORD.find_first_of("\r\n", FROM) - FROM);
}

std::string PLAYERRECORD(const std::string& TEMPLATE, const std::string& NAME, int UID,
                         const tPlayerShape& SHAPE) {
  const std::string EOL = TEMPLATE.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  std::string R = TEMPLATE;
  // The works stand where the champion stood, a square the player knows.
  const std::string WHERE = SHAPE.WORKS > 0 ? RECORDVALUE(R, "position") : "";
  const auto [CHAMPIONS, MAP] = SECTION(R, "[champions]", "[MAP]");
  R.replace(CHAMPIONS, MAP - CHAMPIONS, "[champions]" + EOL + "nbLines:0" + EOL);
  const auto [WORKS, TROOPS] = SECTION(R, "[under construction]", "[troops]");
  std::string LIST = "[under construction]" + EOL + "nbLines:" + std::to_string(SHAPE.WORKS) + EOL;
  for (int I = 0; I < SHAPE.WORKS; ++I) {
    // A town of 4 turns' payments that never ends: every turn finds them all.
    LIST += "#" + std::to_string(I) + EOL + "bourg:0" + EOL + "position:" + WHERE + EOL +
            "turn:1000000" + EOL + "ressPerTurn:150:1/75:1/75:1/0:1/0:1" + EOL;
  }
  R.replace(WORKS, TROOPS - WORKS, LIST);
  if (SHAPE.AVAILTURNS >= 0 || SHAPE.LEADINGZERO) {
    const std::string TURNS =
        SHAPE.AVAILTURNS >= 0 ? std::to_string(SHAPE.AVAILTURNS) : RECORDVALUE(R, "availTurns");
    const auto [FIRST, RACE] = SECTION(R, "availTurns:", "race:");
    R.replace(FIRST, RACE - FIRST, "availTurns:" + (SHAPE.LEADINGZERO ? "0" + TURNS : TURNS) + EOL);
  }
  const auto [HEAD, NBTURNS] = SECTION(R, "#", "nbTurns:");
  R.replace(HEAD, NBTURNS - HEAD, "#" + std::to_string(UID) + EOL + "name:" + NAME + EOL);
  return R;
}

void WRITEPLAYERS(const fs::path& GAME, const std::string& TEMPLATE, int COUNT,
                  const tPlayerShape& SHAPE) {
  const std::string NAME = RECORDVALUE(TEMPLATE, "name");
  if (NAME.size() < 2 || NAME.back() != '1') {
    throw cClientError("the player record is not account 1's: name " + NAME);
  }
  const std::string STEM = NAME.substr(0, NAME.size() - 1);
  std::ofstream ACCOUNTS(GAME / "players" / "accounts.zrk", std::ios::trunc);
  for (int I = 1; I <= COUNT; ++I) {
    ACCOUNTS << ACCOUNTLINE(I) << "\n";
    const std::string PLAYER = STEM + std::to_string(I);
    std::ofstream OUT(GAME / "players" / (PLAYER + ".plr"), std::ios::binary | std::ios::trunc);
    OUT << PLAYERRECORD(TEMPLATE, PLAYER, I, SHAPE);
    if (!OUT.flush()) {
      throw cClientError("cannot write the player " + PLAYER + " in " + GAME.string());
    }
  }
  if (!ACCOUNTS.flush()) {
    throw cClientError("cannot write the accounts of " + GAME.string());
  }
}

cGameCopy::cGameCopy(const fs::path& SOURCE, int ACCOUNTS) {
  if (!fs::is_directory(SOURCE / "data")) {
    throw cClientError("not a game directory (no data/): " + SOURCE.string());
  }
  std::string PATTERN = (fs::temp_directory_path() / "royaumes-bench-XXXXXX").string();
  if (::mkdtemp(PATTERN.data()) == nullptr) {
    throw cClientError("cannot create a temporary directory from " + PATTERN);
  }
  FPATH = PATTERN;
  try {
    fs::copy(SOURCE, FPATH, fs::copy_options::recursive);
    fs::create_directories(FPATH / "players");
    // Every generated account logs in for the first time and creates its player.
    for (const auto& ENTRY : fs::directory_iterator(FPATH / "players")) {
      if (ENTRY.path().extension() == ".plr") {
        fs::remove(ENTRY.path());
      }
    }
    const fs::path CHAMPIONS = FPATH / "data" / "heros.zrk";
    if (fs::exists(CHAMPIONS)) {
      std::ifstream IN(CHAMPIONS, std::ios::binary);
      const std::string TEXT{std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
      IN.close();
      std::ofstream OUT(CHAMPIONS, std::ios::binary | std::ios::trunc);
      OUT << WITHEXTRACHAMPIONS(TEXT, ACCOUNTS);
      if (!OUT.flush()) {
        throw cClientError("cannot write " + CHAMPIONS.string());
      }
    }
    std::ofstream OUT(FPATH / "players" / "accounts.zrk", std::ios::trunc);
    for (int I = 1; I <= ACCOUNTS; ++I) {
      OUT << ACCOUNTLINE(I) << "\n";
    }
    OUT.close();
    if (!OUT) {
      throw cClientError("cannot write the accounts of " + FPATH.string());
    }
  } catch (const fs::filesystem_error& E) {
    std::error_code EC;
    fs::remove_all(FPATH, EC);
    throw cClientError(std::string("cannot copy the game directory: ") + E.what());
  } catch (...) {
    std::error_code EC;
    fs::remove_all(FPATH, EC);
    throw;
  }
}

cGameCopy::~cGameCopy() {
  std::error_code EC;
  fs::remove_all(FPATH, EC);
}
