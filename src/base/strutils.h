#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

// Text helpers shared by the whole server. Every text is a string of
// single-byte characters; only the ASCII letters A to Z and a to z have a case.

/// Longest name the game keeps (a gString).
constexpr std::size_t GSTRINGMAX = 40;

/// The text cut to its first 40 characters.
std::string GSTRING(std::string_view S);

/// ASCII-only case conversions: other bytes are left as they are.
std::string LOWERCASE(std::string_view S);
std::string UPPERCASE(std::string_view S);
char LOWERCHAR(char C);

/// Equality ignoring the case of A to Z.
bool SAMETEXT(std::string_view A, std::string_view B);

/// Text before the first C, removed from S with the C; without C, the whole S (S emptied).
std::string STRTOK(std::string& S, char C);
/// Text after the first C; the empty text when S has no C.
std::string AFTERTOKEN(std::string_view S, char C);
/// Text before the first C; the whole S when S has no C.
std::string BEFORETOKEN(std::string_view S, char C);
/// Number of occurrences of C in S.
int32_t CHARCOUNT(std::string_view S, char C);
inline int32_t COUNTCHAR(char C, std::string_view S) {
  return CHARCOUNT(S, C);
}

/// Leading spaces, an optional sign, then 1 to 10 digits (10 only when the first is 0 or 1).
bool ISINTEGER(std::string_view S);
/// The decimal number S spells (leading spaces and a sign allowed, 32-bit range), or V.
int32_t STRTOINTERR(std::string_view S, int32_t V);
/// The decimal number S spells; raises cConversionError when it spells none.
int32_t STRTOINT(std::string_view S);

/// Every run of two or more DUPCH reduced to one (within the first 255 characters).
std::string DELDUPCH(std::string S, char DUPCH);
inline std::string DELDUPESPACE(std::string S) {
  return DELDUPCH(std::move(S), ' ');
}

/// Every occurrence of FINDSTRING replaced, left to right; the search goes on after
/// each inserted text, so a replacement that contains FINDSTRING still ends.
std::string REPLACESTR(std::string SOURCESTRING, std::string_view FINDSTRING,
                       std::string_view REPLACESTRING);
/// Fills the markers ~1, ~2, ... of SOURCE with the pieces of REPLACE cut at TOK.
std::string BLDSTR(std::string SOURCE, std::string REPLACE, char TOK = '|');
/// Reads lines from F until one holds no ';' and leaves it in S (empty if none did).
void READFICSTR(std::istream& F, std::string& S);

/// One value taken from a command by GETPARAM: unset, an integer (%int) or a text (%str).
using tParam = std::variant<std::monostate, int32_t, std::string>;
using tParams = std::vector<tParam>;
/// The integer at K (0 when unset or not an integer).
int32_t PARAMINT(const tParams& TBVAR, std::size_t K);
/// The text at K (empty when unset or not a text).
std::string PARAMSTR(const tParams& TBVAR, std::size_t K);

/// Matches the command text S1 against the pattern S2 ("%str %int,%int") and fills TBVAR.
/// Writes its trace lines to the console.
bool GETPARAM(std::string S1, std::string S2, tParams& TBVAR);
/// S1 and S2 equal once their runs of spaces are reduced to one.
bool TESTPATTERN(const std::string& S1, const std::string& S2);

// printf-like formatting limited to what the game's messages use: %d (an integer),
// %s (a text) and %% (a percent sign). Any argument fills either placeholder.
namespace detail {
template <class T>
std::string TOTEXT(const T& V) {
  if constexpr (std::is_same_v<T, bool>) {
    return V ? "1" : "0";
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    if constexpr (std::is_enum_v<T>) {
      return std::to_string(static_cast<long long>(V));
    } else if constexpr (std::is_signed_v<T>) {
      return std::to_string(static_cast<long long>(V));
    } else {
      return std::to_string(static_cast<unsigned long long>(V));
    }
  } else {
    return std::string(V);
  }
}
std::string FORMATLIST(std::string_view FMT, const std::vector<std::string>& ARGS);
}  // namespace detail

template <class... A>
std::string FORMAT(std::string_view FMT, const A&... ARGS) {
  return detail::FORMATLIST(FMT, std::vector<std::string>{detail::TOTEXT(ARGS)...});
}
