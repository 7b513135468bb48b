// Reading a game directory from outside the server (the map tool, the web
// gateway): the loaders read relative paths, and the catalogues they fill are
// the game's globals.

#pragma once

#include <filesystem>
#include <string>
#include <system_error>

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
