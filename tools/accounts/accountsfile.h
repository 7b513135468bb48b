// The accounts file as the account tool edits it: its lines kept as they are
// (comments too), the accounts read as the server reads them, and changes
// refused unless the server would read them back as meant.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// One account of the file, as the server reads it.
struct tAccountEntry {
  /// Line number in the file, from 1.
  int LINE = 0;
  int32_t UID = 0;
  std::string NAME;
  std::string LASTLOGIN;
  std::string SEX;
  std::string EMAIL;
  int LEVEL = 0;
  /// Why the server would not use the line as written ("" when it would):
  /// a line over the limit loses its end, a name that cannot be a file name
  /// is refused at start.
  std::string WARNING;
};

/// What a new account holds besides its name and password.
struct tNewAccount {
  std::string EMAIL;
  char SEX = 'M';
  int LEVEL = 0;
};

/// The lines of an accounts file and the accounts in them.
class cAccountsFile {
 public:
  /// The longest account line the server reads whole.
  static constexpr std::size_t MAXLINE = 40;

  /// Reads the bytes of a file. A line the server could not read (a uid, date
  /// or level that does not parse) stops it: nothing, and ERROR names the
  /// line, since the server would not start with it either.
  static std::optional<cAccountsFile> PARSE(const std::string& TEXT, std::string& ERROR);

  const std::vector<tAccountEntry>& ACCOUNTS() const { return FACCOUNTS; }
  /// The account named NAME whatever its case (as the login finds it), or null.
  const tAccountEntry* FIND(const std::string& NAME) const;

  /// Appends an account with the next free uid. Refused, with the reason in
  /// ERROR: a name that another account has in any case, a name that cannot
  /// be a player's file name or holds ';' or blanks at its ends, a password
  /// that is empty or holds ';' or a control character, and a line longer
  /// than MAXLINE.
  bool ADD(const std::string& NAME, const std::string& PASSWORD, const tNewAccount& MORE,
           std::string& ERROR);
  /// Replaces the password of the account NAME (any case), the rest of its
  /// line kept; refused on an unknown name, a bad password or a line too long.
  bool SETPASSWORD(const std::string& NAME, const std::string& PASSWORD, std::string& ERROR);
  /// Removes the line of the account NAME (any case).
  bool REMOVE(const std::string& NAME, std::string& ERROR);

  /// The bytes of the file, every line ended as the file ended them (LF, or
  /// CR LF when it used them).
  std::string TEXT() const;

 private:
  void INDEX();
  std::vector<std::string> FLINES;
  std::vector<tAccountEntry> FACCOUNTS;
  bool FCRLF = false;
};

/// Why PASSWORD cannot be an account's password, or "".
std::string BADPASSWORD(const std::string& PASSWORD);

/// A password of LENGTH letters and digits that cannot be mistaken for one
/// another, drawn from the system's random source.
std::string GENERATEPASSWORD(std::size_t LENGTH);
