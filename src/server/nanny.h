#pragma once

#include "protocol/session.h"

/// The login dialogue: handles the session's pending line (FCOMMAND) according
/// to its stage, then clears it. Account name, password, and for an account
/// without a player the choice of a race.
void NANNY(cSession& CLIENT);
