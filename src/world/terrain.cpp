#include "world/terrain.h"

#include "base/errors.h"
#include "base/loader.h"
#include "entities/ressource.h"

std::unique_ptr<cListeTerrains> JEUTERRAINS;

cTerrain::cTerrain() : cMobile(0, ""), FDICERESS(static_cast<std::size_t>(NBRESSOURCES())) {}

void cTerrain::FROMBUFFER(cBuffer& INPUT) {
  const std::string IDLINE = INPUT.READLN();
  std::string REST = IDLINE.empty() ? IDLINE : IDLINE.substr(1);
  FUID = STRTOINT(STRTOK(REST, ':'));
  FNAME = GSTRING(REST);

  const int32_t MOVE = STRTOINT(AFTERTOKEN(INPUT.READLN(), ':'));
  FNEEDMOVE = static_cast<uint8_t>(static_cast<uint32_t>(MOVE));

  const std::string SIGNLINE = INPUT.READLN();
  const std::string SIGN = AFTERTOKEN(SIGNLINE, ':');
  if (SIGN.empty()) {
    throw LOADERROR(INPUT, INPUT.GETCURRENT(), SIGNLINE, "gives no map sign");
  }
  FSIGN = SIGN.substr(0, 1);

  for (auto& D : FDICERESS) {
    D = cDice(AFTERTOKEN(INPUT.READLN(), ':'));
  }
}

namespace {
// Name of the resource with identifier UID, without reordering the catalogue.
std::string RESSOURCENAME(std::size_t UID) {
  if (JEURESSOURCES) {
    for (int32_t I = 0; I < JEURESSOURCES->COUNT(); ++I) {
      const cMobile* R = JEURESSOURCES->GET(I);
      if (R->FUID >= 0 && static_cast<std::size_t>(R->FUID) == UID) {
        return R->FNAME;
      }
    }
  }
  return std::to_string(UID);
}
}  // namespace

void cTerrain::TOBUFFER(cBuffer& OUTPUT) {
  OUTPUT.WRITELN("#%d:%s", FUID, FNAME);
  OUTPUT.WRITELN("move:%d", FNEEDMOVE);
  OUTPUT.WRITELN("car:" + FSIGN);
  for (std::size_t I = 0; I < FDICERESS.size(); ++I) {
    OUTPUT.WRITELN(RESSOURCENAME(I) + ":" + FDICERESS[I].TOSTRING());
  }
}

const cDice& cTerrain::DICE(std::size_t I) const {
  static const cDice NODICE;
  return I < FDICERESS.size() ? FDICERESS[I] : NODICE;
}

bool cListeTerrains::LOADTERRAINS() {
  return LOADDATAFILE(NMINIFILE, [this](cBuffer& IN) {
    FOREACHBLOCK(IN, [this](cBuffer& RECORD, const std::string& FIRSTLINE) {
      const int32_t FIRSTLINENUMBER = RECORD.GETCURRENT();
      RECORD.PREVIOUS();
      auto T = std::make_unique<cTerrain>();
      T->FROMBUFFER(RECORD);
      CHECKFILEORDER(RECORD, FIRSTLINENUMBER, FIRSTLINE, T->FUID, COUNT());
      ADD(std::move(T));
    });
  });
}

cTerrain* cListeTerrains::TERRAINAT(int32_t POS) const {
  if (POS < 0 || POS >= COUNT()) {
    return nullptr;
  }
  return static_cast<cTerrain*>(GET(POS));
}

const cTerrain* cListeTerrains::WITHID(int32_t ID) const {
  for (int32_t I = 0; I < COUNT(); ++I) {
    if (GET(I)->FUID == ID) {
      return static_cast<const cTerrain*>(GET(I));
    }
  }
  return nullptr;
}
