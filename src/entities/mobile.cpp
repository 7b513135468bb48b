#include "entities/mobile.h"

#include "entities/mobile_list.h"

namespace {
uint64_t NEXTSERIAL() {
  static uint64_t LAST = 0;
  return ++LAST;
}
}  // namespace

cMobile::cMobile() : FSERIAL(NEXTSERIAL()) {}

cMobile::cMobile(int32_t PUID, std::string_view PNAME)
    : FUID(PUID), FNAME(LOWERCASE(GSTRING(PNAME))), FSERIAL(NEXTSERIAL()) {}

cMobile::~cMobile() {
  FUID = -1;
  FNAME.clear();
}

void cMobile::TOBUFFER(cBuffer& OUTPUT) {
  OUTPUT.WRITELN("%d:%s", FUID, FNAME);
}

void cMobile::FROMBUFFER(cBuffer& INPUT) {
  const std::string LINE = INPUT.READLN();
  FUID = STRTOINT(BEFORETOKEN(LINE, ':'));
  FNAME = LOWERCASE(GSTRING(AFTERTOKEN(LINE, ':')));
}

void READNUMBEREDNAME(cMobile& M, std::string_view S) {
  std::string REST(S.empty() ? S : S.substr(1));
  M.FUID = STRTOINT(STRTOK(REST, ':'));
  M.FNAME = GSTRING(REST);
}

cMobilePosition::cMobilePosition() = default;

cMobilePosition::cMobilePosition(int32_t PUID, std::string_view PNAME, cMobile* MOBMODELE,
                                 cListeMobiles* MODELES)
    : cMobile(PUID, PNAME),
      FPOSITION{-1, -1},
      FINDEX(-1),
      LSTMODELES(MODELES),
      FMODELE(MOBMODELE) {}

cMobilePosition::cMobilePosition(cMobile* MOBMODELE)
    : cMobilePosition(-1, MOBMODELE != nullptr ? MOBMODELE->FNAME : std::string("dummy"),
                      MOBMODELE) {}

cMobilePosition::~cMobilePosition() {
  FMODELE = nullptr;
  FINDEX = -1;
  FPOSITION = {-1, -1};
}

void cMobilePosition::TOBUFFER(cBuffer& OUTPUT) {
  OUTPUT.WRITELN("#%d", FUID);
  // A piece always has its model when it is written; without one its own name
  // and the uid -1 keep the record readable instead of failing.
  if (FMODELE != nullptr) {
    OUTPUT.WRITELN("%s:%d", FMODELE->FNAME, FMODELE->FUID);
  } else {
    OUTPUT.WRITELN("%s:%d", FNAME, -1);
  }
  OUTPUT.WRITELN("position:%s", COORDTOSTRING(FPOSITION));
}

void cMobilePosition::FROMBUFFER(cBuffer& INPUT) {
  FROMBUFFER(INPUT, nullptr);
}

void cMobilePosition::FROMBUFFER(cBuffer& INPUT, cListeMobiles* MODELES) {
  const std::string IDLINE = INPUT.READLN();
  FUID = STRTOINT(IDLINE.empty() ? std::string_view() : std::string_view(IDLINE).substr(1));
  const std::string MODELLINE = INPUT.READLN();
  FNAME = GSTRING(BEFORETOKEN(MODELLINE, ':'));
  cListeMobiles* LIST = MODELES != nullptr ? MODELES : LSTMODELES;
  if (LIST != nullptr) {
    FMODELE = LIST->SEARCH(STRTOINT(AFTERTOKEN(MODELLINE, ':')));
  }
  SETPOSITION(COORDFROMSTRING(AFTERTOKEN(INPUT.READLN(), ':')));
}

void cMobilePosition::SETPOSITION(tcoordMap COORD) {
  FPOSITION = COORD;
  FINDEX = MAP2INDEX(COORD);
}
