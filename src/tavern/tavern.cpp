#include "tavern/tavern.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "base/console.h"
#include "base/strutils.h"
#include "forces/champion.h"
#include "forces/championpos.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "world/grid.h"

std::unique_ptr<cTavern> JEUTAVERN;

namespace {

// What the tavern tells a bidder (Latin-1 texts).
constexpr const char* rsinfochpbaterror = "(#%d) %s ne peut pas etre recrute a %s pas de ville";
constexpr const char* rsinfochperror = "(#%d) %s n'est pas a recruter";
constexpr const char* rsinfochpnotenough =
    "Vous n'avez pas propos\xE9 assez pour (#%d) %s, minimum %d";
constexpr const char* rsinfochptooexpensive = "(#%d) %s est trop cher pour vous";
constexpr const char* rsinfochpchange = "(#%d) %s a recu une meilleure offre";
constexpr const char* rsinfochpencours = "(#%d) %s accepte pour le moment votre offre";
constexpr const char* rsinfochptransaction = "(%d) %s a rejoint votre armee";

// Largest quantity of a resource in a stock.
constexpr int64_t MAXSTOCK = 65535;

int32_t CLAMP32(int64_t V) {
  return static_cast<int32_t>(std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The champion catalogue writes the offer after each champion on offer.
void TAVERNLINES(cChampion& CHAMPION, cBuffer& OUTPUT) {
  if (JEUTAVERN != nullptr) {
    JEUTAVERN->DUMPTOBUFFER(&CHAMPION, OUTPUT);
  }
}

}  // namespace

// ------------------------------------------------------------- cChampionTavern

cChampionTavern::cChampionTavern(cChampion* PMMODELE) : MODELE(PMMODELE) {
  if (MODELE != nullptr) {
    FUID = MODELE->FUID;
    FNAME = MODELE->FNAME;
    PRICE = OPENINGPRICE(*MODELE);
  }
}

int32_t cChampionTavern::OPENINGPRICE(const cChampion& CHAMPION) {
  return CLAMP32((static_cast<int64_t>(CHAMPION.NIVEAU) + 1) * 500);
}

void cChampionTavern::TOBUFFER(cBuffer& OUTPUT) {
  if (CURJOUEUR != nullptr) {
    OUTPUT.WRITELN("player:" + CURJOUEUR->FNAME);
  } else if (!BIDDERNAME.empty()) {
    OUTPUT.WRITELN("player:" + BIDDERNAME);
  } else {
    OUTPUT.WRITELN("no player");
  }
  OUTPUT.WRITELN("turnBeforeSold:%d", TURNBEFORESOLD);
  OUTPUT.WRITELN("price:%d", PRICE);
}

void cChampionTavern::FROMBUFFER(cBuffer& INPUT) {
  const std::string BIDDER = INPUT.READLN();
  CURJOUEUR = nullptr;
  BIDDERNAME.clear();
  if (BIDDER != "no player") {
    // The gold of the bid was taken from that player: the offer keeps it.
    BIDDERNAME = GSTRING(AFTERTOKEN(BIDDER, ':'));
    CURJOUEUR = FINDJOUEUR(BIDDERNAME);
    if (CURJOUEUR != nullptr) {
      BIDDERNAME.clear();
    }
  }
  TURNBEFORESOLD = STRTOINT(INPUT.READAFTERTOKEN(':'));
  PRICE = STRTOINT(INPUT.READAFTERTOKEN(':'));
}

void cChampionTavern::RESOLVEBIDDER() {
  if (BIDDERNAME.empty()) {
    return;
  }
  CURJOUEUR = FINDJOUEUR(BIDDERNAME);
  if (CURJOUEUR == nullptr) {
    CONSOLE(
        FORMAT("Taverne : (#%d) %s, l'encherisseur %s n'est pas un joueur, offre sans encherisseur",
               FUID, FNAME, BIDDERNAME));
  }
  BIDDERNAME.clear();
}

// --------------------------------------------------------------------- cTavern

cTavern::cTavern() {
  CHAMPIONLINKS.TAVERNLINES = TAVERNLINES;
}

cChampionTavern* cTavern::ADD(cChampion* PMCHAMPION) {
  if (PMCHAMPION == nullptr) {
    return nullptr;
  }
  PMCHAMPION->STATE = sChampionInTavern;
  return ADD(std::make_unique<cChampionTavern>(PMCHAMPION));
}

void cTavern::BUILDTAVERN() {
  for (int32_t I = 0; I < CSTTAILLETAVERN; ++I) {
    ADD(JEUCHAMPIONS != nullptr ? JEUCHAMPIONS->CHOOSERANDOM() : nullptr);
  }
  SORT(sSortByUID);
}

cChampionTavern* cTavern::ADDFROMBUFFER(cChampion* PMCHAMPION, cBuffer& INPUT) {
  cChampionTavern* OFFER = ADD(PMCHAMPION);
  if (OFFER == nullptr) {
    cChampionTavern DROPPED(nullptr);
    DROPPED.FROMBUFFER(INPUT);
    return nullptr;
  }
  OFFER->FROMBUFFER(INPUT);
  return OFFER;
}

void cTavern::PLAYERSLOADED() {
  bool REPLACED = false;
  FOREACHHELD([this, &REPLACED](cChampionTavern& OFFER) {
    OFFER.RESOLVEBIDDER();
    // A loaded player's champion is in the game: it cannot be on offer too.
    if (OFFER.MODELE != nullptr && OFFER.MODELE->STATE != sChampionInTavern) {
      REMOVE(&OFFER);
      ADD(JEUCHAMPIONS != nullptr ? JEUCHAMPIONS->CHOOSERANDOM() : nullptr);
      REPLACED = true;
    }
  });
  if (REPLACED) {
    SORT(sSortByUID);
  }
}

cChampionTavern* cTavern::OFFEROF(int32_t UID) const {
  for (int32_t I = 0; I < COUNT(); ++I) {
    if (ITEM(I)->FUID == UID) {
      return ITEM(I);
    }
  }
  return nullptr;
}

void cTavern::DUMPTOBUFFER(const cChampion* PMCHAMPION, cBuffer& OUTPUT) {
  if (cChampionTavern* OFFER = PMCHAMPION != nullptr ? OFFEROF(PMCHAMPION->FUID) : nullptr) {
    WRITEOFFER(*OFFER, OUTPUT);
  }
}

void cTavern::TOBUFFER(cBuffer& OUTPUT) {
  for (int32_t I = 0; I < COUNT(); ++I) {
    WRITEOFFER(*ITEM(I), OUTPUT);
  }
}

void cTavern::WRITEOFFER(cChampionTavern& OFFER, cBuffer& OUTPUT) {
  OUTPUT.WRITELN("#%d", OFFER.FUID);
  OUTPUT.WRITELN(OFFER.FNAME);
  OFFER.TOBUFFER(OUTPUT);
}

bool cTavern::AUCTION(cChampion* PMCHAMPION, cJoueur& PMJOUEUR, int32_t PMPRICE,
                      tcoordMap PMPOSITION) {
  if (PMCHAMPION == nullptr) {
    return false;
  }
  const int32_t UID = PMCHAMPION->FUID;
  const std::string& NAME = PMCHAMPION->FNAME;
  cChampionTavern* CHPTAVERN = FIND(UID);
  // A square off the map has no index of its own, and no building.
  if (!INMAP(PMPOSITION) || PMJOUEUR.VILLES == nullptr ||
      PMJOUEUR.VILLES->GETLIST(PMPOSITION.X, PMPOSITION.Y).ISEMPTY()) {
    PMJOUEUR.OUTPUT.WRITELN(rsinfochpbaterror, UID, NAME, COORDTOSTRING(PMPOSITION));
    return false;
  }
  if (CHPTAVERN == nullptr) {
    PMJOUEUR.OUTPUT.WRITELN(rsinfochperror, UID, NAME);
    return false;
  }
  const int64_t MINPRICE = static_cast<int64_t>(CHPTAVERN->PRICE) * 105 / 100;
  if (PMPRICE < MINPRICE) {
    PMJOUEUR.OUTPUT.WRITELN(rsinfochpnotenough, UID, NAME, MINPRICE);
    return false;
  }
  if (PMJOUEUR.GETGOLD() < PMPRICE) {
    PMJOUEUR.OUTPUT.WRITELN(rsinfochptooexpensive, UID, NAME);
    return false;
  }
  if (cJoueur* B = CHPTAVERN->CURJOUEUR) {
    B->OUTPUT.WRITELN(rsinfochpchange, UID, NAME);
    // The stock stops at 65535, as every stock does.
    B->SETGOLD(CLAMP32(std::min<int64_t>(MAXSTOCK, int64_t{B->GETGOLD()} + CHPTAVERN->PRICE)));
  }
  CHPTAVERN->PRICE = PMPRICE;
  CHPTAVERN->POSITION = PMPOSITION;
  PMJOUEUR.SETGOLD(PMJOUEUR.GETGOLD() - PMPRICE);
  CHPTAVERN->CURJOUEUR = &PMJOUEUR;
  CHPTAVERN->BIDDERNAME.clear();
  if (CHPTAVERN->MODELE != nullptr && CHPTAVERN->MODELE->NIVEAU > CSTEXTENSIONLEVEL) {
    CHPTAVERN->TURNBEFORESOLD = CSTTURNBEFORESOLD;
  }
  PMJOUEUR.OUTPUT.WRITELN(rsinfochpencours, UID, NAME);
  return true;
}

void cTavern::PASSTURN() {
  // Each offer held when the turn starts counts down once, whether or not the
  // tavern is full; an offer made during the turn waits for the next one.
  int32_t VISITS = 0;
  FOREACHHELD([this, &VISITS](cChampionTavern& E) {
    if (VISITS++ >= CSTTAILLETAVERN) {
      return;
    }
    --E.TURNBEFORESOLD;
    // A countdown read back below 1 ends now rather than never.
    if (E.TURNBEFORESOLD > 0) {
      return;
    }
    cChampion* CHAMPION = E.MODELE;
    cJoueur* J = E.CURJOUEUR;
    if (J != nullptr && CHAMPION != nullptr) {
      TRSFTOJOUEUR(*J, E, *CHAMPION);
      J->OUTPUT.WRITELN(rsinfochptransaction, CHAMPION->FUID, CHAMPION->FNAME);
    } else {
      if (CHAMPION != nullptr) {
        CHAMPION->STATE = sChampionNotAssigned;
      }
      REMOVE(&E);
    }
    ADD(JEUCHAMPIONS != nullptr ? JEUCHAMPIONS->CHOOSERANDOM() : nullptr);
  });
}

void cTavern::TRSFTOJOUEUR(cJoueur& JOUEUR, cChampionTavern& CHPTAVERN, cChampion& CHAMPION) {
  const tcoordMap WHERE = CHPTAVERN.POSITION;
  auto PIECE = std::make_unique<cChampionPosition>(&CHAMPION);
  // Not on the map yet: this only names its player, whose list takes it on the map.
  auto UNHELD = PIECE->ASSIGNPLAYER(&JOUEUR);
  cChampionPosition::TOMAP(PIECE, WHERE, false);
  REMOVE(OFFEROF(CHAMPION.FUID));
  CHAMPION.STATE = sChampionInGame;
}

cChampion* cTavern::FROMTAVERN(cChampion* MOBILE) {
  if (MOBILE == nullptr) {
    return nullptr;
  }
  if (cChampionTavern* OFFER = OFFEROF(MOBILE->FUID)) {
    REMOVE(OFFER);
    MOBILE->STATE = sChampionNotAssigned;
  }
  return MOBILE;
}
