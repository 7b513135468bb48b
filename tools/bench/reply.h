// Knowing when a reply of the server is complete, from its lines alone.

#pragma once

#include <cstddef>
#include <string>

/// COMMAND upper-cased, without leading or trailing spaces, inner runs of
/// spaces made one: the form the server reads.
std::string NORMALISECOMMAND(const std::string& COMMAND);

/// How many "END RETURN" lines end the reply to COMMAND: 0 for the commands
/// answered by a single line, 2 for the ones answered by two blocks, 1 for the
/// rest.
int ENDBLOCKSOF(const std::string& COMMAND);

/// Reads the reply to one command: complete at its first line when it is a
/// one-line answer, otherwise at its ENDBLOCKS-th "END RETURN" line.
class cReplyReader {
 public:
  explicit cReplyReader(int ENDBLOCKS) : FLEFT(ENDBLOCKS) {}
  /// Takes the next line; true once the reply is complete.
  bool FEED(const std::string& LINE);
  bool COMPLETE() const { return FCOMPLETE; }

 private:
  int FLEFT;
  bool FCOMPLETE = false;
};

/// A length-prefixed list: a "nbLines:N" line, then N lines.
class cCountedReader {
 public:
  /// Takes the next line; true once the list is complete.
  bool FEED(const std::string& LINE);
  bool COMPLETE() const { return FSTAGE == stDONE; }
  /// Why the lines are not such a list; empty while they are.
  const std::string& ERROR() const { return FERROR; }

 private:
  enum sStage { stCOUNT, stLINES, stDONE, stFAILED };
  sStage FSTAGE = stCOUNT;
  long FLEFT = 0;
  std::string FERROR;
};

/// The record of a newly created player: lines up to "[MAP]", a "count:K" line,
/// K lines, then the empty line that ends it.
class cRecordReader {
 public:
  /// Takes the next line; true once the record is complete.
  bool FEED(const std::string& LINE);
  bool COMPLETE() const { return FSTAGE == stDONE; }
  /// Why the lines are not such a record; empty while they are.
  const std::string& ERROR() const { return FERROR; }

 private:
  enum sStage { stBODY, stCOUNT, stRUNS, stEND, stDONE, stFAILED };
  sStage FSTAGE = stBODY;
  long FLEFT = 0;
  std::size_t FLINES = 0;
  std::string FERROR;
};

/// The count after PREFIX in LINE ("nbLines:12" with "nbLines:" gives 12), or
/// -1 when LINE is not PREFIX followed by a number of at most 6 digits.
long COUNTAFTER(const std::string& LINE, const std::string& PREFIX);
