#include "base/startup.h"

#include <memory>

#include "base/random.h"
#include "entities/account.h"
#include "protocol/interpreter.h"
#include "server/client.h"

void INITGAME() {
  RANDOMGEN().RANDOMIZE();

  JEUACCOUNTS = std::make_unique<cListeAccounts>("players/accounts.zrk");
  JEUACCOUNTS->LOADACCOUNTS();

  // The rule catalogues are created and loaded here, each after those it refers
  // to: resources, terrains, races, characteristics, classes, the world, creatures,
  // buildings, champions, the tavern, then the players.

  CLIENTS = std::make_unique<cListClients>();
  BUF = std::make_unique<cBuffer>();
}

void FREEGAME() {
  BUF.reset();
  CLIENTS.reset();
  JEUACCOUNTS.reset();
}
