#pragma once

#include <string>

#include "base/buffer.h"
#include "base/errors.h"

// How every loader opens its file and names what is wrong in it, and the two
// shapes of the rules files.

/// The error that stops the load of the file held in B at line LINE, as
/// LOADERROR of its file name does.
inline cLoadError LOADERROR(const cBuffer& B, int32_t LINE, const std::string& BADTEXT,
                            const std::string& WHY) {
  return LOADERROR(B.FILENAME(), LINE, BADTEXT, WHY);
}

/// Runs READ(B), a reader of the file loaded into B. A number that does not
/// parse becomes a cLoadError naming the file, the line last read and the bad text.
template <class READER>
void READWITHCONTEXT(cBuffer& B, READER&& READ) {
  try {
    READ(B);
  } catch (const cConversionError& E) {
    throw LOADERROR(B, B.GETCURRENT(), E.BADTEXT(), "is not a valid number");
  }
}

/// Loads FILENAME and runs READ(buffer) on it; a number that does not parse
/// becomes a cLoadError naming the file, the line and the text. False, without
/// calling READ, when the file cannot be opened.
template <class READER>
bool LOADDATAFILE(const std::string& FILENAME, READER&& READ) {
  cBuffer B(FILENAME);
  if (B.LOADFAILED()) {
    return false;
  }
  READWITHCONTEXT(B, READ);
  return true;
}

/// Line-per-record files: calls ONLINE(line) for every line from the first one
/// that does not begin with ';' (a comment). Empty lines are records too.
template <class HANDLER>
void FOREACHLINE(cBuffer& B, HANDLER&& ONLINE) {
  B.REWIND();
  while (B.GETCURRENT() != B.READCOUNT()) {
    const std::string LINE = B.READLN();
    if (!LINE.empty() && LINE[0] == ';') {
      continue;
    }
    ONLINE(LINE);
  }
}

/// Block-per-record files: a record starts at a line beginning with '#'; every
/// other line between records is passed over. Calls ONRECORD(B, line) with the
/// cursor just after that first line: a reader steps back with PREVIOUS to read
/// the whole record, and the walk goes on from wherever it leaves the cursor.
template <class HANDLER>
void FOREACHBLOCK(cBuffer& B, HANDLER&& ONRECORD) {
  B.REWIND();
  while (B.GETCURRENT() != B.READCOUNT()) {
    const std::string LINE = B.READLN();
    if (LINE.empty() || LINE[0] != '#') {
      continue;
    }
    ONRECORD(B, LINE);
  }
}

/// For catalogues whose identifiers index arrays or number a square's terrain:
/// records are numbered 0, 1, 2... in file order. Stops the load with a
/// cLoadError naming line LINE of B and its text TEXT when the record there,
/// at POSITION in the file (from 0), carries another identifier UID.
inline void CHECKFILEORDER(const cBuffer& B, int32_t LINE, const std::string& TEXT, int32_t UID,
                           int32_t POSITION) {
  if (UID != POSITION) {
    throw LOADERROR(B, LINE, TEXT,
                    "gives identifier " + std::to_string(UID) +
                        " where its place in the file gives " + std::to_string(POSITION) +
                        " (records are numbered 0, 1, 2... in order)");
  }
}
