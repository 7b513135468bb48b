// /rules.json: the game's rules as its own loaders read them.

#pragma once

#include <optional>
#include <string>

/// The rules of the game directory DIR as JSON; nothing, with the loader's
/// message in ERROR, when a file does not load.
std::optional<std::string> RULESJSON(const std::string& DIR, std::string& ERROR);
