// Reading a game directory from outside the server (the map tool, the web
// gateway): the loaders read relative paths, and the catalogues they fill are
// the game's globals.

#pragma once

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "base/console.h"
#include "server/startup.h"

/// Makes DIR the working directory for its lifetime, then goes back, whatever happens.
class cInDir {
 public:
  explicit cInDir(const std::string& DIR) : FBACK(std::filesystem::current_path()) {
    std::filesystem::current_path(DIR);
  }
  ~cInDir() {
    std::error_code EC;
    std::filesystem::current_path(FBACK, EC);
  }
  cInDir(const cInDir&) = delete;
  cInDir& operator=(const cInDir&) = delete;

 private:
  std::filesystem::path FBACK;
};

/// Frees the catalogues (FREEGAME) when it goes, whatever happens while they are read.
struct cCatalogues {
  cCatalogues() = default;
  ~cCatalogues() { FREEGAME(); }
  cCatalogues(const cCatalogues&) = delete;
  cCatalogues& operator=(const cCatalogues&) = delete;
};

/// What READ() returns, read with DIR as the working directory once the rules
/// and the forces (LOADRULES, LOADFORCES: everything but the world and the
/// players) are loaded; the loaders' console lines are the server's to show
/// and are kept out. Nothing, with the reason in ERROR, when anything fails.
template <class READER>
auto READGAMEDIR(const std::string& DIR, std::string& ERROR, READER READ)
    -> std::optional<decltype(READ())> {
  cConsoleCapture QUIET;
  try {
    cInDir HERE(DIR);
    cCatalogues FREED;
    LOADRULES();
    LOADFORCES();
    return READ();
  } catch (const std::exception& E) {
    ERROR = E.what();
    return std::nullopt;
  }
}
