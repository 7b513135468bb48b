#include "forces/championpos.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/errors.h"
#include "base/loader.h"
#include "base/random.h"
#include "base/strutils.h"
#include "forces/proprietaire.h"
#include "forces/troupe.h"
#include "world/grid.h"
#include "world/terrain.h"
#include "world/world.h"

tBattleLinks BATTLELINKS;

int16_t MOVECOSTAT(tcoordMap POSITION) {
  const cSquareMemory* SQUARE = WORLDMAP != nullptr ? WORLDMAP->GETSQUARE(POSITION) : nullptr;
  if (SQUARE == nullptr) {
    CONSOLE("No world square at " + COORDTOSTRING(POSITION) + ": leaving it costs nothing");
    return 0;
  }
  const cTerrain* TERRAIN = JEUTERRAINS ? JEUTERRAINS->WITHID(SQUARE->TYPETERRAIN) : nullptr;
  if (TERRAIN == nullptr) {
    CONSOLE("Square " + COORDTOSTRING(POSITION) + " has unknown terrain " +
            std::to_string(SQUARE->TYPETERRAIN) + ": leaving it costs nothing");
    return 0;
  }
  return static_cast<int16_t>(TERRAIN->FNEEDMOVE);
}

cChampionPosition::cChampionPosition() : cMobilePosition(-1, "dummy", nullptr) {}

cChampionPosition::cChampionPosition(cChampion* MODELE)
    : cMobilePosition(MODELE != nullptr ? MODELE->FUID : -1,
                      MODELE != nullptr ? std::string_view(MODELE->FNAME) : "dummy", MODELE) {
  if (MODELE != nullptr) {
    MODELE->STATE = sChampionInGame;
  }
}

cChampionPosition::~cChampionPosition() = default;

cProprietaire* cChampionPosition::JOUEUR() const {
  return MODELE() != nullptr ? MODELE()->FJOUEUR : nullptr;
}

int32_t cChampionPosition::GETATTACK() const {
  return MODELE() != nullptr ? MODELE()->GETATTACK() : 1;
}
int32_t cChampionPosition::GETDEFENSE() const {
  return MODELE() != nullptr ? MODELE()->GETDEFENSE() : 0;
}
int32_t cChampionPosition::GETVIT() const {
  return MODELE() != nullptr ? MODELE()->GETVIT() : 0;
}
int32_t cChampionPosition::GETPDV() const {
  return MODELE() != nullptr ? MODELE()->GETPDV() : 0;
}
const cCaractMob* cChampionPosition::GETCARACT(std::string_view NAME) const {
  return MODELE() != nullptr ? MODELE()->GETCARACT(NAME) : nullptr;
}

