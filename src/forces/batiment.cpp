#include "forces/batiment.h"

#include <algorithm>
#include <set>

#include "base/errors.h"
#include "base/loader.h"
#include "forces/costs.h"
#include "forces/creature.h"

std::unique_ptr<cListeBatiments> JEUBATIMENTS;
int32_t ULNBBATIMENTS = 0;

cBatiment::cBatiment() : cMobileCaracts(CARACTSBATIMENTS.get()) {}

std::string cBatiment::BATIMENTSNECTOSTRING() const {
  return BATIMENTSNECTOSTRING(JEUBATIMENTS.get());
}

std::string cBatiment::BATIMENTSNECTOSTRING(cListeBatiments* CATALOGUE) const {
  std::string R;
  for (std::size_t I = 0; I < BATNEC.size(); ++I) {
    if (!BATNEC[I] || CATALOGUE == nullptr) {
      continue;
    }
    const cBatiment* B = CATALOGUE->BATIMENTBYUID(static_cast<int32_t>(I));
    if (B == nullptr) {
      continue;
    }
    if (!R.empty()) {
      R += '-';
    }
    R += B->FNAME;
  }
  return R.empty() ? "none" : R;
}

void cBatiment::BATIMENTSNECFROMSTRING(std::string PMSTR) {
  BATIMENTSNECFROMSTRING(std::move(PMSTR), JEUBATIMENTS.get());
}

void cBatiment::BATIMENTSNECFROMSTRING(std::string PMSTR, cListeBatiments* CATALOGUE) {
  BATNEC.assign(static_cast<std::size_t>(std::max(ULNBBATIMENTS, 0)), false);
  while (!PMSTR.empty() && PMSTR != "none") {
    const std::string NAME = STRTOK(PMSTR, '-');
    const cBatiment* B = CATALOGUE != nullptr ? CATALOGUE->SEARCHBATIMENT(NAME) : nullptr;
    if (B != nullptr && B->FUID >= 0 && static_cast<std::size_t>(B->FUID) < BATNEC.size()) {
      BATNEC[static_cast<std::size_t>(B->FUID)] = true;
    }
  }
}

bool cBatiment::REQUIRES(int32_t UID) const {
  return UID >= 0 && static_cast<std::size_t>(UID) < BATNEC.size() &&
         BATNEC[static_cast<std::size_t>(UID)];
}

bool cBatiment::REQUIRESANY() const {
  return std::find(BATNEC.begin(), BATNEC.end(), true) != BATNEC.end();
}

void cBatiment::TOBUFFER(cBuffer& OUTPUT) {
  OUTPUT.WRITELN("#%d", FUID);
  OUTPUT.WRITELN(FNAME);
  OUTPUT.WRITELN("race:" + (RACENEC != nullptr ? RACENEC->FNAME : std::string()));
  OUTPUT.WRITELN("batNec:" + BATIMENTSNECTOSTRING());
  OUTPUT.WRITELN("turns:%d", FNBTOURSNEC);
  OUTPUT.WRITELN("caracts:" + FCARACTS.TOSTRING());
  OUTPUT.WRITELN("ressNec:" + RESSNEC.TOSTRING());
  OUTPUT.WRITELN("ressTerrain:" + RESSSURTERRAIN.TOSTRING());
  OUTPUT.WRITELN("ressJoueur:" + RESSSURJOUEUR.TOSTRING());
  OUTPUT.WRITELN("ressProd:" + RESSPRODUITES.TOSTRING());
  OUTPUT.WRITELN("recruit:" + (FRECRUIT != nullptr ? FRECRUIT->FNAME : std::string("none")));
}

void cBatiment::FROMBUFFER(cBuffer& INPUT) {
  FROMBUFFER(INPUT, JEUBATIMENTS.get());
}

