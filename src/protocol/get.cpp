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

// A list's record, or nothing when the list does not exist.
template <class LIST>
void WRITELIST(LIST* L, cBuffer& B) {
  if (L != nullptr) {
    L->TOBUFFER(B);
  }
}

// What P sees of one kind of piece, its own included.
void WRITEVISIBLE(sTypeMobile KIND, const cJoueur& P, cBuffer& B) {
  if (JEUJOUEURS != nullptr) {
    JEUJOUEURS->VISIBLEMOBILES(KIND, B, P, false);
  }
}

// What P sees of the other players' pieces of one kind.
void WRITEENEMIES(sTypeMobile KIND, const cJoueur& P, cBuffer& B) {
  if (JEUJOUEURS != nullptr) {
    JEUJOUEURS->ENEMIESMOBILES(KIND, B, P);
  }
}

// How a query's text is told in the command: the same text, the same words
// whatever the spaces between them, or a pattern whose values it fills.
enum sMatch : uint8_t { sSameText, sSameWords, sPattern };

// One query of a GET family: its text and how it is matched, then its answer:
// a block of HEADER, what BODY writes for SUBJECT (the client's player, or the
// session for the rule catalogues) with the values a pattern took, and "END RETURN".
template <class SUBJECT>
struct tQuery {
  std::string_view TEXT;
  sMatch MATCH;
  std::string_view HEADER;
  void (*BODY)(SUBJECT& S, const tParams& VALUES, cBuffer& B);
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
      BUF->WRITELN(std::string(Q.HEADER));
      Q.BODY(S, VALUES, *BUF);
      BUF->WRITELN("END RETURN");
    }
  }
}

// The queries about the client's own player.
const std::array<tQuery<cJoueur>, 19> PLAYERQUERIES{{
    {"ALL", sSameText, "RETURN PLAYER INFOS",
     [](cJoueur& P, const tParams&, cBuffer& B) { P.TOBUFFER(B); }},
    {"TROOPS VISIBLES", sSameText, "RETURN VISIBLE TROOPS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITEVISIBLE(sCreature, P, B); }},
    {"TROOPS", sSameText, "RETURN TROOPS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITELIST(P.TROUPES.get(), B); }},
    {"BUILDINGS", sSameText, "RETURN BUILDINGS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITELIST(P.VILLES.get(), B); }},
    {"BUILDINGS VISIBLES", sSameText, "RETURN VISIBLE BUILDINGS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITEVISIBLE(sVille, P, B); }},
    {"RECRUITMENTS", sSameText, "RETURN RECRUITMENTS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITELIST(P.RECRUTEMENTS.get(), B); }},
    {"CONSTRUCTIONS", sSameText, "RETURN CONSTRUCTIONS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITELIST(P.CONSTRUCTIONS.get(), B); }},
    {"CHAMPIONS VISIBLES", sSameText, "RETURN VISIBLE CHAMPIONS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITEVISIBLE(sChampion, P, B); }},
    {"CHAMPIONS", sSameText, "RETURN CHAMPIONS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITELIST(P.CHAMPIONS.get(), B); }},
    {"MAP", sSameText, "RETURN MAP",
     [](cJoueur& P, const tParams&, cBuffer& B) { P.CARTE.TOBUFFER(B); }},
    {"RESSOURCES", sSameText, "RETURN PLAYER RESSOURCES",
     [](cJoueur& P, const tParams&, cBuffer& B) { B.WRITELN(P.CAPITAL.TOSTRING()); }},
    {"TAVERN", sSameText, "RETURN TAVERN",
     [](cJoueur&, const tParams&, cBuffer& B) { WRITELIST(JEUTAVERN.get(), B); }},
    {"SQUARES", sSameText, "RETURN KNOWN SQUARES",
     [](cJoueur& P, const tParams&, cBuffer& B) { P.SQUARESTOBUFFER(B); }},
    {"SQUARE %int,%int", sPattern, "RETURN KNOWN SQUARES",
     [](cJoueur& P, const tParams& VALUES, cBuffer& B) {
       P.SQUARETOBUFFER(B, COORDMAP(PARAMINT(VALUES, 0), PARAMINT(VALUES, 1)));
     }},
    {"MAPPED", sSameText, "RETURN KNOWN MAPPED SQUARES",
     [](cJoueur& P, const tParams&, cBuffer& B) { P.MAPPEDSQUARESTOBUFFER(B); }},
    {"ENEMY CHAMPIONS", sSameWords, "RETURN VISIBLE ENEMIES CHAMPIONS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITEENEMIES(sChampion, P, B); }},
    {"ENEMY TROOPS", sSameWords, "RETURN VISIBLE ENEMIES TROOPS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITEENEMIES(sCreature, P, B); }},
    {"ENEMY BUILDINGS", sSameWords, "RETURN VISIBLE ENEMIES BUILDINGS",
     [](cJoueur& P, const tParams&, cBuffer& B) { WRITEENEMIES(sVille, P, B); }},
    {"LOG", sSameWords, "RETURN LOG",
     [](cJoueur& P, const tParams&, cBuffer& B) { B.DUMP(P.OUTPUT); }},
}};

// The rule catalogues.
const std::array<tQuery<cSession>, 6> GAMEQUERIES{{
    {"RESSOURCES", sSameText, "RETURN GAME RESSOURCES",
     [](cSession&, const tParams&, cBuffer& B) { WRITELIST(JEURESSOURCES.get(), B); }},
    {"RACES", sSameText, "RETURN GAME RACES",
     [](cSession&, const tParams&, cBuffer& B) { WRITELIST(JEURACES.get(), B); }},
    // The grid answers under the races' header; clients tell it by "WIDTH:".
    {"GRID", sSameText, "RETURN GAME RACES",
     [](cSession&, const tParams&, cBuffer& B) {
       B.WRITELN("WIDTH:%d", TXMAP);
       B.WRITELN("HEIGHT:%d", TYMAP);
     }},
    {"LANDS", sSameText, "RETURN GAME LANDS",
     [](cSession&, const tParams&, cBuffer& B) { WRITELIST(JEUTERRAINS.get(), B); }},
    {"CLASSES", sSameText, "RETURN GAME CLASSES",
     [](cSession&, const tParams&, cBuffer& B) { WRITELIST(JEUCLASSES.get(), B); }},
    // An identifier that no creature has gives the block with nothing inside.
    {"TROOP #%int", sPattern, "RETURN TROOP INFOS",
     [](cSession&, const tParams& VALUES, cBuffer& B) {
       cMobile* CREATURE = JEUCREATURES ? JEUCREATURES->SEARCH(PARAMINT(VALUES, 0)) : nullptr;
       if (CREATURE != nullptr) {
         CREATURE->TOBUFFER(B);
       }
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
