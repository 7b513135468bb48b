#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/buffer.h"
#include "entities/mobile.h"
#include "entities/mobile_list.h"
#include "entities/named_list.h"

enum sSex : uint8_t { Male = 0, Female = 1 };

/// Days since 30 December 1899 (the fraction is the time of day) of a text
/// "YYYY-MM-DD HH:MM:SS", for example "2026-12-06 18:00:00"; "null" gives 0.
/// Raises cConversionError for any other text.
double STRTODATETIME(std::string_view S);

/// Whether NAME can be a player's file name in the players directory: not
/// empty, no "/", "\\", "..", and no control character.
bool ISSAFEPLAYERNAME(std::string_view NAME);

/// The right to log in: FUID is the account number, FNAME the user name as the
/// accounts file writes it (case kept), PASSWD the password compared exactly.
class cAccount : public cMobile {
 public:
  /// Uid -1, name "dummy", no password, never logged in, male, level 0.
  cAccount();

  /// Fills the account from one line of the accounts file: the line is cut to
  /// 40 characters, then split at ';' into uid;name;password;last login;sex;email;level.
  /// Raises cConversionError when the uid, the date or the level does not parse.
  void FROMSTRING(std::string_view S);

  std::string PASSWD;
  double LAST_LOGIN = 0;
  sSex SEX = Male;
  std::string EMAIL = "nobody@localhost";
  uint8_t LEVEL = 0;
};

/// Every account, read once at start-up from the accounts file (NMINIFILE).
/// The server never writes it. Owns its accounts.
class cListeAccounts : public tListeNommee<cAccount> {
 public:
  explicit cListeAccounts(std::string NAME);

  /// Reads NMINIFILE: lines that are empty or begin with ';' are skipped, each
  /// other line is one account appended in file order. A missing file gives no
  /// accounts; a bad number raises cLoadError (file, line, text). An account
  /// whose name cannot be a player's file name is refused with a console line.
  void LOADACCOUNTS();
  /// The same from the lines of B, read from its first line.
  void LOADACCOUNTS(cBuffer& B);

  std::string NMINIFILE;
};

extern std::unique_ptr<cListeAccounts> JEUACCOUNTS;
