#include "accountsfile.h"

#include <algorithm>
#include <random>

#include "base/errors.h"
#include "base/strutils.h"
#include "entities/account.h"

namespace {

bool HASCONTROL(const std::string& S) {
  return std::any_of(S.begin(), S.end(), [](char C) {
    const auto B = static_cast<unsigned char>(C);
    return B < 32 || B == 127;
  });
}

bool ISCOMMENT(const std::string& LINE) {
  return LINE.empty() || LINE[0] == ';';
}

// The seven fields of an account line: the level is all that follows the
// sixth ';'.
std::vector<std::string> FIELDS(const std::string& LINE) {
  std::vector<std::string> F;
  std::string REST = LINE;
  for (int I = 0; I < 6; ++I) {
    F.push_back(STRTOK(REST, ';'));
  }
  F.push_back(REST);
  return F;
}

std::string JOIN(const std::vector<std::string>& F) {
  std::string L;
  for (std::size_t I = 0; I < F.size(); ++I) {
    L += (I > 0 ? ";" : "") + F[I];
  }
  return L;
}

std::string TOOLONG(const std::string& LINE) {
  return "the account line would be " + std::to_string(LINE.size()) +
         " characters long, and the server reads only " + std::to_string(cAccountsFile::MAXLINE) +
         ": choose a shorter name, password or e-mail address";
}

}  // namespace

std::string BADPASSWORD(const std::string& PASSWORD) {
  if (PASSWORD.empty()) {
    return "a password cannot be empty (an empty line is never read as one)";
  }
  if (PASSWORD.find(';') != std::string::npos || HASCONTROL(PASSWORD)) {
    return "a password cannot hold ';' or a control character";
  }
  return {};
}

std::string GENERATEPASSWORD(std::size_t LENGTH) {
  static const std::string ALPHABET = "abcdefghijkmnpqrstuvwxyzACDEFGHJKLMNPQRSTUVWXYZ2345679";
  std::random_device SOURCE;
  std::uniform_int_distribution<std::size_t> PICK(0, ALPHABET.size() - 1);
  std::string P;
  for (std::size_t I = 0; I < LENGTH; ++I) {
    P += ALPHABET[PICK(SOURCE)];
  }
  return P;
}

std::optional<cAccountsFile> cAccountsFile::PARSE(const std::string& TEXT, std::string& ERROR) {
  cAccountsFile F;
  F.FCRLF = TEXT.find("\r\n") != std::string::npos;
  std::size_t START = 0;
  while (START < TEXT.size()) {
    auto END = TEXT.find('\n', START);
    if (END == std::string::npos) {
      END = TEXT.size();
    }
    std::string LINE = TEXT.substr(START, END - START);
    if (!LINE.empty() && LINE.back() == '\r') {
      LINE.pop_back();
    }
    F.FLINES.push_back(LINE);
    START = END + 1;
  }
  for (std::size_t I = 0; I < F.FLINES.size(); ++I) {
    const std::string& LINE = F.FLINES[I];
    if (ISCOMMENT(LINE)) {
      continue;
    }
    try {
      cAccount A;
      A.FROMSTRING(LINE);
    } catch (const cConversionError& E) {
      ERROR = "line " + std::to_string(I + 1) + ": '" + LINE + "': '" + E.BADTEXT() +
              "' is not what the server reads there (a number, or a date such as "
              "2026-12-06 18:00:00, or null); the server would not start with this file";
      return std::nullopt;
    }
  }
  F.INDEX();
  return F;
}

void cAccountsFile::INDEX() {
  FACCOUNTS.clear();
  for (std::size_t I = 0; I < FLINES.size(); ++I) {
    const std::string& LINE = FLINES[I];
    if (ISCOMMENT(LINE)) {
      continue;
    }
    cAccount A;
    A.FROMSTRING(LINE);
    // What the server keeps of the line: its first 40 characters.
    const std::vector<std::string> F = FIELDS(GSTRING(LINE));
    tAccountEntry E;
    E.LINE = static_cast<int>(I + 1);
    E.UID = A.FUID;
    E.NAME = A.FNAME;
    E.LASTLOGIN = F[3];
    E.SEX = A.SEX == Male ? "M" : "F";
    E.EMAIL = A.EMAIL;
    E.LEVEL = A.LEVEL;
    if (LINE.size() > MAXLINE) {
      E.WARNING = "longer than " + std::to_string(MAXLINE) +
                  " characters: the server reads only the first " + std::to_string(MAXLINE);
    } else if (!ISSAFEPLAYERNAME(A.FNAME)) {
      E.WARNING = "a name that cannot be a file name: the server refuses this account";
    }
    FACCOUNTS.push_back(E);
  }
}

