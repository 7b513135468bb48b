#pragma once

#include <cstdint>
#include <string>

#include "server/client.h"

/// The login dialogue: handles the client's pending line (FCOMMAND) according to
/// its stage, then clears it. Account name, password, and for an account without
/// a player the choice of a race.
void NANNY(cClientInfos& CLIENT);

/// The player named NAME (case ignored), or null when it has none.
cJoueur* FINDPLAYER(const std::string& NAME);

/// The right password was given and no player has the account's name.
void NEWPLAYERDIALOGUE(cClientInfos& CLIENT);

/// A race line that spells no integer: the race question again.
void ASKRACE(cClientInfos& CLIENT);

/// The race line RACEID of a client in CON_RACE: the new player joins the game.
void FINISHNEWPLAYER(cClientInfos& CLIENT, int32_t RACEID);
