// royaumes-accounts: lists and edits the accounts file of a game directory,
// players/accounts.zrk, keeping it readable by the server.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "accountsfile.h"
#include "args.h"
#include "base/safefile.h"

namespace {

const char* const USAGE =
    "Usage: royaumes-accounts [--dir DIR] COMMAND\n"
    "Lists and edits DIR/players/accounts.zrk (DIR: the game directory, by\n"
    "default the current directory). The server reads the accounts when it\n"
    "starts: restart it for a change to take effect.\n"
    "\n"
    "  list                              the accounts (passwords are not shown)\n"
    "  add NAME [PASSWORD] [--email ADDRESS] [--sex M|F] [--level N]\n"
    "                                    a new account; without PASSWORD one is\n"
    "                                    made up and printed; the sex is M unless\n"
    "                                    --sex says F, the level 0 unless --level\n"
    "  passwd NAME [PASSWORD]            a new password (made up without PASSWORD)\n"
    "  remove NAME                       removes the account (its player file stays)\n"
    "\n"
    "Each account is one line of at most 40 characters,\n"
    "uid;name;password;last login;sex;email;level; names are the same whatever\n"
    "their case and become the players' file names. Changes that break these\n"
    "rules are refused, and the file is replaced whole or not at all.\n";

int FAIL(const std::string& WHY) {
  std::cerr << "royaumes-accounts: " << WHY << "\n";
  return 1;
}

int USAGEERROR(const std::string& WHY) {
  std::cerr << "royaumes-accounts: " << WHY << "\n" << USAGE;
  return 2;
}

// A password for NAME: the one given, or one made up that fits the line.
std::string PASSWORDFOR(const std::vector<std::string>& WORDS, std::size_t AT, bool& MADEUP) {
  MADEUP = WORDS.size() <= AT;
  return MADEUP ? GENERATEPASSWORD(10) : WORDS[AT];
}

}  // namespace

int main(int ARGC, char** ARGV) {
  const cArgs ARGS(std::vector<std::string>(ARGV + 1, ARGV + ARGC),
                   {"--dir", "--email", "--sex", "--level"}, {"--help", "-h", "--version"});
  if (const auto ANSWERED =
          ANSWERHELPVERSIONERROR(ARGS, "royaumes-accounts", USAGE, ROYAUMES_VERSION)) {
    return *ANSWERED;
  }
  const std::string DIR = ARGS.VALUE("--dir", ".");
  const std::string EMAIL = ARGS.VALUE("--email");
  const std::string SEX = ARGS.VALUE("--sex", "M");
  const std::string LEVEL = ARGS.VALUE("--level", "0");
  const std::vector<std::string>& WORDS = ARGS.WORDS();
  if (WORDS.empty()) {
    return USAGEERROR("no command");
  }
  const std::string& COMMAND = WORDS[0];
  const std::size_t WANT = COMMAND == "list" ? 1 : COMMAND == "remove" ? 2 : 0;
  if (COMMAND != "list" && COMMAND != "add" && COMMAND != "passwd" && COMMAND != "remove") {
    return USAGEERROR("unknown command " + COMMAND);
  }
  if ((WANT > 0 && WORDS.size() != WANT) || (WANT == 0 && (WORDS.size() < 2 || WORDS.size() > 3))) {
    return USAGEERROR("wrong number of words for " + COMMAND);
  }

  const std::string PATH = DIR + "/players/accounts.zrk";
  // One editor at a time: two that read the same file would each lose the
  // other's change.
  const int LOCK =
      ::open((DIR + "/players/.accounts.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (COMMAND != "list" && (LOCK < 0 || ::flock(LOCK, LOCK_EX) != 0)) {
    return FAIL("cannot lock " + DIR + "/players/.accounts.lock: " + std::strerror(errno));
  }
  std::ifstream IN(PATH, std::ios::binary);
  if (!IN && COMMAND != "add") {
    return FAIL("cannot read " + PATH);
  }
  const std::string OLD((std::istreambuf_iterator<char>(IN)), std::istreambuf_iterator<char>());
  std::string ERROR;
  auto ACCOUNTS = cAccountsFile::PARSE(OLD, ERROR);
  if (!ACCOUNTS) {
    return FAIL(PATH + ", " + ERROR);
  }

  if (COMMAND == "list") {
    std::printf("%6s  %-20s %-19s %3s %5s  %s\n", "uid", "name", "last login", "sex", "level",
                "email");
    for (const auto& A : ACCOUNTS->ACCOUNTS()) {
      std::printf("%6d  %-20s %-19s %3s %5d  %s\n", A.UID, A.NAME.c_str(), A.LASTLOGIN.c_str(),
                  A.SEX.c_str(), A.LEVEL, A.EMAIL.c_str());
      if (!A.WARNING.empty()) {
        std::printf("        line %d: %s\n", A.LINE, A.WARNING.c_str());
      }
    }
    return 0;
  }

  bool MADEUP = false;
  std::string PASSWORD;
  std::string DONE;
  bool OK = false;
  if (COMMAND == "add") {
    tNewAccount MORE;
    MORE.EMAIL = EMAIL;
    MORE.SEX = SEX == "F" ? 'F' : SEX == "M" ? 'M' : '?';
    MORE.LEVEL = LEVEL.find_first_not_of("0123456789") == std::string::npos && !LEVEL.empty() &&
                         LEVEL.size() <= 3
                     ? std::stoi(LEVEL)
                     : -1;
    PASSWORD = PASSWORDFOR(WORDS, 2, MADEUP);
    // A made-up password shortens to fit the line (not below 6 characters).
    OK = ACCOUNTS->ADD(WORDS[1], PASSWORD, MORE, ERROR);
    while (!OK && MADEUP && PASSWORD.size() > 6 &&
           ERROR.find("characters long") != std::string::npos) {
      PASSWORD.pop_back();
      OK = ACCOUNTS->ADD(WORDS[1], PASSWORD, MORE, ERROR);
    }
    DONE = "added the account " + WORDS[1];
  } else if (COMMAND == "passwd") {
    PASSWORD = PASSWORDFOR(WORDS, 2, MADEUP);
    OK = ACCOUNTS->SETPASSWORD(WORDS[1], PASSWORD, ERROR);
    while (!OK && MADEUP && PASSWORD.size() > 6 &&
           ERROR.find("characters long") != std::string::npos) {
      PASSWORD.pop_back();
      OK = ACCOUNTS->SETPASSWORD(WORDS[1], PASSWORD, ERROR);
    }
    DONE = "changed the password of " + WORDS[1];
  } else {
    OK = ACCOUNTS->REMOVE(WORDS[1], ERROR);
    DONE = "removed the account " + WORDS[1] + " (its player file, if any, stays in " + DIR +
           "/players/)";
  }
  if (!OK) {
    return FAIL(ERROR + "; " + PATH + " is unchanged");
  }
  if (!SAVETEXTATOMICKEEPING(ACCOUNTS->TEXT(), PATH, PATH + ".tmp", 0640, ERROR)) {
    return FAIL("cannot write " + ERROR + "; " + PATH + " is unchanged");
  }
  std::cout << DONE << "\n";
  if (MADEUP) {
    std::cout << "password: " << PASSWORD << "\n";
  }
  std::cout
      << "The server reads the accounts at start: restart it for the change to take effect.\n";
  return 0;
}
