#include <algorithm>
#include <string>
#include <utility>

#include "forces/batiment.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "world/grid.h"
#include "world/terrain.h"
#include "world/world.h"

// What a player may know of the world, written into a reply.

namespace {

// Longest row of terrain signs in the mapped report.
constexpr std::size_t MAPPEDROW = 50;

// Calls VISIT(index) for every map index of the run R that is on the map. Runs
// come from the player's file, which could hold any numbers: a run reaching
// past the map must not walk billions of indices that name no square.
template <class VISITOR>
void FOREACHINDEX(const tMAT& R, VISITOR&& VISIT) {
  const int32_t FROM = std::max(R.START, 1);
  const int32_t TO = std::min(R.STOP, TXMAP * TYMAP);
  for (int32_t I = FROM; I <= TO; ++I) {
    VISIT(I);
  }
}

// The one-character sign of the terrain of the square of index I; "?" when the
// world or the terrain catalogue cannot say, so that the signs after it keep
// their places.
std::string SIGNAT(int32_t I) {
  const cSquareMemory* S = WORLDMAP != nullptr ? WORLDMAP->GETSQUARE(I) : nullptr;
  const cTerrain* T =
      S != nullptr && JEUTERRAINS != nullptr ? JEUTERRAINS->WITHID(S->TYPETERRAIN) : nullptr;
  return T != nullptr && !T->FSIGN.empty() ? T->FSIGN.substr(0, 1) : "?";
}

// The label of the pieces of kind K and P's list that holds them; no list for sNone.
std::pair<std::string, const cListeMobilesPosition*> PIECESOF(const cJoueur& P, sTypeMobile K) {
  switch (K) {
    case sCreature:
      return {"Creature", P.TROUPES.get()};
    case sChampion:
      return {"Champion", P.CHAMPIONS.get()};
    case sVille:
      return {"Batiment", P.VILLES.get()};
    case sNone:
      break;
  }
  return {"", nullptr};
}

}  // namespace

void cJoueur::GETAVAILRECRUIT(cBuffer& BUF, int32_t X, int32_t Y) {
  // A square off the map has no index of its own (11,1 would be read as 1,2).
  if (VILLES == nullptr || !INMAP(X, Y)) {
    return;
  }
  const auto HERE = VILLES->GETLIST(X, Y);
  for (int32_t I = 0; I < HERE.COUNT(); ++I) {
    const cBatiment* MODELE = HERE.ITEM(I)->BATIMENT();
    if (MODELE != nullptr && MODELE->FRECRUIT != nullptr) {
      BUF.WRITELN("#%d:%s", MODELE->FRECRUIT->FUID, MODELE->FRECRUIT->FNAME);
    }
  }
}

void cJoueur::SQUARESTOBUFFER(cBuffer& C) {
  if (WORLDMAP == nullptr) {
    return;
  }
  for (const tMAT& R : CARTE.MAP) {
    FOREACHINDEX(R, [&C](int32_t I) {
      // The square belongs to the cache: written at once, never kept.
      if (const cSquareMemory* S = WORLDMAP->GETSQUARE(I)) {
        S->TOBUFFER(C);
      }
    });
  }
}

void cJoueur::SQUARETOBUFFER(cBuffer& C, tcoordMap P) {
  if (!CARTE.INMAT(P)) {
    C.WRITELN("ERROR: PLAYER DON'T KNOWN THIS SQUARE");
    return;
  }
  if (const cSquareMemory* S = WORLDMAP != nullptr ? WORLDMAP->GETSQUARE(P) : nullptr) {
    S->TOBUFFER(C);
  }
}

void cJoueur::MAPPEDSQUARESTOBUFFER(cBuffer& C) {
  for (const tMAT& R : CARTE.MAP) {
    if (std::max(R.START, 1) > std::min(R.STOP, TXMAP * TYMAP)) {
      continue;  // nothing of the run is on the map
    }
    C.WRITELN(std::to_string(std::max(R.START, 1)));
    C.WRITELN("(*");
    // Rows are cut at 50 signs only, not at the edge of the map: the client
    // places each sign from the run's first index.
    std::string ROW;
    FOREACHINDEX(R, [&C, &ROW](int32_t I) {
      ROW += SIGNAT(I);
      if (ROW.size() == MAPPEDROW) {
        C.WRITELN(ROW);
        ROW.clear();
      }
    });
    if (!ROW.empty()) {
      C.WRITELN(ROW);
    }
    C.WRITELN("*)");
  }
}

void cListeJoueurs::VISIBLEMOBILES(sTypeMobile TYPEMOB, cBuffer& C, const cJoueur& JOUEUR,
                                   bool EXCEPTPLAYER) {
  for (int32_t N = 0; N < COUNT(); ++N) {
    const cJoueur& P = *ITEM(N);
    if (EXCEPTPLAYER && &P == &JOUEUR) {
      continue;
    }
    const auto [LABEL, PIECES] = PIECESOF(P, TYPEMOB);
    for (int32_t I = 0; PIECES != nullptr && I < PIECES->COUNT(); ++I) {
      // A piece off the map (a troop in an army, at -1,-1) stands on no known square.
      const cMobilePosition& M = *PIECES->GETPOSITION(I);
      if (JOUEUR.CARTE.INMAT(M.FPOSITION)) {
        C.WRITELN("%s %s (%s) visible a %s", LABEL, M.FNAME, P.FNAME, COORDTOSTRING(M.FPOSITION));
      }
    }
  }
}
