#include "gamecopy.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
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
