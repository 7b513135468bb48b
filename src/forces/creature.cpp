#include "forces/creature.h"

#include "base/errors.h"
#include "base/loader.h"
#include "forces/costs.h"

std::unique_ptr<cListeCreatures> JEUCREATURES;

cCreature::cCreature() : cMobileCaracts(CARACTSCREATURES.get()) {}

void cCreature::TOBUFFER(cBuffer& OUTPUT) {
  OUTPUT.WRITELN("#%d", FUID);
  OUTPUT.WRITELN(FNAME);
  OUTPUT.WRITELN("race:" + (RACE != nullptr ? RACE->FNAME : std::string()));
  OUTPUT.WRITELN("turns:%d", FNBTOURSNEC);
  OUTPUT.WRITELN("nbUnites:%d", FNBUNITS);
  OUTPUT.WRITELN("ressNec:" + RESSNEC.TOSTRING());
  OUTPUT.WRITELN("ressParTour:" + RESSPARTOUR.TOSTRING());
  OUTPUT.WRITELN("ressProd:" + RESSPROD.TOSTRING());
  OUTPUT.WRITELN("caracts:" + FCARACTS.TOSTRING());
}

void cCreature::FROMBUFFER(cBuffer& INPUT) {
  const std::string FIRSTLINE = INPUT.READLN();
  FUID = STRTOINT(FIRSTLINE.empty() ? FIRSTLINE : FIRSTLINE.substr(1));
  FNAME = LOWERCASE(GSTRING(INPUT.READLN()));
  RACE = FINDRACE(INPUT.READAFTERTOKEN(':'));
  FNBTOURSNEC = static_cast<uint8_t>(static_cast<uint32_t>(STRTOINT(INPUT.READAFTERTOKEN(':'))));
  const std::string UNITS = INPUT.READAFTERTOKEN(':');
  const int32_t NBUNITS = STRTOINT(UNITS);
  // A troop counts its creatures: a negative count would make nonsense troops.
  if (NBUNITS < 0) {
    throw LOADERROR(INPUT, INPUT.GETCURRENT(), UNITS, "creatures per troop cannot be negative");
  }
  FNBUNITS = static_cast<uint32_t>(NBUNITS);
  RESSNEC.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSPARTOUR.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  RESSPROD.FROMSTRING(INPUT.READAFTERTOKEN(':'));
  FCARACTS.FROMSTRING(INPUT.READAFTERTOKEN(':'));
}

bool cListeCreatures::LOADCREATURES() {
  return LOADDATAFILE(NMINIFILE, [this](cBuffer& IN) {
    FOREACHBLOCK(IN, [this](cBuffer& RECORD, const std::string& /*FIRSTLINE*/) {
      RECORD.PREVIOUS();
      auto C = std::make_unique<cCreature>();
      C->FROMBUFFER(RECORD);
      CALCULRESSPARTOUR(*C);
      ADD(std::move(C));
    });
  });
}

void cListeCreatures::CALCULRESSPARTOUR(cCreature& CREATURE) {
  CALCULCOSTSCHEDULE(CREATURE.RESSNEC, CREATURE.FRESSPARTOUR, CREATURE.FNBTOURSNEC);
}

cCreature* cListeCreatures::SEARCHCREATURE(std::string_view NAME) {
  return FIND(GSTRING(NAME));
}
