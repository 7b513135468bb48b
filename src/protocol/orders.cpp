#include "protocol/orders.h"

#include <array>
#include <string_view>

#include "base/coords.h"
#include "base/strutils.h"
#include "forces/batiment.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "players/joueur.h"
#include "protocol/interpreter.h"

namespace {

constexpr std::array<std::string_view, 3> BUILDHELP{"RETURN BUILD HELP", "BUILD [BAT_NAME] [X,Y]",
                                                    "END RETURN"};

constexpr std::array<std::string_view, 4> RECRUITHELP{"RETURN RECRUIT HELP", "RECRUIT AVAIL [X,Y]",
                                                      "RECRUIT [NB_TROOPS] [NAME_TROOP] [X,Y]",
                                                      "END RETURN"};

constexpr std::array<std::string_view, 6> ORDERHELP{
    "RETURN ORDER HELP",
    "ORDER [CHAMPION] MOVE [X,Y]",
    "ORDER [CHAMPION] GET #[NUM_TROOP]",
    "ORDER [CHAMPION] GET #[NUM_TROOP] [NUM_LINE]",
    "ORDER [CHAMPION] DROP [X_POS_TROOP_INARMY,Y_POS_TROOP_INARMY,]",
    "END RETURN"};

// The last line of a refused or finished block.
void ENDBLOCK(std::string_view LINE = {}) {
  if (!LINE.empty()) {
    BUF->WRITELN(std::string(LINE));
  }
  BUF->WRITELN("END RETURN");
}

// "NAME AT X,Y": what BUILD and RECRUIT repeat of a command they carried out.
std::string NAMEAT(std::string_view KEYWORD, const std::string& NAME, int32_t X, int32_t Y) {
  return FORMAT("%s %s AT %s", KEYWORD, NAME, COORDTOSTRING(X, Y));
}

}  // namespace

void INTERPRET_BUILD(cSession& C, const std::string& COMMAND) {
  if (COMMAND.empty() || COMMAND == "HELP") {
    WRITELINES(BUILDHELP);
    return;
  }
  BUF->WRITELN("RETURN BUILD BATIMENT");
  tParams VALUES;
  if (!GETPARAM(COMMAND, "%str %int,%int", VALUES)) {
    ENDBLOCK("ERREUR DE COMMANDE: BUILD [NOM] [X,Y]");
    return;
  }
  const std::string NAME = PARAMSTR(VALUES, 0);
  const int32_t X = PARAMINT(VALUES, 1);
  const int32_t Y = PARAMINT(VALUES, 2);
  cBatiment* MODEL = JEUBATIMENTS ? JEUBATIMENTS->SEARCHBATIMENT(GSTRING(NAME)) : nullptr;
  if (MODEL == nullptr) {
    ENDBLOCK("NOM DE BATIMENT INVALIDE");
    return;
  }
  // Whether the construction starts or not, the player's messages say.
  if (C.FJOUEUR != nullptr) {
    C.FJOUEUR->CONSTRUCTIONS->BUILDNEWBATIMENT(MODEL, COORDMAP(X, Y));
  }
  ENDBLOCK(NAMEAT("BUILD", NAME, X, Y));
}

void INTERPRET_RECRUIT(cSession& C, const std::string& COMMAND) {
  if (COMMAND.empty() || COMMAND == "HELP") {
    WRITELINES(RECRUITHELP);
    return;
  }
  tParams VALUES;
  if (GETPARAM(COMMAND, "AVAIL %int,%int", VALUES)) {
    BUF->WRITELN("RETURN RECRUIT AVAIL");
    if (C.FJOUEUR != nullptr) {
      C.FJOUEUR->GETAVAILRECRUIT(*BUF, PARAMINT(VALUES, 0), PARAMINT(VALUES, 1));
    }
    ENDBLOCK();
    return;
  }
  BUF->WRITELN("RETURN RECRUIT TROOPS");
  if (!GETPARAM(COMMAND, "%int %str %int,%int", VALUES)) {
    ENDBLOCK("ERREUR DE COMMANDE");
    return;
  }
  const int32_t NB = PARAMINT(VALUES, 0);
  const std::string NAME = PARAMSTR(VALUES, 1);
  const int32_t X = PARAMINT(VALUES, 2);
  const int32_t Y = PARAMINT(VALUES, 3);
  cCreature* MODEL = JEUCREATURES ? JEUCREATURES->SEARCHCREATURE(GSTRING(NAME)) : nullptr;
  if (MODEL == nullptr) {
    ENDBLOCK("NOM D'UNITE INVALIDE");
    return;
  }
  // The number of troops is checked by the recruitment, which tells the player.
  if (C.FJOUEUR != nullptr) {
    C.FJOUEUR->RECRUTEMENTS->BUILDNEWCREATURE(NB, MODEL, COORDMAP(X, Y));
  }
  ENDBLOCK(NAMEAT("RECRUIT", NAME, X, Y));
}

void INTERPRET_ORDER(cSession& C, const std::string& COMMAND) {
  std::string REST = COMMAND;
  const std::string NAME = STRTOK(REST, ' ');
  // The champion is looked up before anything else, help included.
  cChampionPosition* CHAMPION = C.FJOUEUR != nullptr && C.FJOUEUR->CHAMPIONS != nullptr
                                    ? C.FJOUEUR->CHAMPIONS->FIND(GSTRING(NAME))
                                    : nullptr;
  // "ORDER", "ORDER HELP" and "ORDER <anyone> HELP" all ask for the help.
  if (REST.empty() || REST == "HELP") {
    WRITELINES(ORDERHELP);
    return;
  }
  if (CHAMPION == nullptr) {
    ENDBLOCK("ERROR: CHAMPION UNKNOWN");
    return;
  }
  cJoueur& P = *C.FJOUEUR;
  tParams VALUES;
  if (GETPARAM(REST, "MOVE %int,%int", VALUES)) {
    BUF->WRITELN("RETURN ORDER MOVE");
    CHAMPION->MOVETO(COORDMAP(PARAMINT(VALUES, 0), PARAMINT(VALUES, 1)), false);
    ENDBLOCK();
  }
  // The patterns below differ in their number of words: at most one matches.
  BUF->WRITELN("RETURN ORDER COMMAND");
  if (GETPARAM(REST, "GET #%int", VALUES)) {
    P.GETCREATURE(PARAMINT(VALUES, 0), *CHAMPION, 1);
  }
  if (GETPARAM(REST, "GET #%int %int", VALUES)) {
    P.GETCREATURE(PARAMINT(VALUES, 0), *CHAMPION, PARAMINT(VALUES, 1));
  }
  if (GETPARAM(REST, "DROP %int,%int", VALUES)) {
    P.DROPCREATURE(*CHAMPION, PARAMINT(VALUES, 0), PARAMINT(VALUES, 1));
  }
  ENDBLOCK();
}
