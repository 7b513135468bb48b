#include "entities/mobile_list.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/errors.h"
#include "support/fixtures.h"

namespace {

std::string Items(const cListeMobiles& L) {
  std::string R;
  for (int32_t I = 0; I < L.COUNT(); ++I) {
    R += std::to_string(L.GET(I)->FUID) + ":" + L.GET(I)->FNAME + " ";
  }
  return R;
}

cListeMobiles ListOf(std::initializer_list<std::pair<int32_t, const char*>> ITEMS) {
  cListeMobiles L;
  for (const auto& [UID, NAME] : ITEMS) {
    L.ADD(std::make_unique<cMobile>(UID, NAME));
  }
  return L;
}

}  // namespace

TEST(MobileList, SearchesIgnoreCaseAndLeaveTheListInTheirKeyOrder) {
  EXPECT_EQ(cMobile(1, "ORC des " + std::string(60, 'X')).FNAME, "orc des " + std::string(32, 'x'));
  EXPECT_EQ(cListeMobiles().SEARCH("orc"), nullptr);
  auto L = ListOf({{5, "troll"}, {2, "orc"}, {9, "elfe"}, {0, "nain"}, {4, "\xE9lan"}, {7, "or"}});
  ASSERT_NE(L.SEARCH("ORC"), nullptr);
  EXPECT_EQ(L.SEARCH("ORC")->FUID, 2);
  // Byte order, a prefix first; the cursor walks the order the last search left.
  EXPECT_EQ(Items(L), "9:elfe 0:nain 7:or 2:orc 5:troll 4:\xE9lan ");
  EXPECT_EQ(L.SEARCH(9)->FNAME, "elfe");
  EXPECT_EQ(Items(L), "0:nain 2:orc 4:\xE9lan 5:troll 7:or 9:elfe ");
  EXPECT_TRUE(!L.SEARCH(-1) && !L.SEARCH(3) && !L.SEARCH(10));
  EXPECT_TRUE(!L.SEARCH("orcs") && !L.SEARCH("aaa") && !L.SEARCH("zzz"));
  EXPECT_THROW(L.GET(6), std::out_of_range);
  // Every element of a larger list is found; names kept with capitals too.
  cListeMobiles BIG;
  for (int32_t I = 0; I < 37; ++I) {
    BIG.ADD(std::make_unique<cMobile>((I * 17) % 37, ""))->FNAME =
        "Name" + std::to_string((I * 11) % 37);
  }
  for (int32_t I = 0; I < 37; ++I) {
    EXPECT_TRUE(BIG.SEARCH(I) && BIG.SEARCH(I)->FUID == I) << I;
    EXPECT_NE(BIG.SEARCH("NAME" + std::to_string(I)), nullptr) << I;
  }
}

TEST(MobileList, FindAvailUidNeverGivesAUidInUse) {
  const auto AVAIL = [](std::initializer_list<std::pair<int32_t, const char*>> ITEMS) {
    return ListOf(ITEMS).FINDAVAILUID();
  };
  EXPECT_EQ(AVAIL({}), 0);
  EXPECT_EQ(AVAIL({{0, "a"}, {1, "b"}, {2, "c"}}), 3);
  EXPECT_EQ(AVAIL({{3, "a"}, {0, "b"}, {2, "c"}}), 1);
  EXPECT_EQ(AVAIL({{1, "a"}, {2, "b"}}), 0);
  EXPECT_EQ(AVAIL({{5, "a"}, {0, "b"}}), 6);
  EXPECT_EQ(AVAIL({{-1, "a"}, {0, "b"}}), 1);
  EXPECT_EQ(AVAIL({{0, "a"}, {INT32_MAX, "b"}}), 1);
  EXPECT_EQ(AVAIL({{0, "a"}, {1, "c"}, {INT32_MAX, "b"}}), 2);
}

