#include "server/nanny.h"

#include "base/console.h"
#include "base/errors.h"
#include "base/strutils.h"
#include "entities/race.h"
#include "players/joueur.h"

void NANNY(cClientInfos& CLIENT) {
  const std::string& L = CLIENT.FCOMMAND;
  switch (CLIENT.FSTATE) {
    case CON_LOGIN:
      if (CLIENT.LOGON(L)) {
        CLIENT.SEND("mot de passe");
        CLIENT.CHGSTATE(CON_PASSWORD);
      } else {
        CLIENT.SEND("compte inconnu");
        CLIENT.CHGSTATE(CON_CLOSE);
      }
      break;
    case CON_PASSWORD:
      if (L != CLIENT.GETPASSWD()) {
        CLIENT.SEND("erreur passe");
        CONSOLE("erreur commande:" + L);
        break;
      }
      CLIENT.SEND("en jeu");
      if (cJoueur* J = FINDPLAYER(CLIENT.GETNAME())) {
        CLIENT.FJOUEUR = J;
        CLIENT.CHGSTATE(CON_PLAYING);
      } else {
        NEWPLAYERDIALOGUE(CLIENT);
      }
      break;
    case CON_RACE: {
      int32_t RACEID = 0;
      try {
        RACEID = STRTOINT(L);
      } catch (const cConversionError&) {
        ASKRACE(CLIENT);
        break;
      }
      FINISHNEWPLAYER(CLIENT, RACEID);
      break;
    }
    case CON_PLAYING:
    case CON_CLOSE:
    case CON_DISCONNECT:
    case CON_CLOSING:
      break;
  }
  CLIENT.RESETCOMMAND();
}

cJoueur* FINDPLAYER(const std::string& NAME) {
  return JEUJOUEURS ? static_cast<cJoueur*>(JEUJOUEURS->SEARCH(NAME)) : nullptr;
}

void NEWPLAYERDIALOGUE(cClientInfos& CLIENT) {
  CONSOLE("personnage inexistant");
  auto J = std::make_unique<cJoueur>();
  if (!J->NEWPLAYER()) {
    // The client was told "en jeu" already: it is told the creation failed too
    // (no free champion is left), and its next line is a password again.
    CONSOLE("probleme de creation de perso");
    CLIENT.SEND("probleme de creation de perso");
    return;
  }
  J->FNAME = GSTRING(CLIENT.GETNAME());
  CLIENT.FJOUEUR = J.get();
  CLIENT.FNEWJOUEUR = std::move(J);
  CONSOLE("Creation du personnage");
  ASKRACE(CLIENT);
  CLIENT.CHGSTATE(CON_RACE);
}

void ASKRACE(cClientInfos& CLIENT) {
  cBuffer B;
  if (JEURACES) {
    JEURACES->SORT(sSortByUID);
    JEURACES->TOBUFFER(B);
  }
  CLIENT.SEND("Race :");
  CLIENT.SENDBUFFER(B);
}

void FINISHNEWPLAYER(cClientInfos& CLIENT, int32_t RACEID) {
  if (!CLIENT.FNEWJOUEUR) {
    return;
  }
  CLIENT.FNEWJOUEUR->CHGRACE(RACEID);
  cJoueur* J = static_cast<cJoueur*>(JEUJOUEURS->ADD(std::move(CLIENT.FNEWJOUEUR)));
  CLIENT.FJOUEUR = J;
  CLIENT.CHGSTATE(CON_PLAYING);
  cBuffer B;
  J->TOBUFFER(B);
  CLIENT.SENDBUFFER(B);
}
