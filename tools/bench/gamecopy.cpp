#include "gamecopy.h"

#include <cstdlib>
#include <fstream>

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

cGameCopy::cGameCopy(const fs::path& SOURCE, int ACCOUNTS) {
  if (!fs::is_directory(SOURCE / "data")) {
    throw cBenchError("not a game directory (no data/): " + SOURCE.string());
  }
  std::string PATTERN = (fs::temp_directory_path() / "royaumes-bench-XXXXXX").string();
  if (::mkdtemp(PATTERN.data()) == nullptr) {
    throw cBenchError("cannot create a temporary directory from " + PATTERN);
  }
  FPATH = PATTERN;
  try {
    fs::copy(SOURCE, FPATH, fs::copy_options::recursive);
    fs::create_directories(FPATH / "players");
    std::ofstream OUT(FPATH / "players" / "accounts.zrk", std::ios::trunc);
    for (int I = 1; I <= ACCOUNTS; ++I) {
      OUT << ACCOUNTLINE(I) << "\n";
    }
    OUT.close();
    if (!OUT) {
      throw cBenchError("cannot write the accounts of " + FPATH.string());
    }
  } catch (const fs::filesystem_error& E) {
    std::error_code EC;
    fs::remove_all(FPATH, EC);
    throw cBenchError(std::string("cannot copy the game directory: ") + E.what());
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