TEST(MobileList, RecordsAreAppendedMalformedCountsFailAndPlacedPiecesKeepSquareOrder) {
  cBuffer B = testsupport::BUFFEROF({"nbLines:3", "4:troll", "1:orc", "2:Elfe:Noir"});
  cListeMobiles R;
  R.FROMBUFFER(B);
  B.REWIND();
  R.FROMBUFFER(B);
  EXPECT_EQ(Items(R), "4:troll 1:orc 2:elfe:noir 4:troll 1:orc 2:elfe:noir ");
  // A count larger than the records that follow ends on the empty uid.
  for (cBuffer TEXT :
       {testsupport::BUFFEROF({"nbLines"}), testsupport::BUFFEROF({"nbLines:1000000", "1:a"}),
        testsupport::BUFFEROF({"1", "x:a"})}) {
    EXPECT_THROW(R.FROMBUFFER(TEXT), cConversionError);
  }

  cListeMobiles MODELES = ListOf({{0, "ferme"}, {1, "caserne"}, {2, "tour"}});
  cListeMobilesPosition L;
  EXPECT_TRUE(L.GETLIST(1, 1).ISEMPTY());
  auto* A = L.WIZARD(MODELES.SEARCH(1), &MODELES, COORDMAP(3, 4));
  L.WIZARD(MODELES.SEARCH(0), &MODELES, COORDMAP(1, 1));
  L.WIZARD(MODELES.SEARCH(2), &MODELES, COORDMAP(10, 10));
  L.WIZARD(MODELES.SEARCH(2), &MODELES, COORDMAP(3, 4));
  EXPECT_EQ(Items(L), "1:ferme 0:caserne 3:tour 2:tour ");
  EXPECT_EQ(L.SEARCHINDEX(100)->FUID, 2);
  auto AT = L.GETLIST(3, 4);
  ASSERT_EQ(AT.COUNT(), 2);
  EXPECT_EQ(AT.GET(0), A);
  EXPECT_EQ(AT.ITEM(1)->FPOSITION, COORDMAP(3, 4));
  EXPECT_TRUE(L.GETLIST(5, 5).ISEMPTY());

  cBuffer ONE =
      testsupport::BUFFEROF({"#7", "Tour:2", "position:5,6", "#1", "tour:2", "position:5"});
  cMobilePosition P;
  P.FROMBUFFER(ONE, &MODELES);
  EXPECT_EQ(P.FMODELE, MODELES.SEARCH("tour"));
  EXPECT_EQ(P.FINDEX, 55);
  EXPECT_THROW(P.FROMBUFFER(ONE), cConversionError);
}

TEST(MobileList, AWalkVisitsTheElementsHeldAtItsStartEvenWhenItsVisitsDestroyAndMakeSome) {
  // Each row: what visiting uid 0 does to the list of 0, 1, 2; the uids visited.
  struct tCase {
    const char* WHAT;
    void (*VISIT0)(cListeMobiles& L);
    const char* VISITED;
  };
  const tCase CASES[] = {
      // The new element takes the free uid 1 of the one destroyed: it is not
      // visited, since it was not there when the walk began.
      {"destroy 1, make one",
       [](cListeMobiles& L) {
         L.REMOVE(L.SEARCH(1));
         L.ADD(std::make_unique<cMobile>(L.FINDAVAILUID(), "new"));
       },
       "0 2 "},
      {"destroy itself", [](cListeMobiles& L) { L.REMOVE(L.SEARCH(0)); }, "0 1 2 "},
      {"reverse the order",
       [](cListeMobiles& L) {
         L.SORTWITH([](const cMobile& A, const cMobile& B) { return A.FUID > B.FUID; });
       },
       "0 1 2 "},
      {"destroy all", [](cListeMobiles& L) { L.CLEAR(); }, "0 "},
  };
  for (const tCase& T : CASES) {
    cListeMobiles L = ListOf({{0, "a"}, {1, "b"}, {2, "c"}});
    std::string VISITED;
    L.FOREACHHELD([&](cMobile& M) {
      VISITED += std::to_string(M.FUID) + " ";
      if (M.FUID == 0 && M.FNAME == "a") {
        T.VISIT0(L);
      }
    });
    EXPECT_EQ(VISITED, T.VISITED) << T.WHAT;
  }
}
