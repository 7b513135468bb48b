#include "forces/batiment.h"
#include "forces/creature.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "world/grid.h"

// What a player may know of the world, written into a reply.

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
