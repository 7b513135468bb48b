#include "protocol/get.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/coords.h"
#include "base/strutils.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "entities/ressource.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "protocol/interpreter.h"
#include "tavern/tavern.h"
#include "world/terrain.h"

namespace {

constexpr std::array<std::string_view, 21> GETHELP{"RETURN GET HELP",
                                                   "GET GAME [KEYWORD]",
                                                   "GET ALL",
                                                   "TROOPS VISIBLES",
                                                   "TROOPS",
                                                   "BUILDINGS",
                                                   "BUILDINGS VISIBLES",
                                                   "RECRUITMENTS",
                                                   "CONSTRUCTIONS",
                                                   "CHAMPIONS VISIBLES",
                                                   "CHAMPIONS",
                                                   "MAP",
                                                   "RESSOURCES",
                                                   "TAVERN",
                                                   "SQUARES",
                                                   "SQUARE [X,Y]",
                                                   "MAPPED",
                                                   "ENEMY CHAMPIONS",
                                                   "ENEMY TROOPS",
                                                   "ENEMY BUILDINGS",
                                                   "END RETURN"};

constexpr std::array<std::string_view, 7> GETGAMEHELP{
    "RETURN GET GAME HELP", "GET GAME RESSOURCES",       "GET GAME RACES", "GET GAME LANDS",
    "GET GAME CLASSES",     "GET GAME TROOP [ID_TROOP]", "END RETURN"};

// One framed block: the header, what REPORT writes, "END RETURN".
template <class REPORTER>
void WRITEBLOCK(const std::string& HEADER, REPORTER&& REPORT) {
  BUF->WRITELN(HEADER);
  REPORT(*BUF);
  BUF->WRITELN("END RETURN");
}

// A catalogue's list record, or nothing when the catalogue does not exist.
template <class LIST>
void WRITECATALOGUE(const std::string& HEADER, LIST* CATALOGUE) {
  WRITEBLOCK(HEADER, [CATALOGUE](cBuffer& B) {
    if (CATALOGUE != nullptr) {
      CATALOGUE->TOBUFFER(B);
    }
  });
}

// What P sees of one kind of piece, its own included.
void WRITEVISIBLE(const std::string& HEADER, sTypeMobile KIND, const cJoueur& P) {
  WRITEBLOCK(HEADER, [KIND, &P](cBuffer& B) {
    if (JEUJOUEURS != nullptr) {
      JEUJOUEURS->VISIBLEMOBILES(KIND, B, P, false);
    }
  });
}

// What P sees of the other players' pieces of one kind.
void WRITEENEMIES(const std::string& HEADER, sTypeMobile KIND, const cJoueur& P) {
  WRITEBLOCK(HEADER, [KIND, &P](cBuffer& B) {
    if (JEUJOUEURS != nullptr) {
      JEUJOUEURS->ENEMIESMOBILES(KIND, B, P);
    }
  });
}

// How a query's text is told in the command: the same text, the same words
// whatever the spaces between them, or a pattern whose values it fills.
enum sMatch : uint8_t { sSameText, sSameWords, sPattern };

// One query of a GET family: its text, how it is matched, and what it writes
// for SUBJECT (the client's player, or the session for the rule catalogues)
// with the values a pattern took.
template <class SUBJECT>
struct tQuery {
  std::string_view TEXT;
  sMatch MATCH;
  void (*ANSWER)(SUBJECT& S, const tParams& VALUES);
};

template <class SUBJECT>
bool MATCHES(const tQuery<SUBJECT>& Q, const std::string& COMMAND, tParams& VALUES) {
  switch (Q.MATCH) {
    case sSameText:
      return COMMAND == Q.TEXT;
    case sSameWords:
      return TESTPATTERN(COMMAND, std::string(Q.TEXT));
    case sPattern:
      return GETPARAM(COMMAND, std::string(Q.TEXT), VALUES);
  }
  return false;
}

// Tests every query of QUERIES against COMMAND on its own, in table order, and
// answers each that matches.
template <class SUBJECT, std::size_t N>
void ANSWERQUERIES(const std::array<tQuery<SUBJECT>, N>& QUERIES, const std::string& COMMAND,
                   SUBJECT& S) {
  for (const auto& Q : QUERIES) {
    tParams VALUES;
    if (MATCHES(Q, COMMAND, VALUES)) {
      Q.ANSWER(S, VALUES);
    }
  }
}

// The queries about the client's own player.
const std::array<tQuery<cJoueur>, 19> PLAYERQUERIES{{
    {"ALL", sSameText,
     [](cJoueur& P, const tParams&) {
       WRITEBLOCK("RETURN PLAYER INFOS", [&P](cBuffer& B) { P.TOBUFFER(B); });
     }},
    {"TROOPS VISIBLES", sSameText,
     [](cJoueur& P, const tParams&) { WRITEVISIBLE("RETURN VISIBLE TROOPS", sCreature, P); }},
    {"TROOPS", sSameText,
     [](cJoueur& P, const tParams&) { WRITECATALOGUE("RETURN TROOPS", P.TROUPES.get()); }},
    {"BUILDINGS", sSameText,
     [](cJoueur& P, const tParams&) { WRITECATALOGUE("RETURN BUILDINGS", P.VILLES.get()); }},
    {"BUILDINGS VISIBLES", sSameText,
     [](cJoueur& P, const tParams&) { WRITEVISIBLE("RETURN VISIBLE BUILDINGS", sVille, P); }},
    {"RECRUITMENTS", sSameText,
     [](cJoueur& P, const tParams&) {
       WRITECATALOGUE("RETURN RECRUITMENTS", P.RECRUTEMENTS.get());
     }},
    {"CONSTRUCTIONS", sSameText,
     [](cJoueur& P, const tParams&) {
       WRITECATALOGUE("RETURN CONSTRUCTIONS", P.CONSTRUCTIONS.get());
     }},
    {"CHAMPIONS VISIBLES", sSameText,
     [](cJoueur& P, const tParams&) { WRITEVISIBLE("RETURN VISIBLE CHAMPIONS", sChampion, P); }},
    {"CHAMPIONS", sSameText,
     [](cJoueur& P, const tParams&) { WRITECATALOGUE("RETURN CHAMPIONS", P.CHAMPIONS.get()); }},
    {"MAP", sSameText,
     [](cJoueur& P, const tParams&) {
       WRITEBLOCK("RETURN MAP", [&P](cBuffer& B) { P.CARTE.TOBUFFER(B); });
     }},
    {"RESSOURCES", sSameText,
     [](cJoueur& P, const tParams&) {
       WRITEBLOCK("RETURN PLAYER RESSOURCES",
                  [&P](cBuffer& B) { B.WRITELN(P.CAPITAL.TOSTRING()); });
     }},
    {"TAVERN", sSameText,
     [](cJoueur&, const tParams&) { WRITECATALOGUE("RETURN TAVERN", JEUTAVERN.get()); }},
    {"SQUARES", sSameText,
     [](cJoueur& P, const tParams&) {
       WRITEBLOCK("RETURN KNOWN SQUARES", [&P](cBuffer& B) { P.SQUARESTOBUFFER(B); });
     }},
    {"SQUARE %int,%int", sPattern,
     [](cJoueur& P, const tParams& VALUES) {
       const tcoordMap AT = COORDMAP(PARAMINT(VALUES, 0), PARAMINT(VALUES, 1));
       WRITEBLOCK("RETURN KNOWN SQUARES", [&P, AT](cBuffer& B) { P.SQUARETOBUFFER(B, AT); });
     }},
    {"MAPPED", sSameText,
     [](cJoueur& P, const tParams&) {
       WRITEBLOCK("RETURN KNOWN MAPPED SQUARES", [&P](cBuffer& B) { P.MAPPEDSQUARESTOBUFFER(B); });
     }},
    {"ENEMY CHAMPIONS", sSameWords,
     [](cJoueur& P, const tParams&) {
       WRITEENEMIES("RETURN VISIBLE ENEMIES CHAMPIONS", sChampion, P);
     }},
    {"ENEMY TROOPS", sSameWords,
     [](cJoueur& P, const tParams&) {
       WRITEENEMIES("RETURN VISIBLE ENEMIES TROOPS", sCreature, P);
     }},
    {"ENEMY BUILDINGS", sSameWords,
     [](cJoueur& P, const tParams&) {
       WRITEENEMIES("RETURN VISIBLE ENEMIES BUILDINGS", sVille, P);
     }},
    {"LOG", sSameWords,
     [](cJoueur& P, const tParams&) {
       WRITEBLOCK("RETURN LOG", [&P](cBuffer& B) { B.DUMP(P.OUTPUT); });
     }},
}};

// The rule catalogues.
const std::array<tQuery<cSession>, 6> GAMEQUERIES{{
    {"RESSOURCES", sSameText,
     [](cSession&, const tParams&) {
       WRITECATALOGUE("RETURN GAME RESSOURCES", JEURESSOURCES.get());
     }},
    {"RACES", sSameText,
     [](cSession&, const tParams&) { WRITECATALOGUE("RETURN GAME RACES", JEURACES.get()); }},
    {"GRID", sSameText,
     [](cSession&, const tParams&) {
       // The grid answers under the races' header; clients tell it by "WIDTH:".
       WRITEBLOCK("RETURN GAME RACES", [](cBuffer& B) {
         B.WRITELN("WIDTH:%d", TXMAP);
         B.WRITELN("HEIGHT:%d", TYMAP);
       });
     }},
    {"LANDS", sSameText,
     [](cSession&, const tParams&) { WRITECATALOGUE("RETURN GAME LANDS", JEUTERRAINS.get()); }},
    {"CLASSES", sSameText,
     [](cSession&, const tParams&) { WRITECATALOGUE("RETURN GAME CLASSES", JEUCLASSES.get()); }},
    {"TROOP #%int", sPattern,
     [](cSession&, const tParams& VALUES) {
       // An identifier that no creature has gives the block with nothing inside.
       WRITEBLOCK("RETURN TROOP INFOS", [&VALUES](cBuffer& B) {
         cMobile* CREATURE = JEUCREATURES ? JEUCREATURES->SEARCH(PARAMINT(VALUES, 0)) : nullptr;
         if (CREATURE != nullptr) {
           CREATURE->TOBUFFER(B);
         }
       });
     }},
}};

}  // namespace

void INTERPRET_GET(cSession& C, const std::string& COMMAND) {
  if (COMMAND.empty() || COMMAND == "HELP") {
    WRITELINES(GETHELP);
    return;
  }
  std::string REST = COMMAND;
  if (REST.starts_with("GAME")) {
    REST = AFTERTOKEN(REST, ' ');
    INTERPRET_GET_GAME(C, REST);
  }
  // The queries about the client's own player are tested against REST, so that
  // "GET GAME TROOPS" answers like "GET TROOPS". Every row is tested on its own.
  if (C.FJOUEUR == nullptr) {
    return;
  }
  ANSWERQUERIES(PLAYERQUERIES, REST, *C.FJOUEUR);
}

void INTERPRET_GET_GAME(cSession& C, const std::string& COMMAND) {
  if (COMMAND.empty() || COMMAND == "HELP") {
    WRITELINES(GETGAMEHELP);
    return;
  }
  // Every row is tested on its own; at most one matches.
  ANSWERQUERIES(GAMEQUERIES, COMMAND, C);
}
