#include "server/startup.h"

#include <memory>
#include <string>

#include "base/errors.h"
#include "base/random.h"
#include "battle/testwar.h"
#include "entities/account.h"
#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "entities/ressource.h"
#include "forces/batiment.h"
#include "forces/champion.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "players/joueur.h"
#include "protocol/interpreter.h"
#include "server/client.h"
#include "tavern/tavern.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

// The game cannot be played without some catalogues: their absence stops the start.
void REQUIRE(bool LOADED, const std::string& FILENAME) {
  if (!LOADED) {
    throw cLoadError("Cannot open " + FILENAME + ": the game cannot start without it");
  }
}

}  // namespace

void LOADRULES() {
  JEURESSOURCES = std::make_unique<cListeRessources>("data/ressources.zrk");
  REQUIRE(JEURESSOURCES->LOADRESSOURCES(), JEURESSOURCES->NMINIFILE);

  JEUTERRAINS = std::make_unique<cListeTerrains>("data/terrains.zrk");
  REQUIRE(JEUTERRAINS->LOADTERRAINS(), JEUTERRAINS->NMINIFILE);

  // A missing file of the other catalogues gives an empty catalogue.
  JEURACES = std::make_unique<cListeRaces>("data/races.zrk");
  JEURACES->LOADRACES();

  CARACTSCHAMPIONS = std::make_unique<cListeCaracts>("data/caractHeros.zrk");
  CARACTSCREATURES = std::make_unique<cListeCaracts>("data/caractMonst.zrk");
  CARACTSBATIMENTS = std::make_unique<cListeCaracts>("data/caractBat.zrk");
  for (cListeCaracts* CARACTS :
       {CARACTSCHAMPIONS.get(), CARACTSCREATURES.get(), CARACTSBATIMENTS.get()}) {
    REQUIRE(CARACTS->LOADCARACTS(), CARACTS->NMINIFILE);
  }

  JEUCLASSES = std::make_unique<cListeClasses>("data/Classes.zrk");
  JEUCLASSES->LOADCLASSES();
}

void LOADFORCES() {
  JEUCREATURES = std::make_unique<cListeCreatures>("data/Creatures.zrk");
  JEUCREATURES->LOADCREATURES();

  JEUBATIMENTS = std::make_unique<cListeBatiments>("data/Batiments.zrk");
  JEUBATIMENTS->LOADBATIMENTS();

  JEUCHAMPIONS = std::make_unique<cListeChampions>("data/inGameHeros.zrk", "data/heros.zrk");
  JEUCHAMPIONS->LOADCHAMPIONS();
}

void INITGAME(std::optional<uint64_t> SEED) {
  if (SEED) {
    RANDOMGEN().SEED(*SEED);
  } else {
    RANDOMGEN().RANDOMIZE();
  }

  JEUACCOUNTS = std::make_unique<cListeAccounts>("players/accounts.zrk");
  JEUACCOUNTS->LOADACCOUNTS();

  LOADRULES();

  OPENWORLD();

  LOADFORCES();

  JEUTAVERN = std::make_unique<cTavern>();
  JEUTAVERN->BUILDTAVERN();

  JEUJOUEURS = std::make_unique<cListeJoueurs>("jeuJoueurs");
  JEUJOUEURS->LOADPLAYERS();
  JEUTAVERN->PLAYERSLOADED();
  // From now on a champion arriving on a square fights the players found there.
  INSTALLBATTLES();

  CLIENTS = std::make_unique<cListClients>();
  BUF = std::make_unique<cBuffer>();
}

void FREEGAME() {
  BUF.reset();
  CLIENTS.reset();
  BATTLELINKS = tBattleLinks{};
  JEUJOUEURS.reset();
  JEUTAVERN.reset();
  JEUCHAMPIONS.reset();
  JEUBATIMENTS.reset();
  JEUCREATURES.reset();
  CLOSEWORLD();
  JEUCLASSES.reset();
  CARACTSBATIMENTS.reset();
  CARACTSCREATURES.reset();
  CARACTSCHAMPIONS.reset();
  JEURACES.reset();
  JEUTERRAINS.reset();
  JEURESSOURCES.reset();
  JEUACCOUNTS.reset();
}
