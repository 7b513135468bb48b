#include "entities/race.h"

#include "base/errors.h"
#include "base/loader.h"

std::unique_ptr<cListeRaces> JEURACES;

void cRace::FROMSTRING(std::string_view S) {
  READNUMBEREDNAME(*this, S);
}

bool cListeRaces::LOADRACES() {
  return LOADDATAFILE(NMINIFILE, [this](cBuffer& IN) {
    FOREACHLINE(IN, [this](const std::string& LINE) {
      auto R = std::make_unique<cRace>();
      R->FROMSTRING(GSTRING(LINE));
      ADD(std::move(R));
    });
  });
}

cRace* FINDRACE(std::string_view NAME) {
  return JEURACES ? JEURACES->FIND(GSTRING(NAME)) : nullptr;
}