int32_t cChampionPosition::GETPUISSANCE() const {
  return static_cast<int32_t>(std::clamp<int64_t>(
      WIDEPUISSANCE(), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t cChampionPosition::WIDEPUISSANCE() const {
  const int64_t CHAMPIONPART = static_cast<int64_t>(GETATTACK()) + GETDEFENSE();
  int64_t TOTAL = 0;
  for (int32_t Y = 1; Y <= cArmee::NBLINES; ++Y) {
    for (int32_t X = 1; const cCreaturePosition* T = ARMEES.GETARMEE(X, Y); ++X) {
      // Each term stays below 2^51 (16-bit values, a 32-bit count); the lines
      // of a guard army have no bound on their length, so the sum is held.
      const int64_t UNIT = static_cast<int64_t>(T->GETATTACK()) + T->GETDEFENSE() +
                           5 * static_cast<int64_t>(T->GETVIT()) + T->GETPDV() + CHAMPIONPART;
      const int64_t TERM = UNIT * T->FNBTROUPES;
      constexpr int64_t HIGH = std::numeric_limits<int64_t>::max();
      if (TERM > 0 && TOTAL > HIGH - TERM) {
        TOTAL = HIGH;
      } else if (TERM < 0 && TOTAL < -HIGH - TERM) {
        TOTAL = -HIGH;
      } else {
        TOTAL += TERM;
      }
    }
  }
  return TOTAL;
}

void cChampionPosition::TELL(const std::string& LINE) const {
  if (cProprietaire* J = JOUEUR()) {
    J->OUTPUT.WRITELN(LINE);
  }
}

bool cChampionPosition::MOVETO(tcoordMap C, bool /*FORCE*/) {
  MOVEMENTS.clear();
  // A champion off the map has no square to walk from.
  if (!INMAP(C) || !INMAP(FPOSITION)) {
    TELL("ERROR: INVALID COORDS");
    return false;
  }
  const cCaractMob* DEPL = GETCARACT("depl");
  if (DEPL == nullptr) {
    TELL("ERROR: NO MOVEMENTS CARACT");
    return false;
  }
  std::vector<tcoordMap> LINE = LINEGRID(FPOSITION, C);
  MOVEMENTS.assign(LINE.begin() + 1, LINE.end());
  MVNECEXIT = MOVECOSTAT(FPOSITION);
  MVCURCAPITAL = std::max<int16_t>(DEPL->VALUE, 0);
  ENDMOVE = C;
  return true;
}

std::optional<tcoordMap> cChampionPosition::GETNEXTMOVE() {
  if (MOVEMENTS.empty()) {
    return std::nullopt;
  }
  const tcoordMap NEXT = MOVEMENTS.front();
  MOVEMENTS.pop_front();
  return NEXT;
}

sResultMove cChampionPosition::MOVE() {
  if (MOVEMENTS.empty()) {
    return stNotMoving;
  }
  const cCaractMob* DEPL = GETCARACT("depl");
  MVCURCAPITAL = DEPL != nullptr ? std::max<int16_t>(DEPL->VALUE, 0) : 0;
  while (!MOVEMENTS.empty() && MVCURCAPITAL >= MVNECEXIT) {
    MVCURCAPITAL = static_cast<int16_t>(MVCURCAPITAL - MVNECEXIT);
    const tcoordMap FROM = FPOSITION;
    const tcoordMap TO = *GETNEXTMOVE();
    cProprietaire* J = JOUEUR();
    const bool INPLAY = J != nullptr && J->CHAMPIONS != nullptr && J->CHAMPIONS->INDEXOF(this) >= 0;
    RELOCATE(TO, true);
    TELL(FORMAT("Deplacement de %s : %s -> %s", FNAME, COORDTOSTRING(FROM), COORDTOSTRING(TO)));
    // A battle on the way may have ended the champion's life: it walks no further.
    if (INPLAY && (J->CHAMPIONS == nullptr || J->CHAMPIONS->INDEXOF(this) < 0)) {
      return stNotMoving;
    }
  }
  if (!MOVEMENTS.empty()) {
    MVNECEXIT = static_cast<int16_t>(MVNECEXIT - MVCURCAPITAL);
    MVCURCAPITAL = 0;
    return stMoving;
  }
  ENDMOVE = COORDMAP(-1, -1);
  return stArrived;
}

std::unique_ptr<cChampionPosition> cChampionPosition::FROMMAP() {
  cProprietaire* J = JOUEUR();
  if (J == nullptr || J->CHAMPIONS == nullptr || J->CHAMPIONS->INDEXOF(this) < 0) {
    return nullptr;
  }
  return J->CHAMPIONS->EXTRACT(this);
}

cChampionPosition* cChampionPosition::TOMAP(std::unique_ptr<cChampionPosition>& CHAMPION,
                                            tcoordMap POSITION, bool TESTWAR) {
  if (CHAMPION == nullptr) {
    return nullptr;
  }
  cChampionPosition* C = CHAMPION.get();
  C->SETPOSITION(POSITION);
  cProprietaire* J = C->JOUEUR();
  if (J != nullptr && J->CHAMPIONS != nullptr) {
    J->CHAMPIONS->ADD(std::move(CHAMPION));
  }
  C->ARRIVE(TESTWAR);
  return C;
}

void cChampionPosition::ARRIVE(bool TESTWAR) {
  RUNCARACTS("scout");
  MVNECEXIT = MOVECOSTAT(FPOSITION);
  if (TESTWAR && BATTLELINKS.TESTWAR != nullptr) {
    BATTLELINKS.TESTWAR(*this);
  }
}

void cChampionPosition::RELOCATE(tcoordMap POSITION, bool TESTWAR) {
  std::unique_ptr<cChampionPosition> HELD = FROMMAP();
  if (HELD != nullptr) {
    TOMAP(HELD, POSITION, TESTWAR);
    return;
  }
  // Not in its owner's list: it moves, and whoever holds it keeps it.
  SETPOSITION(POSITION);
  ARRIVE(TESTWAR);
}

void cChampionPosition::RUNCARACTS(std::string_view NAMECARACT) {
  const cCaractMob* C = GETCARACT(NAMECARACT);
  cProprietaire* J = JOUEUR();
  if (C == nullptr || C->CARACT == nullptr || C->CARACT->ABCARACT != "scout" || J == nullptr) {
    return;
  }
  const int32_t R = C->VALUE;
  if (R < 0 || !INMAP(FPOSITION)) {
    return;
  }
  const int32_t X0 = std::max(1, FPOSITION.X - R);
  const int32_t X1 = std::min(TXMAP, FPOSITION.X + R);
  const int32_t Y0 = std::max(1, FPOSITION.Y - R);
  const int32_t Y1 = std::min(TYMAP, FPOSITION.Y + R);
  for (int32_t X = X0; X <= X1; ++X) {
    for (int32_t Y = Y0; Y <= Y1; ++Y) {
      J->CARTE.ADD(X, Y);
    }
  }
}

std::unique_ptr<cChampionPosition> cChampionPosition::ASSIGNPLAYER(cProprietaire* JOUEUR) {
  if (MODELE() == nullptr) {
    return nullptr;
  }
  if (FPOSITION.X == -1) {
    MODELE()->FJOUEUR = JOUEUR;
    return nullptr;
  }
  const tcoordMap HERE = FPOSITION;
  std::unique_ptr<cChampionPosition> HELD = FROMMAP();
  MODELE()->FJOUEUR = JOUEUR;
  if (HELD != nullptr) {
    TOMAP(HELD, HERE, false);
    return HELD;
  }
  RELOCATE(HERE, false);
  return nullptr;
}

void cChampionPosition::DROPTROUPES() {
  cProprietaire* J = JOUEUR();
  if (J == nullptr || J->TROUPES == nullptr) {
    return;
  }
  for (int32_t Y = 1; Y <= cArmee::NBLINES; ++Y) {
    cListeTroupes& LINE = ARMEES.LINE(Y);
    while (!LINE.ISEMPTY()) {
      std::unique_ptr<cCreaturePosition> T = LINE.EXTRACT(LINE.ITEM(0));
      T->SETPOSITION(FPOSITION);
      J->TROUPES->ADD(std::move(T));
    }
  }
}

void cChampionPosition::FLEE() {
  if (!INMAP(FPOSITION)) {
    return;
  }
  // (0, 0) is always a valid draw, so the loop ends.
  int32_t DX = 2;
  int32_t DY = 2;
  while (!INMAP(FPOSITION.X + DX, FPOSITION.Y + DY) || (DX == 2 && DY == 2)) {
    DX = RANDOMGEN().RANDOM(5) - 2;
    DY = RANDOMGEN().RANDOM(5) - 2;
  }
  RELOCATE(COORDMAP(FPOSITION.X + DX, FPOSITION.Y + DY), true);
}

void cChampionPosition::TOBUFFER(cBuffer& OUTPUT) {
  if (MODELE() != nullptr) {
    MODELE()->TOBUFFER(OUTPUT);
  } else {
    // No catalogue champion: a bare record keeps the file's shape.
    cChampion BARE;
    BARE.FUID = FUID;
    BARE.FNAME = FNAME;
    BARE.TOBUFFER(OUTPUT);
  }
  OUTPUT.WRITELN("position:" + COORDTOSTRING(FPOSITION));
  OUTPUT.WRITELN("moveTo:" + COORDTOSTRING(ENDMOVE));
  ARMEES.TOBUFFER(OUTPUT);
}

void cChampionPosition::FROMBUFFER(cBuffer& INPUT) {
  if (MODELE() != nullptr) {
    MODELE()->FROMBUFFER(INPUT, true);
    FUID = MODELE()->FUID;
    FNAME = MODELE()->FNAME;
  } else {
    cChampion BARE;
    BARE.FROMBUFFER(INPUT, true);
  }
  SETPOSITION(COORDFROMSTRING(AFTERTOKEN(INPUT.READLN(), ':')));
  ENDMOVE = COORDFROMSTRING(AFTERTOKEN(INPUT.READLN(), ':'));
  MOVEMENTS.clear();
  MVCURCAPITAL = 0;
  MVNECEXIT = 0;
  if (ENDMOVE.X != -1) {
    MOVETO(ENDMOVE);
  }
  ARMEES.FROMBUFFER(INPUT);
}

cListeChampionsPosition::cListeChampionsPosition(std::string NAME)
    : tListeOf("champions"), NMINIFILE(std::move(NAME)) {}

std::unique_ptr<cMobilePosition> cListeChampionsPosition::NEW(int32_t UID) {
  return NEWPIECE<cChampionPosition>(UID);
}

std::unique_ptr<cMobile> cListeChampionsPosition::INPUTMOBILE(cBuffer& INPUT) {
  const std::string FIRSTLINE = INPUT.READLN();
  const int32_t UID = STRTOINT(FIRSTLINE.empty() ? FIRSTLINE : FIRSTLINE.substr(1));
  INPUT.PREVIOUS();
  cChampion* MODELE = JEUCHAMPIONS != nullptr ? JEUCHAMPIONS->FIND(UID) : nullptr;
  if (MODELE == nullptr) {
    throw LOADERROR(INPUT, INPUT.GETCURRENT() + 1, FIRSTLINE, "is not a champion of the catalogue");
  }
  auto C = std::make_unique<cChampionPosition>(MODELE);
  C->FROMBUFFER(INPUT);
  return C;
}

void cListeChampionsPosition::PASSTURN() {
  // Battles may take a champion out of play, or move it, while the turn runs.
  FOREACHHELD([](cChampionPosition& CHAMPION) { CHAMPION.MOVE(); });
}
