#include "entities/race.h"

#include "base/errors.h"

std::unique_ptr<cListeRaces> JEURACES;

void cRace::FROMSTRING(std::string_view S) {
  std::string REST(S.empty() ? S : S.substr(1));
  FUID = STRTOINT(STRTOK(REST, ':'));
  FNAME = GSTRING(REST);
}

bool cListeRaces::LOADRACES() {
  cBuffer B(NMINIFILE);
  if (B.LOADFAILED()) {
    return false;
  }
  READWITHCONTEXT(B, [this](cBuffer& IN) {
    IN.REWIND();
    while (IN.GETCURRENT() != IN.READCOUNT()) {
      const std::string LINE = IN.READLN();
      if (!LINE.empty() && LINE[0] == ';') {
        continue;
      }
      auto R = std::make_unique<cRace>();
      R->FROMSTRING(GSTRING(LINE));
      ADD(std::move(R));
    }
  });
  return true;
}

cRace* FINDRACE(std::string_view NAME) {
  return JEURACES ? dynamic_cast<cRace*>(JEURACES->SEARCH(GSTRING(NAME))) : nullptr;
}
