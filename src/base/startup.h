#pragma once

/// Creates and loads the game state, in the order later objects rely on: the
/// random generator's seed, the accounts, (the rule catalogues), the client
/// list and the shared reply buffer. A data file that cannot be used raises
/// cLoadError (base/errors.h); what was created stays for FREEGAME.
void INITGAME();

/// Releases what INITGAME created, in the reverse order. Safe after a partial INITGAME.
void FREEGAME();
