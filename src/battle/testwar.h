#pragma once

#include <cstdint>

class cChampionPosition;
class cListeJoueurs;

/// Flights that the battles of one arrival may lead to (a champion that flees
/// lands with the battle test, and may flee again); a landing beyond them
/// fights nothing.
inline constexpr int32_t MAXFLIGHTCHAIN = 10;

/// Runs every battle that CHAMPION's arrival on its square causes: against
/// each champion of the other players of JOUEURS standing there (players in
/// list order, each player's champions in its list's order), then against the
/// troops each of those players has there, which guard the square as a side
/// of their own. Each report goes to its side's player. Once CHAMPION has died,
/// fled or left the square, the remaining battles are not fought. A champion
/// without a player, off the map, or not in its player's CHAMPIONS fights
/// nothing. Champions are never destroyed; guard troops that survive go back
/// to their player's TROUPES on the square.
void TESTWAR(cListeJoueurs& JOUEURS, cChampionPosition& CHAMPION);

/// Makes the arrival of a champion on a square fight its battles among the
/// players of JEUJOUEURS (the battle link of the champions).
void INSTALLBATTLES();
