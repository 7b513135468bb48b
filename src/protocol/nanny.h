#pragma once

#include <string>

#include "protocol/session.h"

/// The login dialogue: handles the session's pending line (FCOMMAND) according
/// to its stage, then clears it. Account name, password, and for an account
/// without a player the choice of a race.
void NANNY(cSession& CLIENT);

/// Acts on the session's pending line: the login dialogue until the session
/// plays, then the command interpreter (a played line goes to the console
/// first). A line that makes the game fail costs that line only: it is
/// dropped, and the result is false with the reason in WHY.
bool PLAYLINE(cSession& CLIENT, std::string& WHY);
