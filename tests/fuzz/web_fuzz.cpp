// The web gateway's readers of what strangers send: a page's message, the
// game server's bytes cut into lines, a request target for the page's files.
// Each must hold its promises whatever the bytes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* DATA, size_t SIZE) {
  const std::string BYTES(reinterpret_cast<const char*>(DATA), SIZE);
  const tPageMessage M = PARSEPAGEMESSAGE(BYTES);
  // A line is one line of the game, within its bound.
  if (M.KIND == tPageMessage::LINE &&
      (M.TEXT.size() > PAGELINEMAX || M.TEXT.find_first_of("\r\n") != std::string::npos)) {
    __builtin_trap();
  }
  cLineSplitter S;
  std::vector<std::string> LINES;
  S.FEED(BYTES, LINES);
  for (const std::string& L : LINES) {
    if (L.size() > cLineSplitter::LINEMAX + BYTES.size() || L.find('\n') != std::string::npos) {
      __builtin_trap();
    }
  }
  (void)LINEMESSAGE(BYTES);
  // Only the page's own files, found under its directory.
  static const std::filesystem::path ROOT = std::filesystem::canonical(ROYAUMES_WEB_DIR);
  const tFileReply F = PAGEFILE(ROOT, BYTES);
  if (F.STATUS == 200 && F.TYPE.empty()) {
    __builtin_trap();
  }
  return 0;
}
