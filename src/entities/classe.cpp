#include "entities/classe.h"

#include "base/errors.h"
#include "base/loader.h"
#include "entities/caract.h"

std::unique_ptr<cListeClasses> JEUCLASSES;

cClasse::cClasse()
    : FCARACTSPRINC(static_cast<std::size_t>(CARACTSCHAMPIONS ? CARACTSCHAMPIONS->COUNT() : 0),
                    false) {}

void cClasse::FROMBUFFER(cBuffer& INPUT) {
  const std::string FIRSTLINE = INPUT.READLN();
  std::string REST = FIRSTLINE.empty() ? FIRSTLINE : FIRSTLINE.substr(1);
  FUID = STRTOINT(STRTOK(REST, ':'));
  FNAME = GSTRING(REST);
  ENDURANCE.ASSIGN(INPUT.READAFTERTOKEN(':'));
  WISDOM.ASSIGN(INPUT.READAFTERTOKEN(':'));
  CARACTSPRINCFROMSTRING(INPUT.READAFTERTOKEN(':'));
}

void cClasse::CARACTSPRINCFROMSTRING(std::string S) {
  while (!S.empty() && S != "none") {
    const std::string NAME = STRTOK(S, '-');
    const cCaract* C = CARACTSCHAMPIONS ? CARACTSCHAMPIONS->SEARCH(NAME) : nullptr;
    if (C == nullptr || C->FUID < 0) {
      continue;
    }
    // A catalogue numbered past its size still gets its flag.
    const auto INDEX = static_cast<std::size_t>(C->FUID);
    if (INDEX >= FCARACTSPRINC.size()) {
      FCARACTSPRINC.resize(INDEX + 1, false);
    }
    FCARACTSPRINC[INDEX] = true;
  }
}

bool cClasse::ISPRINCIPAL(std::string_view NAME) const {
  const cCaract* C = CARACTSCHAMPIONS ? CARACTSCHAMPIONS->SEARCH(NAME) : nullptr;
  return C != nullptr && C->FUID >= 0 && static_cast<std::size_t>(C->FUID) < FCARACTSPRINC.size() &&
         FCARACTSPRINC[static_cast<std::size_t>(C->FUID)];
}

bool cListeClasses::LOADCLASSES() {
  return LOADDATAFILE(NMINIFILE, [this](cBuffer& IN) {
    FOREACHBLOCK(IN, [this](cBuffer& RECORD, const std::string& /*FIRSTLINE*/) {
      RECORD.PREVIOUS();
      auto C = std::make_unique<cClasse>();
      C->FROMBUFFER(RECORD);
      ADD(std::move(C));
    });
  });
}

cClasse* FINDCLASSE(std::string_view NAME) {
  return JEUCLASSES ? JEUCLASSES->FIND(GSTRING(NAME)) : nullptr;
}
