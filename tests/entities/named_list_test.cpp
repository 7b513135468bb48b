#include "entities/named_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What a search found, then the list's elements in order.
std::string Seen(const cListeMobiles& L, const std::string& FOUND) {
  std::string R = FOUND + " |";
  for (int32_t I = 0; I < L.COUNT(); ++I) {
    R += " " + std::to_string(L.GET(I)->FUID) + ":" + L.GET(I)->FNAME;
  }
  return R;
}

// Step S on L: "+uid:Name" adds an element whose name keeps its case, as
// accounts and players keep it; "#uid" finds by identifier; "?" asks for a
// free identifier; any other text finds that name.
template <class LIST>
std::string Step(LIST& L, const std::string& S) {
  if (S == "?") {
    return Seen(L, std::to_string(L.FINDAVAILUID()));
  }
  const cMobile* FOUND = nullptr;
  if (S[0] == '+') {
    auto M = std::make_unique<cMobile>(std::stoi(S.substr(1)), "");
    M->FNAME = S.substr(S.find(':') + 1);
    FOUND = L.ADD(std::move(M));
  } else if (S[0] == '#') {
    FOUND = L.FIND(static_cast<int32_t>(std::stoi(S.substr(1))));
  } else {
    FOUND = L.FIND(std::string_view(S));
  }
  return Seen(L, FOUND == nullptr ? "none" : std::to_string(FOUND->FUID) + ":" + FOUND->FNAME);
}

}  // namespace

// The indexes must answer every search as the plain list's bisection does and
// leave the list in the same order, however adds and searches on either key
// interleave: other code walks the list in that order. Names and identifiers
// shared by two elements come last.
TEST(NamedList, AnswersAndLeavesTheOrderAsThePlainListDoes) {
  tListeNommee<cMobile> NAMED;
  tListeOf<cMobile> PLAIN;
  for (const char* S :
       {"x",         "?",      "+5:Troll", "+2:orc", "+6:\xE9lan", "+9:Elfe", "ORC",
        "+10:Zorro", "zorro",  "+1:Abel",  "eLFE",   "#9",         "+11:Bob", "#11",
        "?",         "nobody", "#3",       "orcs",   "+4:Abe",     "abe",     "+3:TROLL",
        "troll",     "#3",     "Troll",    "+9:Zed", "#9",         "ZED",     "?"}) {
    EXPECT_EQ(Step(NAMED, S), Step(PLAIN, S)) << S;
  }
}
