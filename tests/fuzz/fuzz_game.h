// What every fuzz target shares: a private copy of the shipped game as the
// working directory, the game loaded from it, and a console kept quiet.

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/session.h"

namespace fuzzgame {

/// Copies the shipped game into a fresh temporary directory (once per
/// process), makes it the working directory and gives it a world file. With
/// PLAYERS, two players (alice and bob) are created through the login
/// dialogue, play a few commands and are saved, so that a fuzzed session meets
/// other players' pieces.
void PREPARE(bool PLAYERS);

/// Loads the whole game from the working directory, as the server's start
/// does, with the random generator seeded to a fixed value so that an input
/// always plays the same way. FREE releases it.
void LOAD();
void FREE();

/// LINE sent by the client of S and acted on as the server's loop does (a line
/// that fails costs that line only); the replies are dropped.
void PLAY(cSession& S, const std::string& LINE);

/// Writes the bytes DATA..DATA+SIZE into PATH (relative to the game copy).
void WRITEFILE(const std::string& PATH, const uint8_t* DATA, std::size_t SIZE);

/// Forgets the console lines kept since the last call (they are kept, not
/// printed, for the whole run).
void QUIETCONSOLE();

}  // namespace fuzzgame
