#include "base/strutils.h"

#include <algorithm>
#include <limits>

#include "base/console.h"
#include "base/errors.h"

std::string GSTRING(std::string_view S) {
  return std::string(S.substr(0, GSTRINGMAX));
}

char LOWERCHAR(char C) {
  return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C;
}

std::string LOWERCASE(std::string_view S) {
  std::string R(S);
  for (char& C : R) {
    C = LOWERCHAR(C);
  }
  return R;
}

std::string UPPERCASE(std::string_view S) {
  std::string R(S);
  for (char& C : R) {
    if (C >= 'a' && C <= 'z') {
      C = static_cast<char>(C - 'a' + 'A');
    }
  }
  return R;
}

bool SAMETEXT(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) {
    return false;
  }
  for (std::size_t I = 0; I < A.size(); ++I) {
    if (LOWERCHAR(A[I]) != LOWERCHAR(B[I])) {
      return false;
    }
  }
  return true;
}

std::string STRTOK(std::string& S, char C) {
  const auto POS = S.find(C);
  if (POS == std::string::npos) {
    std::string R = std::move(S);
    S.clear();
    return R;
  }
  std::string R = S.substr(0, POS);
  S.erase(0, POS + 1);
  return R;
}

std::string AFTERTOKEN(std::string_view S, char C) {
  const auto POS = S.find(C);
  return POS == std::string_view::npos ? std::string() : std::string(S.substr(POS + 1));
}

std::string BEFORETOKEN(std::string_view S, char C) {
  return std::string(S.substr(0, S.find(C)));
}

int32_t CHARCOUNT(std::string_view S, char C) {
  return static_cast<int32_t>(std::count(S.begin(), S.end(), C));
}

namespace {

bool ISDIGIT(char C) {
  return C >= '0' && C <= '9';
}

// Reads leading spaces, a sign and digits; false when anything else is found.
bool PARSEDECIMAL(std::string_view S, int64_t& VALUE, std::size_t& DIGITS) {
  std::size_t I = 0;
  while (I < S.size() && S[I] == ' ') {
    ++I;
  }
  bool NEGATIVE = false;
  if (I < S.size() && (S[I] == '+' || S[I] == '-')) {
    NEGATIVE = S[I] == '-';
    ++I;
  }
  DIGITS = 0;
  VALUE = 0;
  for (; I < S.size(); ++I) {
    if (!ISDIGIT(S[I])) {
      return false;
    }
    if (VALUE <= std::numeric_limits<int64_t>::max() / 100) {
      VALUE = VALUE * 10 + (S[I] - '0');
    }
    ++DIGITS;
  }
  if (DIGITS == 0) {
    return false;
  }
  if (NEGATIVE) {
    VALUE = -VALUE;
  }
  return true;
}

bool FITS32(int64_t V) {
  return V >= std::numeric_limits<int32_t>::min() && V <= std::numeric_limits<int32_t>::max();
}

}  // namespace

bool ISINTEGER(std::string_view S) {
  int64_t VALUE = 0;
  std::size_t DIGITS = 0;
  if (!PARSEDECIMAL(S, VALUE, DIGITS) || DIGITS > 10) {
    return false;
  }
  if (DIGITS == 10) {
    const auto FIRST = S.find_first_of("0123456789");
    return S[FIRST] == '0' || S[FIRST] == '1';
  }
  return true;
}

int32_t STRTOINTERR(std::string_view S, int32_t V) {
  int64_t VALUE = 0;
  std::size_t DIGITS = 0;
  if (!PARSEDECIMAL(S, VALUE, DIGITS) || DIGITS > 18 || !FITS32(VALUE)) {
    return V;
  }
  return static_cast<int32_t>(VALUE);
}

int32_t STRTOINT(std::string_view S) {
  int64_t VALUE = 0;
  std::size_t DIGITS = 0;
  if (!PARSEDECIMAL(S, VALUE, DIGITS) || DIGITS > 18 || !FITS32(VALUE)) {
    throw cConversionError(std::string(S));
  }
  return static_cast<int32_t>(VALUE);
}

std::string DELDUPCH(std::string S, char DUPCH) {
  const std::string PAIR(2, DUPCH);
  for (;;) {
    const auto POS = std::string_view(S).substr(0, 255).find(PAIR);
    if (POS == std::string_view::npos) {
      return S;
    }
    S.erase(POS, 1);
  }
}

