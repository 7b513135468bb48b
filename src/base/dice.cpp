#include "base/dice.h"

#include "base/random.h"
#include "base/strutils.h"

void cDice::ASSIGN(const std::string& S) {
  std::string REST = UPPERCASE(S);
  if (REST.empty()) {
    NBDICE = 0;
    MAXDICE = 0;
    BASE = 0;
    return;
  }
  if (REST.find('D') == std::string::npos) {
    BASE = STRTOINT(REST);
    return;
  }
  const int32_t NB = STRTOINT(STRTOK(REST, 'D'));
  const int32_t MAX = STRTOINT(STRTOK(REST, '+'));
  const int32_t B = REST.empty() ? 0 : STRTOINT(REST);
  NBDICE = NB;
  MAXDICE = MAX;
  BASE = B;
}

uint16_t cDice::THRDICE() const {
  uint16_t SUM = 0;
  for (int32_t I = 0; I < NBDICE; ++I) {
    SUM = static_cast<uint16_t>(SUM + RANDOMGEN().RANDOM(MAXDICE) + 1);
  }
  return static_cast<uint16_t>(static_cast<uint32_t>(SUM) + static_cast<uint32_t>(BASE));
}

std::string cDice::TOSTRING() const {
  return std::to_string(NBDICE) + "D" + std::to_string(MAXDICE) + "+" + std::to_string(BASE);
}
