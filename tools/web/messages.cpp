#include "messages.h"

#include <boost/json.hpp>

#include <algorithm>

#include "latin1.h"

namespace json = boost::json;

namespace {

tPageMessage BAD(const char* WHY, sCloseCode CODE = ccPOLICY) {
  return {tPageMessage::BAD, WHY, CODE};
}

}  // namespace

tPageMessage PARSEPAGEMESSAGE(std::string_view FRAME) {
  // A page's message is small: parsed in a buffer on the stack, it costs no
  // allocation unless it is unusually big.
  unsigned char SCRATCH[4096];
  json::monotonic_resource MEMORY(SCRATCH, sizeof SCRATCH);
  json::error_code EC;
  const json::value V = json::parse(FRAME, EC, &MEMORY);
  if (EC) {
    return BAD("not JSON");
  }
  const json::object* O = V.if_object();
  if (O == nullptr || O->size() != 1) {
    return BAD("unknown message");
  }
  const auto& [KEY, VALUE] = *O->begin();
  if (KEY == "line" && VALUE.is_string()) {
    // A code point above U+00FF becomes '?', and a CR or LF a space: one
    // message is one line of the game.
    std::string TEXT = *LATIN1(VALUE.get_string(), '?');
    std::replace_if(
        TEXT.begin(), TEXT.end(), [](char C) { return C == '\r' || C == '\n'; }, ' ');
    if (TEXT.size() > PAGELINEMAX) {
      return BAD("line too long", ccTOOBIG);
    }
    return {tPageMessage::LINE, std::move(TEXT)};
  }
  if (KEY == "resume" && VALUE.is_string()) {
    return {tPageMessage::RESUME, std::string(VALUE.get_string())};
  }
  if (KEY == "quit" && VALUE.is_bool() && VALUE.get_bool()) {
    return {tPageMessage::QUIT, ""};
  }
  return BAD("unknown message");
}

std::string LINEMESSAGE(const std::string& LATIN1) {
  return "{\"line\":" + json::serialize(json::string_view(UTF8(LATIN1))) + "}";
}

std::string SESSIONMESSAGE(const std::string& TOKEN, unsigned SECONDS) {
  return json::serialize(json::object{{"session", TOKEN}, {"grace", SECONDS}});
}

std::string CLOSEDMESSAGE(std::string_view REASON) {
  return json::serialize(json::object{{"closed", REASON}});
}

void cLineSplitter::FEED(std::string_view BYTES, std::vector<std::string>& LINES) {
  while (!BYTES.empty()) {
    const auto LF = BYTES.find('\n');
    const std::size_t TAKE = LF == std::string_view::npos ? BYTES.size() : LF;
    FPARTIAL.append(BYTES.substr(0, TAKE));
    BYTES.remove_prefix(LF == std::string_view::npos ? TAKE : TAKE + 1);
    if (LF != std::string_view::npos) {
      if (!FPARTIAL.empty() && FPARTIAL.back() == '\r') {
        FPARTIAL.pop_back();
      }
      LINES.push_back(std::move(FPARTIAL));
      FPARTIAL.clear();
    } else if (FPARTIAL.size() >= LINEMAX) {
      LINES.push_back(std::move(FPARTIAL));
      FPARTIAL.clear();
    }
  }
}
