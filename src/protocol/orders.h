#pragma once

#include <string>

#include "protocol/session.h"

// The commands with which a player acts on the game. COMMAND is the upper-cased
// text after the keyword. Each writes its reply blocks into BUF; what the game
// operations refuse goes to the player's messages, not into the reply.

/// "BUILD name X,Y": starts the construction of a building on a square.
void INTERPRET_BUILD(cSession& C, const std::string& COMMAND);
/// "RECRUIT AVAIL X,Y" lists what the square recruits; "RECRUIT N name X,Y"
/// starts the recruitment of N troops there.
void INTERPRET_RECRUIT(cSession& C, const std::string& COMMAND);
/// "ORDER champion MOVE X,Y | GET #troop [line] | DROP X,Y": sends a champion
/// towards a square, or moves a troop between the town and its army.
void INTERPRET_ORDER(cSession& C, const std::string& COMMAND);
