#include "server/nanny.h"

#include "base/console.h"
#include "base/errors.h"
#include "base/strutils.h"

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

// --- Seams for the players -------------------------------------------------
// Clients have no players yet: the player list, the race catalogue and the new
// player's set-up come with the players. Until then a right password leads to
// play with no player (FJOUEUR null), and CON_RACE is never reached.

cJoueur* FINDPLAYER(const std::string& /*NAME*/) {
  // With the player list: JEUJOUEURS->SEARCH(NAME).
  return nullptr;
}

void NEWPLAYERDIALOGUE(cClientInfos& CLIENT) {
  // With the players, this becomes: console "personnage inexistant"; create a
  // player and call its NEWPLAYER; on failure console "probleme de creation de
  // perso", discard it and stay in CON_PASSWORD; on success FJOUEUR := it, its
  // FNAME := the account's name, console "Creation du personnage", ASKRACE,
  // state CON_RACE.
  CLIENT.CHGSTATE(CON_PLAYING);
}

void ASKRACE(cClientInfos& CLIENT) {
  CLIENT.SEND("Race :");
  // With the race catalogue: JEURACES sorted by identifier, written into a new
  // buffer with TOBUFFER, and that buffer sent with SENDBUFFER.
}

void FINISHNEWPLAYER(cClientInfos& CLIENT, int32_t /*RACEID*/) {
  // With the players: FJOUEUR->CHGRACE(RACEID); FJOUEUR appended to JEUJOUEURS
  // (no sort); the player's record (TOBUFFER) sent with SENDBUFFER.
  CLIENT.CHGSTATE(CON_PLAYING);
}
