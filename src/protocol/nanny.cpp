#include "protocol/nanny.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "base/console.h"
#include "base/errors.h"
#include "base/strutils.h"
#include "entities/race.h"
#include "players/joueur.h"
#include "protocol/interpreter.h"

namespace {

// How long a session waits before its next line is taken, after WRONG wrong
// passwords: nothing for the first two, then a quarter of a second, doubled at
// every further mistake up to four seconds.
uint32_t PASSWORDDELAY(int32_t WRONG) {
  if (WRONG < 3) {
    return 0;
  }
  return 250u << std::min(WRONG - 3, 4);
}

// The race question: "Race :" and the races in identifier order.
void ASKRACE(cSession& CLIENT) {
  cBuffer B;
  if (JEURACES) {
    JEURACES->SORT(sSortByUID);
    JEURACES->TOBUFFER(B);
  }
  CLIENT.SEND("Race :");
  CLIENT.SENDBUFFER(B);
}

// The right password was given and no player has the account's name.
void NEWPLAYERDIALOGUE(cSession& CLIENT) {
  CONSOLE("personnage inexistant");
  const std::string NAME = GSTRING(CLIENT.GETNAME());
  // One account, one player: while another connection of the account is at
  // the race question, this one is told so and may give its password again.
  if (JEUJOUEURS && !JEUJOUEURS->RESERVE(NAME)) {
    CONSOLE("personnage en cours de creation");
    CLIENT.SEND("personnage en cours de creation");
    return;
  }
  auto J = std::make_unique<cJoueur>();
  if (!JEUJOUEURS || !J->NEWPLAYER()) {
    if (JEUJOUEURS) {
      JEUJOUEURS->RELEASE(NAME);
    }
    // The client was told "en jeu" already: it is told the creation failed too
    // (no free champion is left), and its next line is a password again.
    CONSOLE("probleme de creation de perso");
    CLIENT.SEND("probleme de creation de perso");
    return;
  }
  J->FNAME = NAME;
  CLIENT.FJOUEUR = J.get();
  CLIENT.FNEWJOUEUR = std::move(J);
  CONSOLE("Creation du personnage");
  ASKRACE(CLIENT);
  CLIENT.CHGSTATE(CON_RACE);
}

// The race line of a session in CON_RACE: a race of the catalogue makes the
// new player join the game; any other answer asks again.
void CHOOSERACE(cSession& CLIENT, const std::string& LINE) {
  int32_t RACEID = 0;
  try {
    RACEID = STRTOINT(LINE);
  } catch (const cConversionError&) {
    ASKRACE(CLIENT);
    return;
  }
  // With no race at all in the catalogue, no answer could be right: the
  // player then joins without a race.
  const bool NORACES = !JEURACES || JEURACES->ISEMPTY();
  if (!CLIENT.FNEWJOUEUR || (!NORACES && JEURACES->FIND(RACEID) == nullptr)) {
    ASKRACE(CLIENT);
    return;
  }
  std::unique_ptr<cJoueur> NEW = CLIENT.TAKENEWJOUEUR();
  NEW->CHGRACE(RACEID);
  // Identifiers are given as the player joins: two players created at the
  // same time never get the same one.
  NEW->FUID = JEUJOUEURS->FINDAVAILUID();
  cJoueur* J = JEUJOUEURS->ADD(std::move(NEW));
  CLIENT.FJOUEUR = J;
  CLIENT.CHGSTATE(CON_PLAYING);
  cBuffer B;
  J->TOBUFFER(B);
  CLIENT.SENDBUFFER(B);
}

// A wrong password: said to the client and on the console (without the text
// tried, which is often a real password mistyped), and the session waits
// longer after each mistake beyond the second.
void WRONGPASSWORD(cSession& CLIENT) {
  CLIENT.SEND("erreur passe");
  CONSOLE("erreur commande:");
  ++CLIENT.FWRONGPASSWORDS;
  const uint32_t DELAY = PASSWORDDELAY(CLIENT.FWRONGPASSWORDS);
  if (DELAY > 0) {
    CLIENT.HOLDUNTIL(CLIENT.LINETICK() + DELAY);
  }
}

}  // namespace

void NANNY(cSession& CLIENT) {
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
        WRONGPASSWORD(CLIENT);
        break;
      }
      CLIENT.SEND("en jeu");
      if (cJoueur* J = FINDJOUEUR(CLIENT.GETNAME())) {
        CLIENT.FJOUEUR = J;
        CLIENT.CHGSTATE(CON_PLAYING);
      } else {
        NEWPLAYERDIALOGUE(CLIENT);
      }
      break;
    case CON_RACE:
      CHOOSERACE(CLIENT, L);
      break;
    case CON_PLAYING:
    case CON_CLOSE:
    case CON_DISCONNECT:
    case CON_CLOSING:
      break;
  }
  CLIENT.RESETCOMMAND();
}

bool PLAYLINE(cSession& CLIENT, std::string& WHY) {
  try {
    if (CLIENT.FSTATE != CON_PLAYING) {
      NANNY(CLIENT);
    } else {
      CONSOLE(CLIENT.FCOMMAND);
      // Whatever the command, the next save pass compares the player's record.
      if (CLIENT.FJOUEUR != nullptr) {
        CLIENT.FJOUEUR->MARKCHANGED();
      }
      INTERPRETER(CLIENT);
    }
    return true;
  } catch (const std::exception& E) {
    WHY = E.what();
    CLIENT.RESETCOMMAND();
    return false;
  }
}