std::string REPLACESTR(std::string SOURCESTRING, std::string_view FINDSTRING,
                       std::string_view REPLACESTRING) {
  if (FINDSTRING.empty()) {
    return SOURCESTRING;
  }
  std::size_t FROM = 0;
  for (;;) {
    const auto POS = SOURCESTRING.find(FINDSTRING, FROM);
    if (POS == std::string::npos) {
      return SOURCESTRING;
    }
    SOURCESTRING.replace(POS, FINDSTRING.size(), REPLACESTRING);
    FROM = POS + REPLACESTRING.size();
  }
}

std::string BLDSTR(std::string SOURCE, std::string REPLACE, char TOK) {
  for (int32_t I = 1; !REPLACE.empty(); ++I) {
    const std::string PIECE = STRTOK(REPLACE, TOK);
    SOURCE = REPLACESTR(std::move(SOURCE), "~" + std::to_string(I), PIECE);
  }
  return SOURCE;
}

void READFICSTR(std::istream& F, std::string& S) {
  S.clear();
  std::string LINE;
  while (std::getline(F, LINE)) {
    if (!LINE.empty() && LINE.back() == '\r') {
      LINE.pop_back();
    }
    S = LINE;
    if (S.find(';') == std::string::npos) {
      return;
    }
  }
  if (S.find(';') != std::string::npos) {
    S.clear();
  }
}

int32_t PARAMINT(const tParams& TBVAR, std::size_t K) {
  if (K < TBVAR.size()) {
    if (const auto* V = std::get_if<int32_t>(&TBVAR[K])) {
      return *V;
    }
  }
  return 0;
}

std::string PARAMSTR(const tParams& TBVAR, std::size_t K) {
  if (K < TBVAR.size()) {
    if (const auto* V = std::get_if<std::string>(&TBVAR[K])) {
      return *V;
    }
  }
  return {};
}

bool GETPARAM(std::string S1, std::string S2, tParams& TBVAR) {
  S1 = DELDUPESPACE(std::move(S1));
  S2 = DELDUPESPACE(std::move(S2));
  if (CHARCOUNT(S1, ' ') != CHARCOUNT(S2, ' ')) {
    return false;
  }
  const int32_t N = CHARCOUNT(S2, '%');
  CONSOLE("creation d'un tableau de " + std::to_string(N));
  TBVAR.assign(static_cast<std::size_t>(N), tParam{});
  std::size_t K = 0;
  char TOKEN = '\0';
  while (!S1.empty()) {
    if (S2.empty()) {
      return false;
    }
    if (S2[0] != '%') {
      if (S2[0] != S1[0]) {
        return false;
      }
      S1.erase(0, 1);
      S2.erase(0, 1);
      continue;
    }
    const std::string KIND = S2.substr(1, 3);
    S2.erase(0, std::min<std::size_t>(4, S2.size()));
    if (!S2.empty()) {
      TOKEN = S2[0];
      S2.erase(0, 1);
      if (S1.find(TOKEN) == std::string::npos) {
        return false;
      }
    }
    const std::string VALUE = STRTOK(S1, TOKEN);
    CONSOLE(">" + VALUE);
    if (K < TBVAR.size()) {
      if (KIND == "str") {
        TBVAR[K] = VALUE;
      } else if (KIND == "int") {
        if (!ISINTEGER(VALUE)) {
          return false;
        }
        TBVAR[K] = STRTOINT(VALUE);
      }
    }
    ++K;
  }
  return S2.empty();
}

bool TESTPATTERN(const std::string& S1, const std::string& S2) {
  return DELDUPESPACE(S1) == DELDUPESPACE(S2);
}

namespace detail {
std::string FORMATLIST(std::string_view FMT, const std::vector<std::string>& ARGS) {
  std::string R;
  std::size_t NEXT = 0;
  for (std::size_t I = 0; I < FMT.size(); ++I) {
    if (FMT[I] == '%' && I + 1 < FMT.size()) {
      const char CONVERSION = FMT[I + 1];
      if (CONVERSION == 'd' || CONVERSION == 's') {
        if (NEXT < ARGS.size()) {
          R += ARGS[NEXT];
        }
        ++NEXT;
        ++I;
        continue;
      }
      if (CONVERSION == '%') {
        R += '%';
        ++I;
        continue;
      }
    }
    R += FMT[I];
  }
  return R;
}
}  // namespace detail
