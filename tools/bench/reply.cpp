#include "reply.h"

#include <cctype>

namespace {

const char* const ENDLINE = "END RETURN";

// A player record is a few hundred lines; a reply that never reaches its map
// is not one.
constexpr std::size_t MAXRECORDLINES = 100000;

}  // namespace

std::string NORMALISECOMMAND(const std::string& COMMAND) {
  std::string R;
  bool SPACE = false;
  for (const char C : COMMAND) {
    if (C == ' ') {
      SPACE = !R.empty();
      continue;
    }
    if (SPACE) {
      R += ' ';
      SPACE = false;
    }
    R += static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
  }
  return R;
}

int ENDBLOCKSOF(const std::string& COMMAND) {
  const std::string C = NORMALISECOMMAND(COMMAND);
  if (C == "SERVER WHOAMI" || C == "SERVER QUIT" || C == "ADMIN SHUTDOWN") {
    return 0;
  }
  // The short catalogue query also matches the player's own stock query.
  if (C == "GET GAME RESSOURCES") {
    return 2;
  }
  return 1;
}

bool cReplyReader::FEED(const std::string& LINE) {
  if (FCOMPLETE) {
    return true;
  }
  if (FLEFT <= 0 || (LINE == ENDLINE && --FLEFT == 0)) {
    FCOMPLETE = true;
  }
  return FCOMPLETE;
}

long COUNTAFTER(const std::string& LINE, const std::string& PREFIX) {
  if (LINE.compare(0, PREFIX.size(), PREFIX) != 0) {
    return -1;
  }
  const std::string DIGITS = LINE.substr(PREFIX.size());
  if (DIGITS.empty() || DIGITS.size() > 6) {
    return -1;
  }
  long N = 0;
  for (const char C : DIGITS) {
    if (C < '0' || C > '9') {
      return -1;
    }
    N = N * 10 + (C - '0');
  }
  return N;
}

bool cCountedReader::FEED(const std::string& LINE) {
  switch (FSTAGE) {
    case stCOUNT:
      FLEFT = COUNTAFTER(LINE, "nbLines:");
      if (FLEFT < 0) {
        FSTAGE = stFAILED;
        FERROR = "expected \"nbLines:N\", got \"" + LINE + "\"";
      } else {
        FSTAGE = FLEFT == 0 ? stDONE : stLINES;
      }
      break;
    case stLINES:
      if (--FLEFT == 0) {
        FSTAGE = stDONE;
      }
      break;
    case stDONE:
    case stFAILED:
      break;
  }
  return FSTAGE == stDONE;
}

bool cRecordReader::FEED(const std::string& LINE) {
  switch (FSTAGE) {
    case stBODY:
      if (LINE == "[MAP]") {
        FSTAGE = stCOUNT;
      } else if (++FLINES > MAXRECORDLINES) {
        FSTAGE = stFAILED;
        FERROR = "no \"[MAP]\" line in the first " + std::to_string(MAXRECORDLINES) + " lines";
      }
      break;
    case stCOUNT:
      FLEFT = COUNTAFTER(LINE, "count:");
      if (FLEFT < 0) {
        FSTAGE = stFAILED;
        FERROR = "expected \"count:K\" after \"[MAP]\", got \"" + LINE + "\"";
      } else {
        FSTAGE = FLEFT == 0 ? stEND : stRUNS;
      }
      break;
    case stRUNS:
      if (--FLEFT == 0) {
        FSTAGE = stEND;
      }
      break;
    case stEND:
      if (LINE.empty()) {
        FSTAGE = stDONE;
      } else {
        FSTAGE = stFAILED;
        FERROR = "expected the empty line that ends the record, got \"" + LINE + "\"";
      }
      break;
    case stDONE:
    case stFAILED:
      break;
  }
  return FSTAGE == stDONE;
}
