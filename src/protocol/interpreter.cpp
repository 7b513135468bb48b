#include "protocol/interpreter.h"

#include <array>

#include "base/errors.h"
#include "base/strutils.h"
#include "players/joueur.h"
#include "protocol/get.h"
#include "protocol/orders.h"

std::unique_ptr<cBuffer> BUF;

namespace {

// The keywords in the order of the top-level help.
const std::array<tCommandEntry, 7> COMMANDS{{
    {"ADMIN", "ADMIN [KEYWORD]", INTERPRET_ADMIN},
    {"SERVER", "SERVER [KEYWORD]", INTERPRET_SERVER},
    {"GET", "GET [KEYWORD]", INTERPRET_GET},
    {"BUILD", "BUILD [KEYWORD]", INTERPRET_BUILD},
    {"RECRUIT", "RECRUIT [KEYWORD]", INTERPRET_RECRUIT},
    {"ORDER", "ORDER [KEYWORD]", INTERPRET_ORDER},
    {"TURN", "TURN [NB_TURNS]", TURNCOMMAND},
}};

void WRITEHELP() {
  BUF->WRITELN("RETURN HELP");
  for (const auto& E : COMMANDS) {
    BUF->WRITELN(std::string(E.HELPLINE));
  }
  BUF->WRITELN("END RETURN");
}

}  // namespace

void INTERPRETER(cSession& CLIENT) {
  if (!BUF) {
    BUF = std::make_unique<cBuffer>();
  }
  BUF->CLEAR();
  std::string V2 = UPPERCASE(CLIENT.FCOMMAND);
  const std::string V1 = STRTOK(V2, ' ');
  if (V1 == "HELP") {
    WRITEHELP();
  } else {
    for (const auto& E : COMMANDS) {
      if (V1 == E.KEYWORD) {
        if (E.HANDLER != nullptr) {
          E.HANDLER(CLIENT, V2);
        }
        break;
      }
    }
  }
  if (BUF->READCOUNT() > 0) {
    CLIENT.SENDBUFFER(*BUF);
  }
  CLIENT.RESETCOMMAND();
}

void INTERPRET_ADMIN(cSession& C, const std::string& COMMAND) {
  if (COMMAND == "SHUTDOWN") {
    C.SEND("stop");
  }
}

void INTERPRET_SERVER(cSession& C, const std::string& COMMAND) {
  if (COMMAND.empty() || COMMAND == "HELP") {
    BUF->WRITELN("RETURN SERVER HELP");
    BUF->WRITELN("WHOAMI");
    BUF->WRITELN("QUIT");
    BUF->WRITELN("END RETURN");
  } else if (COMMAND == "WHOAMI") {
    C.SEND(C.GETNAME());
  } else if (COMMAND == "QUIT") {
    C.SEND("Bye bye");
    C.CHGSTATE(CON_CLOSING);
  }
}

void TURNCOMMAND(cSession& C, const std::string& COMMAND) {
  BUF->WRITELN("TURN PASSED");
  int32_t N = 0;
  try {
    N = STRTOINT(COMMAND);
  } catch (const cConversionError&) {
    BUF->WRITELN("erreur: nombre de tours invalide, aucun tour joue");
    N = 0;
  }
  // A client in play without a player (before players exist) passes no turn
  // and has no messages.
  if (C.FJOUEUR != nullptr) {
    PASSPLAYERTURNS(*C.FJOUEUR, N, *BUF);
  }
  BUF->WRITELN("END RETURN");
}

void PASSPLAYERTURNS(cJoueur& J, int32_t N, cBuffer& OUT) {
  // Once no turn is left, one more attempt writes the refusal and the rest are
  // not tried: a large N costs no more than the turns the player has.
  for (int32_t I = 0; I < N; ++I) {
    const bool NONELEFT = J.AVAILTURNS <= 0;
    J.PASSTURN();
    if (NONELEFT) {
      break;
    }
  }
  OUT.DUMP(J.OUTPUT);
}
