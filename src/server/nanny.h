#pragma once

#include <cstdint>

#include "protocol/session.h"

/// The login dialogue: handles the session's pending line (FCOMMAND) according
/// to its stage, then clears it. Account name, password, and for an account
/// without a player the choice of a race.
void NANNY(cSession& CLIENT);

/// How long a session waits before its next line is taken, after WRONG wrong
/// passwords: nothing for the first two, then a quarter of a second, doubled at
/// every further mistake up to four seconds.
uint32_t PASSWORDDELAY(int32_t WRONG);
