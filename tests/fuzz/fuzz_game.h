// What every fuzz target shares: a private copy of the shipped game as the
// working directory, with its world and two players (alice and bob) who have a
// town and troops, made once by the LLVMFuzzerInitialize defined here; the
// game loaded from it; and a console kept quiet.

#pragma once

#include <string>

#include "protocol/session.h"

namespace fuzzgame {

/// Loads the whole game from the working directory as the server's start
/// does, with a fixed seed so that an input always plays the same way.
void LOAD();
/// Releases the game and forgets the console lines kept meanwhile.
void FREE();

/// Acts on the lines S has received as the server's loop does: none after the
/// session asked to quit, a hold (wrong passwords) waited out, a line that
/// fails costing that line only. The replies are dropped.
void DRIVE(cSession& S);
/// LINES (separated by '\r') sent by the client of S, then DRIVE.
void PLAY(cSession& S, const std::string& LINES);

}  // namespace fuzzgame
