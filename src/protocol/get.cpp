#include "protocol/get.h"

#include <array>
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
  cJoueur& P = *C.FJOUEUR;
  if (REST == "ALL") {
    WRITEBLOCK("RETURN PLAYER INFOS", [&P](cBuffer& B) { P.TOBUFFER(B); });
  }
  if (REST == "TROOPS VISIBLES") {
    WRITEVISIBLE("RETURN VISIBLE TROOPS", sCreature, P);
  }
  if (REST == "TROOPS") {
    WRITECATALOGUE("RETURN TROOPS", P.TROUPES.get());
  }
  if (REST == "BUILDINGS") {
    WRITECATALOGUE("RETURN BUILDINGS", P.VILLES.get());
  }
  if (REST == "BUILDINGS VISIBLES") {
    WRITEVISIBLE("RETURN VISIBLE BUILDINGS", sVille, P);
  }
  if (REST == "RECRUITMENTS") {
    WRITECATALOGUE("RETURN RECRUITMENTS", P.RECRUTEMENTS.get());
  }
  if (REST == "CONSTRUCTIONS") {
    WRITECATALOGUE("RETURN CONSTRUCTIONS", P.CONSTRUCTIONS.get());
  }
  if (REST == "CHAMPIONS VISIBLES") {
    WRITEVISIBLE("RETURN VISIBLE CHAMPIONS", sChampion, P);
  }
  if (REST == "CHAMPIONS") {
    WRITECATALOGUE("RETURN CHAMPIONS", P.CHAMPIONS.get());
  }
  if (REST == "MAP") {
    WRITEBLOCK("RETURN MAP", [&P](cBuffer& B) { P.CARTE.TOBUFFER(B); });
  }
  if (REST == "RESSOURCES") {
    WRITEBLOCK("RETURN PLAYER RESSOURCES", [&P](cBuffer& B) { B.WRITELN(P.CAPITAL.TOSTRING()); });
  }
  if (REST == "TAVERN") {
    WRITECATALOGUE("RETURN TAVERN", JEUTAVERN.get());
  }
  if (REST == "SQUARES") {
    WRITEBLOCK("RETURN KNOWN SQUARES", [&P](cBuffer& B) { P.SQUARESTOBUFFER(B); });
  }
  tParams VALUES;
  if (GETPARAM(REST, "SQUARE %int,%int", VALUES)) {
    const tcoordMap AT = COORDMAP(PARAMINT(VALUES, 0), PARAMINT(VALUES, 1));
    WRITEBLOCK("RETURN KNOWN SQUARES", [&P, AT](cBuffer& B) { P.SQUARETOBUFFER(B, AT); });
  }
  if (REST == "MAPPED") {
    WRITEBLOCK("RETURN KNOWN MAPPED SQUARES", [&P](cBuffer& B) { P.MAPPEDSQUARESTOBUFFER(B); });
  }
  if (TESTPATTERN(REST, "ENEMY CHAMPIONS")) {
    WRITEENEMIES("RETURN VISIBLE ENEMIES CHAMPIONS", sChampion, P);
  }
  if (TESTPATTERN(REST, "ENEMY TROOPS")) {
    WRITEENEMIES("RETURN VISIBLE ENEMIES TROOPS", sCreature, P);
  }
  if (TESTPATTERN(REST, "ENEMY BUILDINGS")) {
    WRITEENEMIES("RETURN VISIBLE ENEMIES BUILDINGS", sVille, P);
  }
  if (TESTPATTERN(REST, "LOG")) {
    WRITEBLOCK("RETURN LOG", [&P](cBuffer& B) { B.DUMP(P.OUTPUT); });
  }
}

void INTERPRET_GET_GAME(cSession& /*C*/, const std::string& COMMAND) {
  if (COMMAND.empty() || COMMAND == "HELP") {
    WRITELINES(GETGAMEHELP);
    return;
  }
  // Every row is tested on its own; at most one matches.
  if (COMMAND == "RESSOURCES") {
    WRITECATALOGUE("RETURN GAME RESSOURCES", JEURESSOURCES.get());
  }
  if (COMMAND == "RACES") {
    WRITECATALOGUE("RETURN GAME RACES", JEURACES.get());
  }
  if (COMMAND == "GRID") {
    // The grid answers under the races' header; clients tell it by "WIDTH:".
    WRITEBLOCK("RETURN GAME RACES", [](cBuffer& B) {
      B.WRITELN("WIDTH:%d", TXMAP);
      B.WRITELN("HEIGHT:%d", TYMAP);
    });
  }
  if (COMMAND == "LANDS") {
    WRITECATALOGUE("RETURN GAME LANDS", JEUTERRAINS.get());
  }
  if (COMMAND == "CLASSES") {
    WRITECATALOGUE("RETURN GAME CLASSES", JEUCLASSES.get());
  }
  tParams VALUES;
  if (GETPARAM(COMMAND, "TROOP #%int", VALUES)) {
    // An identifier that no creature has gives the block with nothing inside.
    WRITEBLOCK("RETURN TROOP INFOS", [&VALUES](cBuffer& B) {
      cMobile* CREATURE = JEUCREATURES ? JEUCREATURES->SEARCH(PARAMINT(VALUES, 0)) : nullptr;
      if (CREATURE != nullptr) {
        CREATURE->TOBUFFER(B);
      }
    });
  }
}
