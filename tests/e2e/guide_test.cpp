// The player's guide, docs/PROTOCOL.md, played against the real server: every
// exchange block of the guide ("```exchange NAME") is a part of one game on
// one server, started as the guide says (a fresh copy of the shipped game
// directory and the guide's --seed). In a block, "> TEXT" is a line the
// client sends, "..." stands for any lines up to the next line shown, and
// every other line is a line the server sends, in order, nothing left over.

#include <map>
#include <regex>

#include "e2e_support.h"

using namespace e2e;

namespace {

struct tStep {
  int LINE = 0;  // in the guide
  std::string CONNECTION;
  enum { SEND, EXPECT, SKIP } KIND = EXPECT;
  std::string TEXT;
};

// The guide is UTF-8; the server speaks Latin-1.
std::string LATIN1(const std::string& UTF8, bool& OK) {
  std::string R;
  for (std::size_t I = 0; I < UTF8.size(); ++I) {
    const auto B = static_cast<unsigned char>(UTF8[I]);
    if (B < 0x80) {
      R += static_cast<char>(B);
    } else if ((B == 0xC2 || B == 0xC3) && I + 1 < UTF8.size()) {
      R += static_cast<char>(((B & 0x03) << 6) | (static_cast<unsigned char>(UTF8[++I]) & 0x3F));
    } else {
      OK = false;
    }
  }
  return R;
}

// Trailing blanks cannot be seen in a guide: they are not compared.
std::string RTRIM(std::string S) {
  S.erase(S.find_last_not_of(' ') + 1);
  return S;
}

std::vector<tStep> READGUIDE(const std::string& TEXT) {
  std::vector<tStep> STEPS;
  std::istringstream IN(TEXT);
  std::string L;
  std::string BLOCK;  // the connection of the exchange block being read, "" outside
  bool INFENCE = false;
  for (int N = 1; std::getline(IN, L); ++N) {
    if (L.rfind("```", 0) == 0) {
      INFENCE = !INFENCE;
      BLOCK = INFENCE && L.rfind("```exchange ", 0) == 0 ? L.substr(12) : "";
      continue;
    }
    if (BLOCK.empty()) {
      continue;
    }
    bool OK = true;
    tStep S{N, BLOCK, tStep::EXPECT, LATIN1(L, OK)};
    EXPECT_TRUE(OK) << "docs/PROTOCOL.md:" << N << ": a character that is not Latin-1";
    if (L.rfind("> ", 0) == 0) {
      S.KIND = tStep::SEND;
      S.TEXT = S.TEXT.substr(2);
    } else if (L == "...") {
      S.KIND = tStep::SKIP;
    }
    STEPS.push_back(S);
  }
  return STEPS;
}

}  // namespace

TEST(Guide, EveryExchangeOfTheGuidePlaysAsWrittenAgainstTheServer) {
  const std::string GUIDE = ReadFile(ROYAUMES_GUIDE);
  std::smatch SEED;
  ASSERT_TRUE(std::regex_search(GUIDE, SEED, std::regex("--seed ([0-9]+)")));
  const std::vector<tStep> STEPS = READGUIDE(GUIDE);
  ASSERT_GT(STEPS.size(), 100u);

  cGameDir DIR;
  fs::copy_file(fs::path(ROYAUMES_GAME_DIR) / "players" / "accounts.zrk",
                DIR.PATH() / "players" / "accounts.zrk", fs::copy_options::overwrite_existing);
  const auto SERVER = SERVE(DIR.PATH(), {"--seed", SEED[1].str()});

  std::map<std::string, std::unique_ptr<cConnection>> CONNECTIONS;
  for (std::size_t I = 0; I < STEPS.size(); ++I) {
    const tStep& S = STEPS[I];
    const std::string WHERE =
        "docs/PROTOCOL.md:" + std::to_string(S.LINE) + " (" + S.CONNECTION + ")";
    auto& C = CONNECTIONS[S.CONNECTION];
    if (!C) {
      C = std::make_unique<cConnection>();
      ASSERT_TRUE(C->OPEN()) << WHERE;
    }
    if (S.KIND == tStep::SEND) {
      // The previous reply has been read whole: nothing more may come.
      ASSERT_TRUE(C->QUIET(20)) << WHERE << ": the server sent more than the guide shows before "
                                << S.TEXT;
      ASSERT_TRUE(C->SEND(S.TEXT + "\r\n")) << WHERE;
    } else if (S.KIND == tStep::EXPECT) {
      const std::string GOT = C->LINE();
      ASSERT_EQ(RTRIM(GOT), RTRIM(S.TEXT)) << WHERE;
    } else {
      ASSERT_TRUE(I + 1 < STEPS.size() && STEPS[I + 1].KIND == tStep::EXPECT &&
                  STEPS[I + 1].CONNECTION == S.CONNECTION)
          << WHERE << ": \"...\" must be followed by a line of the server";
      const std::string NEXT = RTRIM(STEPS[I + 1].TEXT);
      std::string GOT;
      for (int K = 0; K < 100000 && GOT != NEXT; ++K) {
        GOT = RTRIM(C->LINE());
        ASSERT_TRUE(GOT != "<timeout>" && GOT != "<closed>") << WHERE << ": never came: " << NEXT;
      }
      ++I;
    }
  }
  // None was sent more than the guide shows (some were dropped as idle).
  for (auto& [NAME, C] : CONNECTIONS) {
    const std::string LAST = C->LINE(20ms);
    EXPECT_TRUE(LAST == "<timeout>" || LAST == "<closed>")
        << NAME << ": the server sent more than the guide shows at its end: " << LAST;
  }
}
