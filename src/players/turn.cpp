#include <algorithm>
#include <cstdint>
#include <limits>

#include "forces/batiment.h"
#include "forces/championpos.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "world/grid.h"
#include "world/world.h"

void cJoueur::PASSTURN() {
  // A negative count (only an edited file holds one) is no turn left either.
  if (AVAILTURNS <= 0) {
    OUTPUT.WRITELN("ERREUR: Pas de tour disponible");
    return;
  }
  RECRUTEMENTS->PASSTURN();
  CONSTRUCTIONS->PASSTURN();
  CHAMPIONS->PASSTURN();
  EXPLOITRESSOURCES();
  if (NBTURNS < std::numeric_limits<int32_t>::max()) {
    ++NBTURNS;
  }
  --AVAILTURNS;
  OUTPUT.WRITELN("Turn: %d  / avail %d", NBTURNS, AVAILTURNS);
}

void cJoueur::EXPLOITRESSOURCES() {
  if (VILLES->ISEMPTY()) {
    return;
  }
  // The buildings of one square come next to each other, squares in index
  // order.
  VILLES->SORT(sSortByIndex);
  const int32_t COUNT = VILLES->COUNT();
  int32_t FIRST = 0;
  while (FIRST < COUNT) {
    const cBatimentPosition* LEAD = VILLES->ITEM(FIRST);
    const tcoordMap SQUARE = LEAD->FPOSITION;
    const int32_t INDEX = SQUAREINDEXOF(*LEAD);
    cArrayRessources RESSSURTERRAIN;
    cArrayRessources RESSPRODUITES;
    int32_t MAXEXPLOIT = 0;
    int32_t NEXT = FIRST;
    for (; NEXT < COUNT && SQUAREINDEXOF(*VILLES->ITEM(NEXT)) == INDEX; ++NEXT) {
      const cBatiment* MODELE = VILLES->ITEM(NEXT)->BATIMENT();
      // A building whose kind the catalogue no longer has produces nothing.
      if (MODELE == nullptr) {
        continue;
      }
      if (const cCaractMob* EXPLOIT = MODELE->GETCARACT("exploit")) {
        RESSSURTERRAIN.ADDSATURATED(MODELE->RESSSURTERRAIN);
        RESSPRODUITES.ADDSATURATED(MODELE->RESSPRODUITES);
        MAXEXPLOIT = std::max<int32_t>(MAXEXPLOIT, EXPLOIT->VALUE);
      } else {
        CAPITAL.ADDSATURATED(MODELE->RESSSURJOUEUR);
        CAPITAL.ADDSATURATED(MODELE->RESSPRODUITES);
      }
    }
    EXPLOITAROUND(SQUARE, MAXEXPLOIT, RESSSURTERRAIN, RESSPRODUITES);
    FIRST = NEXT;
  }
}

void cJoueur::EXPLOITAROUND(tcoordMap POSITION, int32_t MAXEXPLOIT,
                            const cArrayRessources& RESSSURTERRAIN,
                            const cArrayRessources& RESSPRODUITES) {
  if (!WORLDMAP) {
    return;
  }
  for (const tcoordMap AT : AREAGRID(POSITION, MAXEXPLOIT)) {
    // Fetching a square may evict another: each is used at once.
    cSquareMemory* SQUARE = WORLDMAP->GETSQUARE(AT);
    if (SQUARE == nullptr) {
      continue;
    }
    const std::size_t N = std::min({SQUARE->RESSDISPO.size(), RESSSURTERRAIN.RESSOURCE.size(),
                                    RESSPRODUITES.RESSOURCE.size()});
    for (std::size_t K = 0; K < N; ++K) {
      const uint16_t TAKEN = RESSSURTERRAIN.RESSOURCE[K];
      if (SQUARE->RESSDISPO[K] >= TAKEN) {
        SQUARE->RESSDISPO[K] = static_cast<uint16_t>(SQUARE->RESSDISPO[K] - TAKEN);
        CAPITAL.ADDSATURATED(K, RESSPRODUITES.RESSOURCE[K]);
      }
    }
  }
}
