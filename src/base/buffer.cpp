#include "base/buffer.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/console.h"

cBuffer::cBuffer(const std::string& FNAME) : FFILENAME(FNAME) {
  std::ifstream IN(FNAME, std::ios::binary);
  if (!IN) {
    FCURRENT = -1;
    FLOADFAILED = true;
    return;
  }
  const std::string DATA((std::istreambuf_iterator<char>(IN)), std::istreambuf_iterator<char>());
  std::size_t START = 0;
  while (START < DATA.size()) {
    auto END = DATA.find('\n', START);
    const bool LASTLINE = END == std::string::npos;
    if (LASTLINE) {
      END = DATA.size();
    }
    std::string LINE = DATA.substr(START, END - START);
    if (!LINE.empty() && LINE.back() == '\r') {
      LINE.pop_back();
    }
    FLINES.push_back(std::move(LINE));
    START = END + 1;
  }
}

std::string cBuffer::READLN() {
  if (FCURRENT < 0) {
    FCURRENT = 0;
  }
  if (ISEOF()) {
    return {};
  }
  return FLINES[static_cast<std::size_t>(FCURRENT++)];
}

std::string cBuffer::READAFTERTOKEN(char CAR) {
  const std::string LINE = READLN();
  const auto POS = LINE.find(CAR);
  return POS == std::string::npos ? LINE : LINE.substr(POS + 1);
}

void cBuffer::WRITELN(const std::string& S) {
  if (FCURRENT < 0) {
    FCURRENT = 0;
  }
  FLINES.insert(FLINES.begin() + FCURRENT, S);
  ++FCURRENT;
  if (FMAXLINES > 0 && READCOUNT() > FMAXLINES) {
    const int32_t EXTRA = READCOUNT() - FMAXLINES;
    FLINES.erase(FLINES.begin(), FLINES.begin() + EXTRA);
    FCURRENT = std::max(FCURRENT - EXTRA, 0);
  }
}

std::string cBuffer::PREVIOUS() {
  if (FCURRENT <= 0) {
    return {};
  }
  --FCURRENT;
  return FLINES[static_cast<std::size_t>(FCURRENT)];
}

std::string cBuffer::FIRST() {
  if (FLINES.empty()) {
    return {};
  }
  FCURRENT = 0;
  return READLN();
}

std::string cBuffer::LAST() {
  if (FLINES.empty()) {
    return {};
  }
  FCURRENT = READCOUNT() - 1;
  return READLN();
}

void cBuffer::DELETE(int32_t INDEX) {
  if (INDEX < 0 || INDEX >= READCOUNT()) {
    return;
  }
  FLINES.erase(FLINES.begin() + INDEX);
  if (READCOUNT() < FCURRENT) {
    FCURRENT = READCOUNT();
  }
}

void cBuffer::DUMP(cBuffer& FROM) {
  // Copied first, so that a buffer dumped into itself doubles once and stops.
  const std::vector<std::string> COPY = FROM.FLINES;
  for (const auto& LINE : COPY) {
    WRITELN(LINE);
  }
  FROM.FCURRENT = FROM.READCOUNT();
}

bool cBuffer::SAVETOFILE(const std::string& FNAME) const {
  std::ofstream OUT(FNAME, std::ios::binary | std::ios::trunc);
  if (!OUT) {
    return false;
  }
  for (const auto& LINE : FLINES) {
    OUT << LINE << "\r\n";
  }
  OUT.flush();
  return static_cast<bool>(OUT);
}

void cBuffer::CLEAR() {
  FLINES.clear();
  FCURRENT = 0;
}

void cBuffer::DISPLAY() {
  for (const auto& LINE : FLINES) {
    CONSOLE(LINE);
  }
  CLEAR();
}
