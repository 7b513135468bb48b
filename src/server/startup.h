#pragma once

#include <cstdint>
#include <optional>

/// Creates and loads the game state from the working directory, in the order
/// later objects rely on: the random generator's seed, the accounts, the
/// resources, terrains, races, the three characteristic catalogues, classes,
/// the world file, creatures, buildings, champions, the tavern with four
/// offers, the players (every players/*.plr), the battles between them, then
/// the client list and the shared reply buffer. The tavern's offers of
/// champions that loaded players hold are replaced once the players are read.
/// A data file that cannot be used (a malformed one, or a missing resources,
/// terrains or characteristics file) raises cLoadError (base/errors.h) whose
/// message is the console line; what was created stays for FREEGAME.
/// With SEED the random generator starts from it rather than from the clock.
void INITGAME(std::optional<uint64_t> SEED = std::nullopt);

/// The catalogues INITGAME loads before the world: resources, terrains, races,
/// the three characteristic catalogues and classes (cLoadError as INITGAME).
void LOADRULES();
/// The catalogues INITGAME loads after the world: creatures, buildings and
/// champions.
void LOADFORCES();

/// Releases what INITGAME created, in the reverse order. Safe after a partial INITGAME.
void FREEGAME();
