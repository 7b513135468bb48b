#include "entities/named_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The list's elements in order, as "uid:name ".
std::string Order(const cListeMobiles& L) {
  std::string R;
  for (int32_t I = 0; I < L.COUNT(); ++I) {
    R += std::to_string(L.GET(I)->FUID) + ":" + L.GET(I)->FNAME + " ";
  }
  return R;
}

std::string Found(const cMobile* M) {
  return M == nullptr ? "none" : std::to_string(M->FUID) + ":" + M->FNAME;
}

// An element whose name keeps its case, as accounts and players keep it.
template <class LIST>
void Add(LIST& L, int32_t UID, const std::string& NAME) {
  auto M = std::make_unique<cMobile>(UID, "");
  M->FNAME = NAME;
  L.ADD(std::move(M));
}

}  // namespace

// The index must answer every search as the plain list's bisection does and
// leave the list in the same order, however adds and searches on either key
// interleave: other code walks the list in that order.
TEST(NamedList, AnswersAndLeavesTheOrderAsThePlainListDoes) {
  tListeNommee<cMobile> NAMED;
  tListeOf<cMobile> PLAIN;
  struct tStep {
    char OP;  // a: add, n: find by name, u: find by uid, f: free uid
    int32_t UID;
    const char* NAME;
  };
  const tStep STEPS[] = {
      {'n', 0, "x"},       {'f', 0, ""},      {'a', 5, "Troll"}, {'a', 2, "orc"},
      {'a', 6, "\xE9lan"}, {'a', 9, "Elfe"},  {'n', 0, "ORC"},   {'a', 10, "Zorro"},
      {'n', 0, "zorro"},   {'a', 1, "Abel"},  {'n', 0, "eLFE"},  {'u', 9, ""},
      {'a', 11, "Bob"},    {'u', 11, ""},     {'f', 0, ""},      {'n', 0, "nobody"},
      {'u', 3, ""},        {'n', 0, "orcs"},  {'a', 3, "TROLL"}, {'n', 0, "troll"},
      {'u', 3, ""},        {'n', 0, "Troll"}, {'a', 4, "Abe"},   {'n', 0, "abe"},
      {'a', 9, "Zed"},     {'u', 9, ""},      {'n', 0, "ZED"},   {'f', 0, ""},
  };
  for (std::size_t I = 0; I < std::size(STEPS); ++I) {
    const tStep& S = STEPS[I];
    SCOPED_TRACE(std::to_string(I) + " " + S.OP + " " + S.NAME);
    switch (S.OP) {
      case 'a':
        Add(NAMED, S.UID, S.NAME);
        Add(PLAIN, S.UID, S.NAME);
        break;
      case 'n':
        EXPECT_EQ(Found(NAMED.FIND(std::string_view(S.NAME))),
                  Found(PLAIN.FIND(std::string_view(S.NAME))));
        break;
      case 'u':
        EXPECT_EQ(Found(NAMED.FIND(S.UID)), Found(PLAIN.FIND(S.UID)));
        break;
      default:
        EXPECT_EQ(NAMED.FINDAVAILUID(), PLAIN.FINDAVAILUID());
    }
    EXPECT_EQ(Order(NAMED), Order(PLAIN));
  }

  // Many names, each found at once whatever its case.
  tListeNommee<cMobile> MANY;
  for (int32_t UID = 0; UID < 300; ++UID) {
    const std::string NAME = "Joueur" + std::to_string((UID * 7919) % 1000);
    Add(MANY, UID, NAME);
    ASSERT_EQ(Found(MANY.FIND(std::string_view(UPPERCASE(NAME)))),
              std::to_string(UID) + ":" + NAME);
  }
}
