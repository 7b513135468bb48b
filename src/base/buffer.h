#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/strutils.h"

/// An ordered list of text lines with a cursor: every text file, every reply
/// and every message log. The cursor is where the next line is read and where
/// the next written line is inserted.
class cBuffer {
 public:
  /// An empty buffer, cursor at 0.
  cBuffer() = default;
  /// The lines of the file FNAME (line ends CR LF or LF removed). When the file
  /// cannot be opened the buffer is empty and its cursor is -1.
  explicit cBuffer(const std::string& FNAME);
  virtual ~cBuffer() = default;

  cBuffer(const cBuffer&) = default;
  cBuffer& operator=(const cBuffer&) = default;

  const std::string& FILENAME() const { return FFILENAME; }

  void REWIND() { FCURRENT = 0; }
  int32_t READCOUNT() const { return static_cast<int32_t>(FLINES.size()); }
  int32_t GETCURRENT() const { return FCURRENT; }
  /// True exactly when the cursor stands after the last line.
  bool ISEOF() const { return FCURRENT == READCOUNT(); }
  /// Whether the file given to the loading constructor could not be read.
  bool LOADFAILED() const { return FLOADFAILED; }

  /// The line at the cursor, which moves on; the empty text at the end. On a
  /// buffer whose file failed to load it returns the empty text and moves the
  /// cursor to 0, the end of its (empty) line list, so reading loops end.
  std::string READLN();
  /// The next line's text after its first CAR (the whole line when it has none).
  std::string READAFTERTOKEN(char CAR = ':');
  /// Inserts S at the cursor and moves the cursor after it. Beyond the line
  /// limit, the first lines go.
  void WRITELN(const std::string& S);
  /// Keeps at most N lines (0: no limit): a line written beyond the limit
  /// drops the buffer's first line, and the cursor follows its line.
  void SETMAXLINES(int32_t N) { FMAXLINES = N; }
  /// WRITELN of FORMAT(FMT, ARGS...): "%d" for integers, "%s" for texts.
  template <class FMTTYPE, class... A>
  requires(sizeof...(A) > 0 && !std::is_arithmetic_v<FMTTYPE> &&
           std::is_convertible_v<const FMTTYPE&, std::string_view>) void WRITELN(const FMTTYPE& FMT,
                                                                                 const A&... ARGS) {
    WRITELN(FORMAT(FMT, ARGS...));
  }
  /// Steps the cursor back one line and returns that line (empty at the start).
  std::string PREVIOUS();
  std::string FIRST();
  std::string LAST();
  /// Removes the line at INDEX (nothing when INDEX is not a line).
  void DELETE(int32_t INDEX);
  /// Copies every line of FROM at this buffer's cursor; FROM's cursor ends at its end.
  void DUMP(cBuffer& FROM);
  /// Writes every line followed by CR LF into FNAME; false when it cannot be written.
  bool SAVETOFILE(const std::string& FNAME) const;
  void CLEAR();
  /// Writes every line to the console, then empties the buffer.
  void DISPLAY();

  const std::vector<std::string>& LINES() const { return FLINES; }

 private:
  std::string FFILENAME;
  std::vector<std::string> FLINES;
  int32_t FCURRENT = 0;
  int32_t FMAXLINES = 0;
  bool FLOADFAILED = false;
};

/// A buffer for messages of graded detail: a line written with a level above
/// LEVEL is dropped; LEVEL -1 keeps everything.
class cBufferMobile : public cBuffer {
 public:
  cBufferMobile() = default;
  explicit cBufferMobile(const std::string& FNAME) : cBuffer(FNAME) {}
  explicit cBufferMobile(int32_t L) : LEVEL(L) {}

  void SETLEVEL(int32_t L) { LEVEL = L; }
  int32_t GETLEVEL() const { return LEVEL; }

  using cBuffer::WRITELN;
  void WRITELN(int32_t L, const std::string& S) {
    if (LEVEL == -1 || LEVEL >= L) {
      cBuffer::WRITELN(S);
    }
  }
  template <class... A>
  requires(sizeof...(A) > 0) void WRITELN(int32_t L, std::string_view FMT, const A&... ARGS) {
    WRITELN(L, FORMAT(FMT, ARGS...));
  }

 private:
  int32_t LEVEL = -1;
};
