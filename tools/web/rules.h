// What the gateway serves as /rules.json: the rules of a game directory, read
// from its data files by the game's own loaders, as JSON for a web page.

#pragma once

#include <optional>
#include <string>

/// The rules of the game directory DIR as the JSON text of /rules.json:
/// resources, terrains, races, the three characteristic catalogues, classes,
/// creatures and buildings, each list in identifier order, every name in UTF-8.
/// Reads data/ as the server does at start (the world file is not needed) and
/// writes nothing. On failure returns nothing and ERROR is the loader's message
/// (for a malformed file: the file, the line and the bad text). The loaders use
/// the game's global catalogues and the working directory, which is DIR while
/// it runs: call it before any other thread starts.
std::optional<std::string> RULESJSON(const std::string& DIR, std::string& ERROR);