void cBatiment::FROMBUFFER(cBuffer& INPUT, cListeBatiments* CATALOGUE) {
  const std::string FIRSTLINE = INPUT.READLN();
  FUID = STRTOINT(FIRSTLINE.empty() ? FIRSTLINE : FIRSTLINE.substr(1));
  FNAME = LOWERCASE(GSTRING(INPUT.READLN()));
  if (FPRELOADING) {
    return;
  }
  RACENEC = FINDRACE(INPUT.READAFTERTOKEN(':'));
  BATIMENTSNECFROMSTRING(INPUT.READAFTERTOKEN(':'), CATALOGUE);
  FNBTOURSNEC = static_cast<int16_t>(
      static_cast<uint16_t>(static_cast<uint32_t>(STRTOINT(INPUT.READAFTERTOKEN(':')))));
  FCARACTS.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSNEC.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSSURTERRAIN.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSSURJOUEUR.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSPRODUITES.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  const std::string RECRUIT = INPUT.READAFTERTOKEN(':');
  FRECRUIT = (RECRUIT == "none" || !JEUCREATURES) ? nullptr : JEUCREATURES->SEARCHCREATURE(RECRUIT);
}

void cListeBatiments::PRELOADBATIMENTS(cBuffer& BUFFER) {
  ULNBBATIMENTS = 0;
  FOREACHBLOCK(BUFFER, [this](cBuffer& RECORD, const std::string& /*FIRSTLINE*/) {
    ++ULNBBATIMENTS;
    auto B = std::make_unique<cBatiment>();
    RECORD.PREVIOUS();
    B->FROMBUFFER(RECORD, this);
    B->PRELOADING(false);
    ADD(std::move(B));
  });
}

bool cListeBatiments::LOADBATIMENTS() {
  return LOADDATAFILE(NMINIFILE, [this](cBuffer& IN) {
    PRELOADBATIMENTS(IN);
    // Requirements are flags indexed by identifier: identifiers must be exactly
    // 0 .. n - 1, or a flag would stand for the wrong building or none at all.
    std::set<int32_t> SEEN;
    FOREACHBLOCK(IN, [&SEEN](cBuffer& RECORD, const std::string& FIRSTLINE) {
      const int32_t UID = STRTOINT(FIRSTLINE.substr(1));
      if (UID < 0 || UID >= ULNBBATIMENTS || !SEEN.insert(UID).second) {
        throw LOADERROR(RECORD, RECORD.GETCURRENT(), FIRSTLINE,
                        "gives building identifier " + std::to_string(UID) + ", not one of 0 to " +
                            std::to_string(ULNBBATIMENTS - 1) + " used once");
      }
    });
    FOREACHBLOCK(IN, [this](cBuffer& RECORD, const std::string& FIRSTLINE) {
      const int32_t RECORDLINE = RECORD.GETCURRENT();
      RECORD.PREVIOUS();
      cBatiment* BAT = BATIMENTBYUID(STRTOINT(FIRSTLINE.substr(1)));
      BAT->FROMBUFFER(RECORD, this);
      if (BAT->FNBTOURSNEC < 0) {
        throw LOADERROR(RECORD, RECORDLINE + 4, std::to_string(BAT->FNBTOURSNEC),
                        "turns for building " + BAT->FNAME + ": the number cannot be negative");
      }
      CALCULRESSPARTOUR(*BAT);
    });
  });
}

void cListeBatiments::CALCULRESSPARTOUR(cBatiment& BATIMENT) {
  CALCULCOSTSCHEDULE(BATIMENT.RESSNEC, BATIMENT.FRESSPARTOUR, BATIMENT.FNBTOURSNEC);
}

cBatiment* cListeBatiments::BATIMENTBYUID(int32_t UID) const {
  for (int32_t I = 0; I < COUNT(); ++I) {
    if (GET(I)->FUID == UID) {
      return ITEM(I);
    }
  }
  return nullptr;
}

cBatiment* cListeBatiments::SEARCHBATIMENT(std::string_view NAME) {
  return FIND(GSTRING(NAME));
}
