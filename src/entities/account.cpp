#include "entities/account.h"

#include <array>
#include <cctype>

#include "base/console.h"
#include "base/errors.h"
#include "base/loader.h"
#include "base/strutils.h"

std::unique_ptr<cListeAccounts> JEUACCOUNTS;

namespace {

[[noreturn]] void BADDATE(std::string_view S) {
  throw cConversionError(std::string(S));
}

// The number spelled by exactly N digits of S from POS.
int32_t DIGITS(std::string_view S, std::size_t POS, std::size_t N) {
  int32_t V = 0;
  for (std::size_t I = POS; I < POS + N; ++I) {
    if (std::isdigit(static_cast<unsigned char>(S[I])) == 0) {
      BADDATE(S);
    }
    V = V * 10 + (S[I] - '0');
  }
  return V;
}

bool LEAPYEAR(int32_t Y) {
  return (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0;
}

// Days from 1 January 1970 to the civil date Y-M-D (proleptic Gregorian calendar).
int64_t DAYSFROMCIVIL(int64_t Y, int64_t M, int64_t D) {
  Y -= M <= 2 ? 1 : 0;
  const int64_t ERA = (Y >= 0 ? Y : Y - 399) / 400;
  const int64_t YOE = Y - ERA * 400;
  const int64_t DOY = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
  const int64_t DOE = YOE * 365 + YOE / 4 - YOE / 100 + DOY;
  return ERA * 146097 + DOE - 719468;
}

}  // namespace

double STRTODATETIME(std::string_view S) {
  if (S == "null") {
    return 0;
  }
  // YYYY-MM-DD HH:MM:SS
  if (S.size() != 19 || S[4] != '-' || S[7] != '-' || S[10] != ' ' || S[13] != ':' ||
      S[16] != ':') {
    BADDATE(S);
  }
  const int32_t Y = DIGITS(S, 0, 4);
  const int32_t MO = DIGITS(S, 5, 2);
  const int32_t D = DIGITS(S, 8, 2);
  const int32_t H = DIGITS(S, 11, 2);
  const int32_t MI = DIGITS(S, 14, 2);
  const int32_t SE = DIGITS(S, 17, 2);
  static constexpr std::array<int32_t, 12> MONTHDAYS{31, 28, 31, 30, 31, 30,
                                                     31, 31, 30, 31, 30, 31};
  if (Y < 1 || MO < 1 || MO > 12 || D < 1 || H > 23 || MI > 59 || SE > 59) {
    BADDATE(S);
  }
  const int32_t LASTDAY =
      MONTHDAYS[static_cast<std::size_t>(MO - 1)] + (MO == 2 && LEAPYEAR(Y) ? 1 : 0);
  if (D > LASTDAY) {
    BADDATE(S);
  }
  // 30 December 1899 is day 0.
  const int64_t DAYS = DAYSFROMCIVIL(Y, MO, D) - DAYSFROMCIVIL(1899, 12, 30);
  return static_cast<double>(DAYS) + static_cast<double>(H * 3600 + MI * 60 + SE) / 86400.0;
}

cAccount::cAccount() = default;

void cAccount::FROMSTRING(std::string_view S) {
  std::string L = GSTRING(S);
  FUID = STRTOINT(STRTOK(L, ';'));
  FNAME = STRTOK(L, ';');
  PASSWD = STRTOK(L, ';');
  LAST_LOGIN = STRTODATETIME(STRTOK(L, ';'));
  SEX = STRTOK(L, ';') == "M" ? Male : Female;
  EMAIL = STRTOK(L, ';');
  LEVEL = static_cast<uint8_t>(static_cast<uint32_t>(STRTOINT(L)) & 0xFFu);
}

bool ISSAFEPLAYERNAME(std::string_view NAME) {
  if (NAME.empty() || NAME.find('/') != std::string_view::npos ||
      NAME.find('\\') != std::string_view::npos || NAME.find("..") != std::string_view::npos) {
    return false;
  }
  for (const char C : NAME) {
    const auto BYTE = static_cast<unsigned char>(C);
    if (BYTE < 32 || BYTE == 127) {
      return false;
    }
  }
  return true;
}

cListeAccounts::cListeAccounts(std::string NAME)
    : tListeNommee("accounts"), NMINIFILE(std::move(NAME)) {}

void cListeAccounts::LOADACCOUNTS() {
  cBuffer B(NMINIFILE);
  READWITHCONTEXT(B, [this](cBuffer& LINES) { LOADACCOUNTS(LINES); });
}

void cListeAccounts::LOADACCOUNTS(cBuffer& B) {
  B.REWIND();
  while (!B.ISEOF()) {
    const std::string LINE = B.READLN();
    if (LINE.empty() || LINE[0] == ';') {
      continue;
    }
    auto ACCOUNT = std::make_unique<cAccount>();
    ACCOUNT->FROMSTRING(LINE);
    // The account's name becomes its player's file name: it must stay a plain
    // name inside the players directory.
    if (!ISSAFEPLAYERNAME(ACCOUNT->FNAME)) {
      CONSOLE("Compte refuse (nom inutilisable comme nom de fichier) : '" + ACCOUNT->FNAME + "'");
      continue;
    }
    ADD(std::move(ACCOUNT));
  }
}
