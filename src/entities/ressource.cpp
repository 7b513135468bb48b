#include "entities/ressource.h"

#include <algorithm>
#include <limits>

#include "base/errors.h"
#include "base/helpers.h"
#include "base/loader.h"

std::unique_ptr<cListeRessources> JEURESSOURCES;

int32_t NBRESSOURCES() {
  return JEURESSOURCES ? JEURESSOURCES->COUNT() : 0;
}

void cRessource::FROMSTRING(std::string_view S) {
  READNUMBEREDNAME(*this, S);
}

bool cListeRessources::LOADRESSOURCES() {
  return LOADDATAFILE(NMINIFILE, [this](cBuffer& IN) {
    FOREACHLINE(IN, [this, &IN](const std::string& LINE) {
      auto R = std::make_unique<cRessource>();
      R->FROMSTRING(GSTRING(LINE));
      CHECKFILEORDER(IN, IN.GETCURRENT(), LINE, R->FUID, COUNT());
      ADD(std::move(R));
    });
  });
}

cArrayRessources::cArrayRessources() : RESSOURCE(static_cast<std::size_t>(NBRESSOURCES()), 0) {}

void cArrayRessources::CLEAR() {
  std::fill(RESSOURCE.begin(), RESSOURCE.end(), 0);
}

void cArrayRessources::ADD(const cArrayRessources& A) {
  for (std::size_t I = 0; I < RESSOURCE.size() && I < A.RESSOURCE.size(); ++I) {
    RESSOURCE[I] = static_cast<uint16_t>(RESSOURCE[I] + A.RESSOURCE[I]);
  }
}

void cArrayRessources::ADDSATURATED(const cArrayRessources& A) {
  for (std::size_t I = 0; I < A.RESSOURCE.size(); ++I) {
    ADDSATURATED(I, A.RESSOURCE[I]);
  }
}

void cArrayRessources::ADDSATURATED(std::size_t I, uint16_t V) {
  if (I < RESSOURCE.size()) {
    const uint32_t SUM = uint32_t{RESSOURCE[I]} + uint32_t{V};
    RESSOURCE[I] =
        static_cast<uint16_t>(std::min<uint32_t>(SUM, std::numeric_limits<uint16_t>::max()));
  }
}

void cArrayRessources::SUB(const cArrayRessources& A) {
  for (std::size_t I = 0; I < RESSOURCE.size() && I < A.RESSOURCE.size(); ++I) {
    RESSOURCE[I] = static_cast<uint16_t>(RESSOURCE[I] - A.RESSOURCE[I]);
  }
}

namespace {
// Index of the resource named NAME in the arrays, or -1.
int32_t RESSINDEX(std::string_view NAME) {
  if (!JEURESSOURCES) {
    return -1;
  }
  const cMobile* R = JEURESSOURCES->SEARCH(NAME);
  return R != nullptr ? R->FUID : -1;
}
}  // namespace

uint16_t cArrayRessources::GETRESS(std::string_view NAME) const {
  const int32_t I = RESSINDEX(NAME);
  return (I >= 0 && static_cast<std::size_t>(I) < RESSOURCE.size())
             ? RESSOURCE[static_cast<std::size_t>(I)]
             : uint16_t{0};
}

void cArrayRessources::SETRESS(std::string_view NAME, uint16_t V) {
  const int32_t I = RESSINDEX(NAME);
  if (I >= 0 && static_cast<std::size_t>(I) < RESSOURCE.size()) {
    RESSOURCE[static_cast<std::size_t>(I)] = V;
  }
}

std::string cArrayRessources::TOSTRING() const {
  std::string R;
  for (std::size_t I = 0; I < RESSOURCE.size(); ++I) {
    if (I > 0) {
      R += '/';
    }
    R += std::to_string(RESSOURCE[I]);
  }
  return R;
}

void cArrayRessources::FROMSTRING(std::string S) {
  for (std::size_t I = 0; !S.empty() && I < RESSOURCE.size(); ++I) {
    const int32_t V = STRTOINTERR(STRTOK(S, '/'), 0);
    RESSOURCE[I] = static_cast<uint16_t>(static_cast<uint32_t>(V));
  }
}

namespace {
// An interval as a schedule holds it. Cutting it to its low bits would turn a
// long interval into a short one (65536 into 0, due every turn) and charge far
// more than the price: out-of-range values are held at the nearer end instead.
uint16_t TURNCOUNT(int32_t TURNS) {
  return static_cast<uint16_t>(std::clamp<int32_t>(TURNS, 0, std::numeric_limits<uint16_t>::max()));
}
}  // namespace

cRessParTour::cRessParTour() : CTRLRESSTOUR(static_cast<std::size_t>(NBRESSOURCES())) {}

void cRessParTour::CALCUL(int32_t IDX, int32_t RESSOURCE, int32_t NBTOURS) {
  if (IDX < 0 || static_cast<std::size_t>(IDX) >= CTRLRESSTOUR.size()) {
    return;
  }
  const int32_t G = PGCD(RESSOURCE, NBTOURS);
  auto& E = CTRLRESSTOUR[static_cast<std::size_t>(IDX)];
  if (G == 0) {
    // Nothing to pay over no turn: no installment.
    E.RESSOURCE = 0;
    E.TOURS = 0;
    return;
  }
  E.RESSOURCE = static_cast<uint16_t>(static_cast<uint32_t>(RESSOURCE / G));
  E.TOURS = TURNCOUNT(NBTOURS / G);
}

void cRessParTour::REFRESH(int32_t IDX) {
  if (IDX >= 0 && static_cast<std::size_t>(IDX) < CTRLRESSTOUR.size()) {
    auto& E = CTRLRESSTOUR[static_cast<std::size_t>(IDX)];
    E.CURRENT = E.TOURS;
  }
}

void cRessParTour::REFRESH() {
  for (auto& E : CTRLRESSTOUR) {
    E.CURRENT = E.TOURS;
  }
}

std::string cRessParTour::TOSTRING() const {
  std::string R;
  for (std::size_t I = 0; I < CTRLRESSTOUR.size(); ++I) {
    if (I > 0) {
      R += '/';
    }
    R += std::to_string(CTRLRESSTOUR[I].RESSOURCE) + ":" + std::to_string(CTRLRESSTOUR[I].TOURS);
  }
  return R;
}

void cRessParTour::FROMSTRING(const std::string& S) {
  const auto KEYEND = S.find(':');
  std::string REST = KEYEND == std::string::npos ? S : S.substr(KEYEND + 1);
  for (std::size_t K = 0; !REST.empty(); ++K) {
    const std::string PART = STRTOK(REST, '/');
    const int32_t AMOUNT = STRTOINT(BEFORETOKEN(PART, ':'));
    const int32_t INTERVAL = STRTOINT(AFTERTOKEN(PART, ':'));
    if (K < CTRLRESSTOUR.size()) {
      CTRLRESSTOUR[K].RESSOURCE = static_cast<uint16_t>(static_cast<uint32_t>(AMOUNT));
      CTRLRESSTOUR[K].TOURS = TURNCOUNT(INTERVAL);
    }
  }
}