const tAccountEntry* cAccountsFile::FIND(const std::string& NAME) const {
  for (const auto& A : FACCOUNTS) {
    if (SAMETEXT(A.NAME, NAME)) {
      return &A;
    }
  }
  return nullptr;
}

bool cAccountsFile::ADD(const std::string& NAME, const std::string& PASSWORD,
                        const tNewAccount& MORE, std::string& ERROR) {
  if (!ISSAFEPLAYERNAME(NAME) || NAME.find(';') != std::string::npos || NAME.front() == ' ' ||
      NAME.back() == ' ') {
    ERROR = "'" + NAME +
            "' cannot be an account name: it becomes the player's file name, so it must not be "
            "empty nor hold '/', '\\', '..', ';', a control character or blanks at its ends";
    return false;
  }
  if (const tAccountEntry* OTHER = FIND(NAME)) {
    ERROR = "an account named '" + OTHER->NAME + "' exists already (line " +
            std::to_string(OTHER->LINE) + "); names are the same whatever their case";
    return false;
  }
  if (const std::string WHY = BADPASSWORD(PASSWORD); !WHY.empty()) {
    ERROR = WHY;
    return false;
  }
  if (MORE.EMAIL.find(';') != std::string::npos || HASCONTROL(MORE.EMAIL)) {
    ERROR = "an e-mail address cannot hold ';' or a control character";
    return false;
  }
  if ((MORE.SEX != 'M' && MORE.SEX != 'F') || MORE.LEVEL < 0 || MORE.LEVEL > 255) {
    ERROR = "the sex is M or F and the level 0 to 255";
    return false;
  }
  int32_t UID = 0;
  for (const auto& A : FACCOUNTS) {
    UID = std::max(UID, A.UID);
  }
  const std::string LINE = JOIN({std::to_string(UID + 1), NAME, PASSWORD, "null",
                                 std::string(1, MORE.SEX), MORE.EMAIL, std::to_string(MORE.LEVEL)});
  if (LINE.size() > MAXLINE) {
    ERROR = TOOLONG(LINE);
    return false;
  }
  // After the last line that holds something (blank lines may close the file).
  auto AT = FLINES.end();
  while (AT != FLINES.begin() && (AT - 1)->empty()) {
    --AT;
  }
  FLINES.insert(AT, LINE);
  INDEX();
  return true;
}

bool cAccountsFile::SETPASSWORD(const std::string& NAME, const std::string& PASSWORD,
                                std::string& ERROR) {
  const tAccountEntry* A = FIND(NAME);
  if (A == nullptr) {
    ERROR = "no account is named '" + NAME + "'";
    return false;
  }
  if (const std::string WHY = BADPASSWORD(PASSWORD); !WHY.empty()) {
    ERROR = WHY;
    return false;
  }
  std::string& LINE = FLINES[static_cast<std::size_t>(A->LINE - 1)];
  std::vector<std::string> F = FIELDS(LINE);
  F[2] = PASSWORD;
  const std::string NEW = JOIN(F);
  if (NEW.size() > MAXLINE) {
    ERROR = TOOLONG(NEW);
    return false;
  }
  LINE = NEW;
  INDEX();
  return true;
}

bool cAccountsFile::REMOVE(const std::string& NAME, std::string& ERROR) {
  const tAccountEntry* A = FIND(NAME);
  if (A == nullptr) {
    ERROR = "no account is named '" + NAME + "'";
    return false;
  }
  FLINES.erase(FLINES.begin() + (A->LINE - 1));
  INDEX();
  return true;
}

std::string cAccountsFile::TEXT() const {
  std::string T;
  for (const auto& LINE : FLINES) {
    T += LINE + (FCRLF ? "\r\n" : "\n");
  }
  return T;
}
