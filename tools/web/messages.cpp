#include "messages.h"

#include <boost/json.hpp>

#include "latin1.h"

namespace json = boost::json;

namespace {

tPageMessage BAD(const char* WHY, sCloseCode CODE = ccPOLICY) {
  return {tPageMessage::BAD, WHY, CODE};
}

// UTF-8 (already checked by the WebSocket layer and the JSON parser) as
// Latin-1: a code point above U+00FF becomes '?', CR and LF a space.
std::string TOLATIN1(std::string_view UTF8) {
  std::string R;
  R.reserve(UTF8.size());
  for (std::size_t I = 0; I < UTF8.size();) {
    const auto B = static_cast<unsigned char>(UTF8[I]);
    std::size_t LEN = 1;
    unsigned CP = B;
    if (B >= 0xF0) {
      LEN = 4;
      CP = 0x10000;
    } else if (B >= 0xE0) {
      LEN = 3;
      CP = 0x800;
    } else if (B >= 0xC0) {
      LEN = 2;
      CP = (B & 0x1Fu) << 6 |
           (I + 1 < UTF8.size() ? static_cast<unsigned char>(UTF8[I + 1]) & 0x3Fu : 0);
    }
    I += LEN;
    if (CP > 0xFF) {
      R += '?';
    } else if (CP == '\r' || CP == '\n') {
      R += ' ';
    } else {
      R += static_cast<char>(CP);
    }
  }
  return R;
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
    std::string TEXT = TOLATIN1(VALUE.get_string());
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
