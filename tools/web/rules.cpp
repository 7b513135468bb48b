#include "rules.h"

#include <boost/json.hpp>
#include <vector>

#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "entities/ressource.h"
#include "forces/batiment.h"
#include "forces/creature.h"
#include "latin1.h"
#include "server/gamedir.h"
#include "server/startup.h"
#include "world/terrain.h"

namespace json = boost::json;

namespace {

json::value NAMEOF(const cMobile* M) {
  return M != nullptr ? json::value(UTF8(M->FNAME)) : json::value(nullptr);
}

// A quantity of every resource, keyed by the resources' names in their order.
json::object PERRESOURCE(const cArrayRessources& A, const std::vector<std::string>& RESOURCES) {
  json::object O;
  for (std::size_t I = 0; I < RESOURCES.size(); ++I) {
    O[RESOURCES[I]] = I < A.RESSOURCE.size() ? A.RESSOURCE[I] : 0;
  }
  return O;
}

// A characteristic is written by its short name, as in the files' "att:2".
std::string SHORTNAME(const cCaract& C) {
  return UTF8(C.ABCARACT.empty() ? C.FNAME : C.ABCARACT);
}

// A piece's values by short name; the first of a name is the one the game reads.
json::object VALUES(const cListeCaractsMob& L) {
  json::object O;
  for (const cCaractMob& V : L.FLSTCARACTS) {
    if (V.CARACT != nullptr) {
      O.emplace(SHORTNAME(*V.CARACT), V.VALUE);
    }
  }
  return O;
}

json::array CATALOGUE(const cListeCaracts& L) {
  json::array A;
  for (int32_t I = 0; I < L.COUNT(); ++I) {
    const cCaract* C = L.GETCARACT(I);
    A.push_back({{"id", C->FUID}, {"short", SHORTNAME(*C)}, {"name", UTF8(C->FNAME)}});
  }
  return A;
}

json::object RULES() {
  // Searches by name leave the lists in name order: every list is put back in
  // identifier order before it is walked.
  std::vector<std::string> RESOURCES;
  json::array RESOURCELIST;
  JEURESSOURCES->SORT(sSortByUID);
  for (int32_t I = 0; I < JEURESSOURCES->COUNT(); ++I) {
    RESOURCES.push_back(UTF8(JEURESSOURCES->GET(I)->FNAME));
    RESOURCELIST.push_back(json::string(RESOURCES.back()));
  }
  json::array TERRAINS;
  for (int32_t I = 0; I < JEUTERRAINS->COUNT(); ++I) {
    const cTerrain* T = JEUTERRAINS->TERRAINAT(I);
    TERRAINS.push_back({{"id", T->FUID},
                        {"name", UTF8(T->FNAME)},
                        {"sign", UTF8(T->FSIGN)},
                        {"move", T->FNEEDMOVE}});
  }
  json::array RACES;
  JEURACES->SORT(sSortByUID);
  for (int32_t I = 0; I < JEURACES->COUNT(); ++I) {
    RACES.push_back({{"id", JEURACES->ITEM(I)->FUID}, {"name", UTF8(JEURACES->ITEM(I)->FNAME)}});
  }
  json::array CLASSES;
  JEUCLASSES->SORT(sSortByUID);
  for (int32_t I = 0; I < JEUCLASSES->COUNT(); ++I) {
    const cClasse* C = JEUCLASSES->ITEM(I);
    json::array PRINCIPAL;
    for (std::size_t K = 0; K < C->FCARACTSPRINC.size(); ++K) {
      const auto UID = static_cast<int32_t>(K);
      if (C->FCARACTSPRINC[K] && UID < CARACTSCHAMPIONS->COUNT()) {
        PRINCIPAL.push_back(json::string(SHORTNAME(*CARACTSCHAMPIONS->GETCARACT(UID))));
      }
    }
    CLASSES.push_back({{"id", C->FUID},
                       {"name", UTF8(C->FNAME)},
                       {"endurance", C->ENDURANCE.TOSTRING()},
                       {"wisdom", C->WISDOM.TOSTRING()},
                       {"principal", PRINCIPAL}});
  }
  json::array CREATURES;
  JEUCREATURES->SORT(sSortByUID);
  for (int32_t I = 0; I < JEUCREATURES->COUNT(); ++I) {
    const cCreature* C = JEUCREATURES->ITEM(I);
    CREATURES.push_back({{"id", C->FUID},
                         {"name", UTF8(C->FNAME)},
                         {"race", NAMEOF(C->RACE)},
                         {"turns", C->FNBTOURSNEC},
                         {"units", C->FNBUNITS},
                         {"cost", PERRESOURCE(C->RESSNEC, RESOURCES)},
                         {"characteristics", VALUES(C->FCARACTS)}});
  }
  json::array BUILDINGS;
  JEUBATIMENTS->SORT(sSortByUID);
  for (int32_t I = 0; I < JEUBATIMENTS->COUNT(); ++I) {
    const cBatiment* B = JEUBATIMENTS->ITEM(I);
    json::array NEEDS;
    for (int32_t K = 0; K < JEUBATIMENTS->COUNT(); ++K) {
      if (B->REQUIRES(K)) {
        NEEDS.push_back(NAMEOF(JEUBATIMENTS->BATIMENTBYUID(K)));
      }
    }
    // Costs are those the game charges: the loader raises each to a quantity
    // the turns divide into equal installments.
    BUILDINGS.push_back({{"id", B->FUID},
                         {"name", UTF8(B->FNAME)},
                         {"race", NAMEOF(B->RACENEC)},
                         {"turns", B->FNBTOURSNEC},
                         {"needs", NEEDS},
                         {"cost", PERRESOURCE(B->RESSNEC, RESOURCES)},
                         {"takes", PERRESOURCE(B->RESSSURTERRAIN, RESOURCES)},
                         {"gives", PERRESOURCE(B->RESSSURJOUEUR, RESOURCES)},
                         {"produces", PERRESOURCE(B->RESSPRODUITES, RESOURCES)},
                         {"recruits", NAMEOF(B->FRECRUIT)},
                         {"characteristics", VALUES(B->FCARACTS)}});
  }
  return {{"resources", RESOURCELIST},
          {"terrains", TERRAINS},
          {"races", RACES},
          {"characteristics",
           {{"champions", CATALOGUE(*CARACTSCHAMPIONS)},
            {"creatures", CATALOGUE(*CARACTSCREATURES)},
            {"buildings", CATALOGUE(*CARACTSBATIMENTS)}}},
          {"classes", CLASSES},
          {"creatures", CREATURES},
          {"buildings", BUILDINGS}};
}

}  // namespace

std::optional<std::string> RULESJSON(const std::string& DIR, std::string& ERROR) {
  // Creatures, buildings and champions are read without the world: only the
  // start of play places anything on it.
  return READGAMEDIR(DIR, ERROR, [] { return json::serialize(RULES()); });
}
