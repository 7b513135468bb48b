#include "entities/caract.h"

#include "base/console.h"
#include "base/errors.h"
#include "base/loader.h"

std::unique_ptr<cListeCaracts> CARACTSCHAMPIONS;
std::unique_ptr<cListeCaracts> CARACTSCREATURES;
std::unique_ptr<cListeCaracts> CARACTSBATIMENTS;

std::string cCaract::TOSTRING() const {
  return FORMAT("#%d:%s-%s", FUID, FNAME, ABCARACT);
}

void cCaract::FROMSTRING(std::string_view PMSTR) {
  std::string REST(PMSTR.empty() ? PMSTR : PMSTR.substr(1));
  FUID = STRTOINT(STRTOK(REST, ':'));
  FNAME = GSTRING(STRTOK(REST, '-'));
  ABCARACT = GSTRING(REST);
}

bool cListeCaracts::LOADCARACTS() {
  return LOADDATAFILE(NMINIFILE, [this](cBuffer& IN) {
    FOREACHLINE(IN, [this, &IN](const std::string& LINE) {
      auto C = std::make_unique<cCaract>();
      C->FROMSTRING(LINE);
      CHECKFILEORDER(IN, IN.GETCURRENT(), LINE, C->FUID, COUNT());
      ADD(std::move(C));
    });
  });
}

int32_t cListeCaracts::ITERATIFSEARCH(std::string_view NAME) const {
  for (int32_t I = 0; I < COUNT(); ++I) {
    const cCaract* C = GETCARACT(I);
    if (SAMETEXT(C->ABCARACT, NAME) || SAMETEXT(C->FNAME, NAME)) {
      return I;
    }
  }
  return -1;
}

cCaract* cListeCaracts::SEARCH(std::string_view NAME) const {
  const int32_t I = ITERATIFSEARCH(NAME);
  return I < 0 ? nullptr : GETCARACT(I);
}

std::string cListeCaractsMob::TOSTRING() const {
  std::string R;
  for (const cCaractMob& V : FLSTCARACTS) {
    if (!R.empty()) {
      R += '-';
    }
    R += (V.CARACT != nullptr ? V.CARACT->ABCARACT : std::string()) + ":" + std::to_string(V.VALUE);
  }
  return R;
}

namespace {
// Takes the next item "name:value" off S. The '-' that separates items can also
// be the sign of a value, so a '-' right after the ':' belongs to the value.
void NEXTITEM(std::string& S, std::string& NAME, std::string& VALUE) {
  const auto NAMEEND = S.find_first_of(":-");
  if (NAMEEND == std::string::npos || S[NAMEEND] == '-') {
    // An item without a value.
    NAME = S.substr(0, NAMEEND);
    VALUE.clear();
    S = NAMEEND == std::string::npos ? std::string() : S.substr(NAMEEND + 1);
    return;
  }
  NAME = S.substr(0, NAMEEND);
  const std::size_t VALUESTART = NAMEEND + 1;
  const std::size_t SEARCHFROM =
      (VALUESTART < S.size() && S[VALUESTART] == '-') ? VALUESTART + 1 : VALUESTART;
  const auto VALUEEND = S.find('-', SEARCHFROM);
  if (VALUEEND == std::string::npos) {
    VALUE = S.substr(VALUESTART);
    S.clear();
  } else {
    VALUE = S.substr(VALUESTART, VALUEEND - VALUESTART);
    S = S.substr(VALUEEND + 1);
  }
}
}  // namespace

void cListeCaractsMob::FROMSTRING(std::string PMSTR) {
  FLSTCARACTS.clear();
  while (!PMSTR.empty() && PMSTR != "none") {
    std::string NAME;
    std::string VALUETEXT;
    NEXTITEM(PMSTR, NAME, VALUETEXT);
    NAME = GSTRING(NAME);
    const int32_t VALUE = STRTOINT(VALUETEXT);
    cCaract* C = FREFLSTCARACTS != nullptr ? FREFLSTCARACTS->SEARCH(NAME) : nullptr;
    if (C == nullptr) {
      CONSOLE("ERREUR: caractsMob.loadCaract:" + NAME +
              " :: " + (FREFLSTCARACTS != nullptr ? FREFLSTCARACTS->NMINIFILE : std::string()));
      continue;
    }
    ADD(C, static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(VALUE))));
  }
}

const cCaractMob* cListeCaractsMob::GET(std::string_view NMCARACT) const {
  for (const cCaractMob& V : FLSTCARACTS) {
    if (V.CARACT != nullptr &&
        (SAMETEXT(V.CARACT->FNAME, NMCARACT) || SAMETEXT(V.CARACT->ABCARACT, NMCARACT))) {
      return &V;
    }
  }
  return nullptr;
}

int32_t GETCARACTMOB(const cListeCaractsMob& CARACTS, std::string_view CARACT, int32_t DEFAULT) {
  const cCaractMob* V = CARACTS.GET(CARACT);
  return V != nullptr ? V->VALUE : DEFAULT;
}
