#pragma once

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/buffer.h"
#include "base/safefile.h"
#include "entities/ressource.h"

namespace testsupport {

/// Replaces a global of the game (a std::unique_ptr) for the life of the
/// object, then puts the previous one back.
template <class T>
class cScopedGlobal {
 public:
  cScopedGlobal(std::unique_ptr<T>& GLOBAL, std::unique_ptr<T> VALUE)
      : FGLOBAL(GLOBAL), FSAVED(std::move(GLOBAL)) {
    FGLOBAL = std::move(VALUE);
  }
  ~cScopedGlobal() { FGLOBAL = std::move(FSAVED); }
  cScopedGlobal(const cScopedGlobal&) = delete;
  cScopedGlobal& operator=(const cScopedGlobal&) = delete;
  T& operator*() const { return *FGLOBAL; }
  T* operator->() const { return FGLOBAL.get(); }

 private:
  std::unique_ptr<T>& FGLOBAL;
  std::unique_ptr<T> FSAVED;
};

/// A resource catalogue of the given names, uids 0, 1, 2... in order.
inline std::unique_ptr<cListeRessources> MAKERESSOURCES(std::initializer_list<const char*> NAMES) {
  auto L = std::make_unique<cListeRessources>("");
  int32_t UID = 0;
  for (const char* NAME : NAMES) {
    auto R = std::make_unique<cRessource>(UID++, "");
    R->FNAME = NAME;
    L->ADD(std::move(R));
  }
  return L;
}

/// Installs JEURESSOURCES with "or", "bois", "pierre" for the life of the object.
struct cThreeRessources : cScopedGlobal<cListeRessources> {
  cThreeRessources() : cScopedGlobal(JEURESSOURCES, MAKERESSOURCES({"or", "bois", "pierre"})) {}
};

/// The bytes of the file PATH ("" when it cannot be read).
inline std::string READFILE(const std::filesystem::path& PATH) {
  std::ifstream IN(PATH, std::ios::binary);
  return {std::istreambuf_iterator<char>(IN), std::istreambuf_iterator<char>()};
}

/// A buffer holding LINES, its cursor on the first.
inline cBuffer BUFFEROF(std::initializer_list<std::string> LINES) {
  cBuffer B;
  for (const std::string& L : LINES) {
    B.WRITELN(L);
  }
  B.REWIND();
  return B;
}

/// A temporary directory removed with everything in it at the end.
class cTempDir {
 public:
  cTempDir() {
    static int COUNTER = 0;
    FPATH = std::filesystem::temp_directory_path() /
            ("royaumes_test_" + std::to_string(::getpid()) + "_" + std::to_string(COUNTER++));
    std::filesystem::remove_all(FPATH);
    std::filesystem::create_directories(FPATH);
  }
  ~cTempDir() {
    std::error_code EC;
    std::filesystem::remove_all(FPATH, EC);
  }
  cTempDir(const cTempDir&) = delete;
  cTempDir& operator=(const cTempDir&) = delete;

  const std::filesystem::path& PATH() const { return FPATH; }
  /// Writes TEXT (bytes as given) into the file NAME of the directory; returns its path.
  std::string WRITE(const std::string& NAME, const std::string& TEXT) const {
    const auto P = FPATH / NAME;
    std::filesystem::create_directories(P.parent_path());
    std::ofstream OUT(P, std::ios::binary);
    OUT << TEXT;
    return P.string();
  }

 private:
  std::filesystem::path FPATH;
};

#ifdef ROYAUMES_GAME_DIR
/// A copy of the shipped game directory, the working directory until the end.
struct cShippedGameDir {
  cShippedGameDir() {
    std::filesystem::copy(ROYAUMES_GAME_DIR, DIR.PATH(), std::filesystem::copy_options::recursive);
    std::filesystem::current_path(DIR.PATH());
  }
  ~cShippedGameDir() { std::filesystem::current_path(PREVIOUS); }
  std::filesystem::path PREVIOUS = std::filesystem::current_path();
  cTempDir DIR;
};
#endif

/// The save's system calls watched for the life of this object: each call is
/// recorded in CALLS ("fsync PATH", "rename FROM TO") and then made; while
/// FAILDIRECTORIES, the flush of a directory fails with EIO. Read CALLS once
/// the save, or the writer thread, has ended.
class cWatchedSaveCalls {
 public:
  cWatchedSaveCalls() : FREAL(SAVECALLS()) {
    CALLS.clear();
    FAILDIRECTORIES = false;
    SAVECALLS() = {&FSYNC, &RENAME};
  }
  ~cWatchedSaveCalls() { SAVECALLS() = FREAL; }
  cWatchedSaveCalls(const cWatchedSaveCalls&) = delete;
  cWatchedSaveCalls& operator=(const cWatchedSaveCalls&) = delete;

  static inline std::vector<std::string> CALLS;
  static inline bool FAILDIRECTORIES = false;

 private:
  static std::string PATHOF(int FD) {
    return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(FD)).string();
  }
  static int FSYNC(int FD) {
    CALLS.push_back("fsync " + PATHOF(FD));
    if (FAILDIRECTORIES && std::filesystem::is_directory(PATHOF(FD))) {
      errno = EIO;
      return -1;
    }
    return ::fsync(FD);
  }
  static int RENAME(const char* FROM, const char* TO) {
    CALLS.push_back(std::string("rename ") + FROM + " " + TO);
    return ::rename(FROM, TO);
  }

  tSaveCalls FREAL;
};

}  // namespace testsupport
