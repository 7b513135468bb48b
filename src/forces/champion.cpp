#include "forces/champion.h"

#include <fstream>
#include <set>
#include <stdexcept>

#include "base/errors.h"
#include "base/loader.h"
#include "base/random.h"

std::unique_ptr<cListeChampions> JEUCHAMPIONS;
tChampionLinks CHAMPIONLINKS;

std::string STATECHAMPIONTOSTRING(sStateChampion STATE) {
  for (const auto& A : ASSSTATECHAMPION) {
    if (A.VALUE == STATE) {
      return A.NAME;
    }
  }
  return {};
}

cChampion::cChampion() : cMobileCaracts(CARACTSCHAMPIONS.get()) {}

void cChampion::TOBUFFER(cBuffer& OUTPUT) {
  OUTPUT.WRITELN("#%d", FUID);
  OUTPUT.WRITELN(FNAME);
  OUTPUT.WRITELN("race:" + (RACE != nullptr ? RACE->FNAME : std::string()));
  OUTPUT.WRITELN("class:" + (FCLASSE != nullptr ? FCLASSE->FNAME : std::string()));
  OUTPUT.WRITELN("caracts:" + FCARACTS.TOSTRING());
  OUTPUT.WRITELN("ressNec:" + RESSNEC.TOSTRING());
  OUTPUT.WRITELN("ressMaintient:" + RESSPARTOUR.TOSTRING());
  OUTPUT.WRITELN("ressProduite:" + RESSPROD.TOSTRING());
  INGAMEVARIABLETOBUFFER(OUTPUT);
}

void cChampion::FROMBUFFER(cBuffer& INPUT, bool LOAD_EXTRA) {
  const std::string FIRSTLINE = INPUT.READLN();
  FUID = STRTOINT(FIRSTLINE.empty() ? FIRSTLINE : FIRSTLINE.substr(1));
  FNAME = LOWERCASE(GSTRING(INPUT.READLN()));
  RACE = FINDRACE(INPUT.READAFTERTOKEN(':'));
  FCLASSE = FINDCLASSE(INPUT.READAFTERTOKEN(':'));
  FCARACTS.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSNEC.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSPARTOUR.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSPROD.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  if (LOAD_EXTRA) {
    INGAMEVARIABLEFROMBUFFER(INPUT);
  }
}

void cChampion::INGAMEVARIABLETOBUFFER(cBuffer& OUTPUT) const {
  if (FJOUEUR == nullptr) {
    OUTPUT.WRITELN("no player");
  } else if (CHAMPIONLINKS.NAMEOFPLAYER == nullptr) {
    throw std::logic_error("champion " + FNAME + " has a player but no way to name it");
  } else {
    OUTPUT.WRITELN("player:" + CHAMPIONLINKS.NAMEOFPLAYER(*FJOUEUR));
  }
  OUTPUT.WRITELN(STATECHAMPIONTOSTRING(STATE));
  OUTPUT.WRITELN("exp:%d", EXPERIENCE);
  OUTPUT.WRITELN("niveau:%d", NIVEAU);
}

void cChampion::INGAMEVARIABLEFROMBUFFER(cBuffer& INPUT) {
  const std::string PLAYER = INPUT.READLN();
  if (PLAYER == "no player" || CHAMPIONLINKS.FINDPLAYER == nullptr) {
    FJOUEUR = nullptr;
  } else {
    FJOUEUR = CHAMPIONLINKS.FINDPLAYER(GSTRING(AFTERTOKEN(PLAYER, ':')));
  }
  const std::string STATETEXT = INPUT.READLN();
  for (const auto& A : ASSSTATECHAMPION) {
    if (STATETEXT == A.NAME) {
      STATE = A.VALUE;
    }
  }
  EXPERIENCE = STRTOINT(INPUT.READAFTERTOKEN(':'));
  NIVEAU = STRTOINT(INPUT.READAFTERTOKEN(':'));
}

cListeChampions::cListeChampions(const std::string& NAME1, const std::string& NAME2) {
  if (std::ifstream(NAME2).is_open()) {
    NMINIFILE = NAME2;
    STLOADING = stLoadLev0;
  } else {
    NMINIFILE = NAME1;
    STLOADING = stLoadInGame;
  }
}

bool cListeChampions::LOADCHAMPIONS() {
  return LOADDATAFILE(NMINIFILE, [this](cBuffer& IN) {
    std::set<int32_t> SEEN;
    FOREACHBLOCK(IN, [this, &SEEN](cBuffer& RECORD, const std::string& FIRSTLINE) {
      // The in-game file writes a champion on offer followed by the tavern's
      // lines, which begin with '#' and the same identifier: they describe the
      // offer, not a champion. Their other lines are skipped like any line
      // outside a record.
      if (STLOADING == stLoadInGame && SEEN.count(STRTOINT(FIRSTLINE.substr(1))) > 0) {
        return;
      }
      RECORD.PREVIOUS();
      auto C = std::make_unique<cChampion>();
      C->FROMBUFFER(RECORD, false);
      SEEN.insert(C->FUID);
      ADD(std::move(C));
    });
  });
}

cChampion* cListeChampions::CHOOSERANDOM() {
  bool ANYFREE = false;
  for (int32_t I = 0; I < COUNT() && !ANYFREE; ++I) {
    ANYFREE = ITEM(I)->ISFREE();
  }
  if (!ANYFREE) {
    return nullptr;
  }
  for (;;) {
    cChampion* C = ITEM(RANDOMGEN().RANDOM(COUNT()));
    if (C->ISFREE()) {
      return C;
    }
  }
}

void cListeChampions::TOBUFFER(cBuffer& OUTPUT) {
  for (int32_t I = 0; I < COUNT(); ++I) {
    cChampion* C = ITEM(I);
    C->TOBUFFER(OUTPUT);
    if (C->STATE == sChampionInTavern && CHAMPIONLINKS.TAVERNLINES != nullptr) {
      CHAMPIONLINKS.TAVERNLINES(*C, OUTPUT);
    }
  }
}

cChampion* cListeChampions::ASSIGN(std::unique_ptr<cChampion> MOBCHAMPION,
                                   cProprietaire* PMJOUEUR) {
  MOBCHAMPION->FJOUEUR = PMJOUEUR;
  cChampion* C = MOBCHAMPION.get();
  ADD(std::move(MOBCHAMPION));
  return C;
}
