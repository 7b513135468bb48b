#include "forces/armee.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "forces/creature.h"

cArmee::cArmee() = default;

cArmee::~cArmee() = default;

int32_t cArmee::FREELINE(int32_t LINE) const {
  if (LINE < 1 || LINE > NBLINES) {
    return 0;
  }
  for (int32_t Y = LINE; Y <= NBLINES; ++Y) {
    if (this->LINE(Y).COUNT() < MAXPERLINE) {
      return Y;
    }
  }
  return 0;
}

bool cArmee::ADD(std::unique_ptr<cCreaturePosition>& TROUPE, int32_t LINE) {
  const int32_t Y = FREELINE(LINE);
  if (TROUPE == nullptr || Y == 0) {
    return false;
  }
  this->LINE(Y).ADD(std::move(TROUPE));
  return true;
}

void cArmee::APPEND(std::unique_ptr<cCreaturePosition> TROUPE, int32_t LINE) {
  if (TROUPE != nullptr) {
    this->LINE(std::clamp(LINE, 1, NBLINES)).ADD(std::move(TROUPE));
  }
}

std::unique_ptr<cCreaturePosition> cArmee::REMOVE(const cCreaturePosition* TROUPE) {
  if (TROUPE == nullptr) {
    return nullptr;
  }
  for (cListeTroupes& L : FARMEE) {
    if (L.INDEXOF(TROUPE) >= 0) {
      return L.EXTRACT(TROUPE);
    }
  }
  return nullptr;
}

int32_t cArmee::GETCOUNT() const {
  int32_t N = 0;
  for (const cListeTroupes& L : FARMEE) {
    N += L.COUNT();
  }
  return N;
}

cCreaturePosition* cArmee::GETARMEE(int32_t X, int32_t Y) const {
  if (Y < 1 || Y > NBLINES || X < 1 || X > LINE(Y).COUNT()) {
    return nullptr;
  }
  return LINE(Y).ITEM(X - 1);
}

cListeTroupes& cArmee::LINE(int32_t Y) {
  return const_cast<cListeTroupes&>(std::as_const(*this).LINE(Y));
}

const cListeTroupes& cArmee::LINE(int32_t Y) const {
  if (Y < 1 || Y > NBLINES) {
    throw std::out_of_range("army line " + std::to_string(Y) + " (lines are 1 to " +
                            std::to_string(NBLINES) + ")");
  }
  return FARMEE[static_cast<std::size_t>(Y - 1)];
}

void cArmee::TOBUFFER(cBuffer& C) {
  for (int32_t Y = 1; Y <= NBLINES; ++Y) {
    cListeTroupes& L = LINE(Y);
    for (int32_t X = 1; X <= L.COUNT(); ++X) {
      L.GET(X - 1)->TOBUFFER(C);
      C.WRITELN("line:%d", Y);
      C.WRITELN("col:%d", X);
    }
  }
  C.WRITELN("endUnits");
}

void cArmee::FROMBUFFER(cBuffer& C) {
  // A record cut short ends the army at the end of the buffer instead of
  // reading empty lines for ever.
  while (!C.ISEOF()) {
    const std::string FIRSTLINE = C.READLN();
    if (FIRSTLINE.find("endUnits") != std::string::npos) {
      return;
    }
    const int32_t UID =
        STRTOINT(FIRSTLINE.empty() ? std::string_view() : std::string_view(FIRSTLINE).substr(1));
    const int32_t CREATUREID = STRTOINT(AFTERTOKEN(C.READLN(), ':'));
    C.READLN();  // the square: a troop in an army is off the map
    const int32_t NB = STRTOINT(C.READAFTERTOKEN(':'));
    const int32_t Y = STRTOINTERR(C.READAFTERTOKEN(':'), 0);
    C.READLN();  // the column: troops come back in the order they were written

    cCreature* CREATURE = JEUCREATURES != nullptr ? JEUCREATURES->FIND(CREATUREID) : nullptr;
    if (CREATURE == nullptr) {
      continue;  // a troop of a creature the game no longer has
    }
    auto TROUPE = std::make_unique<cCreaturePosition>(CREATURE);
    TROUPE->FUID = UID;
    TROUPE->SETPOSITION(tcoordMap{-1, -1});
    TROUPE->FNBTROUPES = NB;
    APPEND(std::move(TROUPE), Y);
  }
}
