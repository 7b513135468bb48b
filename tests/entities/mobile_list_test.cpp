#include "entities/mobile_list.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/helpers.h"

namespace {

std::vector<int32_t> Uids(const tListeMobilesBase<std::unique_ptr<cMobile>>& L) {
  std::vector<int32_t> R;
  for (auto* M : L.SNAPSHOT()) {
    R.push_back(M->FUID);
  }
  return R;
}

std::vector<std::string> Names(const cListeMobiles& L) {
  std::vector<std::string> R;
  for (auto* M : L.SNAPSHOT()) {
    R.push_back(M->FNAME);
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

TEST(Mobile, NamesAreLowerCaseAndCut) {
  cMobile M(3, "ORC des MONTAGNES");
  EXPECT_EQ(M.FNAME, "orc des montagnes");
  cMobile LONG(1, std::string(60, 'X'));
  EXPECT_EQ(LONG.FNAME, std::string(40, 'x'));
  cMobile D;
  EXPECT_EQ(D.FUID, -1);
  EXPECT_EQ(D.FNAME, "dummy");
}

TEST(Mobile, OneLineRecord) {
  cMobile M(3, "orc");
  cBuffer B;
  M.TOBUFFER(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"3:orc"}));
  B.CLEAR();
  B.WRITELN("7:Roi:Des:Nains");
  B.REWIND();
  cMobile R;
  R.FROMBUFFER(B);
  EXPECT_EQ(R.FUID, 7);
  EXPECT_EQ(R.FNAME, "roi:des:nains");
  B.CLEAR();
  B.WRITELN("x:orc");
  B.REWIND();
  EXPECT_THROW(R.FROMBUFFER(B), cConversionError);
}

TEST(MobileList, SearchOnAnEmptyListFindsNothing) {
  cListeMobiles L;
  EXPECT_EQ(L.SEARCH(0), nullptr);
  EXPECT_EQ(L.SEARCH("orc"), nullptr);
}

TEST(MobileList, SearchesIgnoreCaseAndLeaveTheListInTheirKeyOrder) {
  auto L = ListOf({{5, "troll"}, {2, "orc"}, {9, "elfe"}, {0, "nain"}});
  cMobile* ORC = L.SEARCH("ORC");
  ASSERT_NE(ORC, nullptr);
  EXPECT_EQ(ORC->FUID, 2);
  EXPECT_EQ(Names(L), (std::vector<std::string>{"elfe", "nain", "orc", "troll"}));
  cMobile* NINE = L.SEARCH(9);
  ASSERT_NE(NINE, nullptr);
  EXPECT_EQ(NINE->FNAME, "elfe");
  EXPECT_EQ(Uids(L), (std::vector<int32_t>{0, 2, 5, 9}));
  EXPECT_EQ(L.SEARCH(4), nullptr);
  EXPECT_EQ(L.SEARCH(10), nullptr);
  EXPECT_EQ(L.SEARCH(-1), nullptr);
  EXPECT_EQ(L.SEARCH("orcs"), nullptr);
  EXPECT_EQ(L.SEARCH("aaa"), nullptr);
  EXPECT_EQ(L.SEARCH("zzz"), nullptr);
  // The cursor walks the order the last search (by name) left.
  EXPECT_EQ(L.FIRST()->FNAME, "elfe");
}

TEST(MobileList, EveryElementIsFoundByUidAndName) {
  cListeMobiles L;
  for (int32_t I = 0; I < 37; ++I) {
    L.ADD(std::make_unique<cMobile>((I * 17) % 37, "name" + std::to_string((I * 11) % 37)));
  }
  for (int32_t I = 0; I < 37; ++I) {
    ASSERT_NE(L.SEARCH(I), nullptr) << I;
    EXPECT_EQ(L.SEARCH(I)->FUID, I);
    ASSERT_NE(L.SEARCH("NAME" + std::to_string(I)), nullptr) << I;
  }
}

TEST(MobileList, NamesWithCapitalsAreStillFound) {
  cListeMobiles L;
  for (const char* NAME : {"zed", "Bob", "alice", "Carl"}) {
    auto M = std::make_unique<cMobile>(0, "");
    M->FNAME = NAME;  // kept as written, as some readers do
    L.ADD(std::move(M));
  }
  for (const char* NAME : {"bob", "BOB", "carl", "Alice", "ZED"}) {
    EXPECT_NE(L.SEARCH(NAME), nullptr) << NAME;
  }
}

TEST(MobileList, NameOrderIsByteOrderWithPrefixesFirst) {
  auto L = ListOf({{0, "orcs"}, {1, "orc"}, {2, "\xE9lan"}, {3, "zebre"}, {4, "or"}});
  L.SORT(sSortByName);
  EXPECT_EQ(Names(L), (std::vector<std::string>{"or", "orc", "orcs", "zebre", "\xE9lan"}));
  L.SORT(static_cast<sSortBy>(9));
  EXPECT_EQ(Names(L), (std::vector<std::string>{"or", "orc", "orcs", "zebre", "\xE9lan"}));
}

TEST(MobileList, FindAvailUid) {
  EXPECT_EQ(ListOf({}).FINDAVAILUID(), 0);
  EXPECT_EQ(ListOf({{0, "a"}, {1, "b"}, {2, "c"}}).FINDAVAILUID(), 3);
  EXPECT_EQ(ListOf({{3, "a"}, {0, "b"}, {2, "c"}}).FINDAVAILUID(), 1);
  EXPECT_EQ(ListOf({{1, "a"}, {2, "b"}}).FINDAVAILUID(), 0);
  EXPECT_EQ(ListOf({{5, "a"}, {0, "b"}}).FINDAVAILUID(), 6);
  EXPECT_EQ(ListOf({{-1, "a"}, {0, "b"}}).FINDAVAILUID(), 1);
  EXPECT_EQ(ListOf({{0, "a"}, {INT32_MAX, "b"}}).FINDAVAILUID(), 1);
  EXPECT_EQ(ListOf({{0, "a"}, {1, "c"}, {INT32_MAX, "b"}}).FINDAVAILUID(), 2);
  auto L = ListOf({{4, "a"}, {0, "b"}, {2, "c"}});
  L.FINDAVAILUID();
  EXPECT_EQ(Uids(L), (std::vector<int32_t>{0, 2, 4}));
}

TEST(MobileList, FindAvailUidNeverGivesAUidInUse) {
  cListeMobiles L;
  for (int I = 0; I < 60; ++I) {
    const int32_t UID = L.FINDAVAILUID();
    ASSERT_EQ(L.SEARCH(UID), nullptr);
    L.ADD(std::make_unique<cMobile>(UID, "m"));
    if (I % 7 == 3) {
      L.DELETE(I % L.COUNT());
    }
  }
}

TEST(MobileList, CursorTraversal) {
  cListeMobiles EMPTY;
  EXPECT_EQ(EMPTY.FIRST(), nullptr);
  EXPECT_TRUE(EMPTY.ISEOL());
  EXPECT_EQ(EMPTY.NEXT(), nullptr);
  EXPECT_EQ(EMPTY.PREV(), nullptr);

  auto ONE = ListOf({{1, "a"}});
  int VISITS = 0;
  if (ONE.FIRST() != nullptr) {
    ++VISITS;
    while (!ONE.ISEOL()) {
      ONE.NEXT();
      ++VISITS;
    }
  }
  EXPECT_EQ(VISITS, 1);

  auto L = ListOf({{1, "a"}, {2, "b"}, {3, "c"}});
  EXPECT_EQ(L.FIRST()->FUID, 1);
  EXPECT_EQ(L.PREV(), nullptr);
  EXPECT_EQ(L.NEXT()->FUID, 2);
  EXPECT_EQ(L.NEXT()->FUID, 3);
  EXPECT_TRUE(L.ISEOL());
  EXPECT_EQ(L.NEXT(), nullptr);
  EXPECT_EQ(L.CURSOR(), 2);
  EXPECT_EQ(L.PREV()->FUID, 2);
  // A cursor left beyond the list by a removal never reads outside it.
  L.NEXT();
  L.DELETE(2);
  L.DELETE(1);
  EXPECT_TRUE(L.ISEOL());
  EXPECT_EQ(L.NEXT(), nullptr);
  EXPECT_EQ(L.PREV()->FUID, 1);
  EXPECT_THROW(L.GET(5), std::out_of_range);
}

TEST(MobileList, RecordRoundTripAndAppend) {
  auto L = ListOf({{4, "troll"}, {1, "orc"}, {2, "elfe noir"}});
  cBuffer B;
  L.TOBUFFER(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"nbLines:3", "4:troll", "1:orc", "2:elfe noir"}));
  B.REWIND();
  cListeMobiles R;
  R.FROMBUFFER(B);
  EXPECT_EQ(Uids(R), (std::vector<int32_t>{4, 1, 2}));
  EXPECT_EQ(Names(R), Names(L));
  B.REWIND();
  R.FROMBUFFER(B);
  EXPECT_EQ(R.COUNT(), 6);

  cListeMobiles EMPTY;
  cBuffer E;
  EMPTY.TOBUFFER(E);
  EXPECT_EQ(E.LINES(), (std::vector<std::string>{"nbLines:0"}));
}

TEST(MobileList, MalformedRecordsRaiseConversionErrors) {
  cBuffer B;
  B.WRITELN("nbLines");
  B.REWIND();
  cListeMobiles L;
  EXPECT_THROW(L.FROMBUFFER(B), cConversionError);
  // A count larger than the records that follow ends on the empty uid.
  cBuffer SHORT;
  SHORT.WRITELN("nbLines:1000000");
  SHORT.WRITELN("1:a");
  SHORT.REWIND();
  EXPECT_THROW(L.FROMBUFFER(SHORT), cConversionError);
}

TEST(MobileList, ExtractHandsOverOwnership) {
  auto A = ListOf({{1, "a"}, {2, "b"}});
  cListeMobiles B;
  cMobile* M = A.SEARCH(2);
  B.ADD(A.EXTRACT(M));
  EXPECT_EQ(A.COUNT(), 1);
  EXPECT_EQ(B.GET(0), M);
  EXPECT_EQ(A.EXTRACT(M), nullptr);
  EXPECT_FALSE(A.REMOVE(M));
  EXPECT_TRUE(B.REMOVE(M));
  FREEANDNILLIST(A);
  EXPECT_TRUE(A.ISEMPTY());
}

namespace {

class cModeles : public cListeMobiles {};

struct PlacedFixture : ::testing::Test {
  void SetUp() override {
    MODELES.ADD(std::make_unique<cMobile>(0, "ferme"));
    MODELES.ADD(std::make_unique<cMobile>(1, "caserne"));
    MODELES.ADD(std::make_unique<cMobile>(2, "tour"));
  }
  cModeles MODELES;
};

}  // namespace

TEST_F(PlacedFixture, PlacedRecordRoundTrip) {
  cListeMobilesPosition L;
  L.WIZARD(MODELES.SEARCH(1), &MODELES, COORDMAP(3, 4));
  L.WIZARD(MODELES.SEARCH(0), &MODELES, COORDMAP(1, 1));
  L.WIZARD(MODELES.SEARCH(2), &MODELES, COORDMAP(10, 10));
  cBuffer B;
  L.TOBUFFER(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"nbLines:3", "#1", "ferme:0", "position:1,1", "#0",
                                                 "caserne:1", "position:3,4", "#2", "tour:2",
                                                 "position:10,10"}));
  B.REWIND();
  cListeMobilesPosition R;
  R.FROMBUFFER(B);
  ASSERT_EQ(R.COUNT(), 3);
  for (int32_t I = 0; I < 3; ++I) {
    EXPECT_EQ(R.GET(I)->FUID, L.GET(I)->FUID);
    EXPECT_EQ(R.GET(I)->FNAME, L.GET(I)->FNAME);
    EXPECT_EQ(R.GETPOSITION(I)->FPOSITION, L.GETPOSITION(I)->FPOSITION);
    EXPECT_EQ(R.GETPOSITION(I)->FINDEX, L.GETPOSITION(I)->FINDEX);
  }
}

TEST_F(PlacedFixture, PlacedReaderFindsItsModelByUid) {
  cBuffer B;
  B.WRITELN("#7");
  B.WRITELN("Tour:2");
  B.WRITELN("position:5,6");
  B.REWIND();
  cMobilePosition P;
  P.FROMBUFFER(B, &MODELES);
  EXPECT_EQ(P.FUID, 7);
  EXPECT_EQ(P.FNAME, "Tour");
  EXPECT_EQ(P.FMODELE, MODELES.SEARCH("tour"));
  EXPECT_EQ(P.FPOSITION, COORDMAP(5, 6));
  EXPECT_EQ(P.FINDEX, 55);

  B.REWIND();
  cMobilePosition NOLIST;
  NOLIST.FROMBUFFER(B);
  EXPECT_EQ(NOLIST.FMODELE, nullptr);

  cBuffer BAD;
  BAD.WRITELN("#1");
  BAD.WRITELN("tour:2");
  BAD.WRITELN("position:5");
  BAD.REWIND();
  EXPECT_THROW(NOLIST.FROMBUFFER(BAD), cConversionError);
}

TEST_F(PlacedFixture, PlacedDefaults) {
  cMobilePosition EMPTY;
  EXPECT_EQ(EMPTY.FPOSITION, COORDMAP(0, 0));
  EXPECT_EQ(EMPTY.FINDEX, 0);
  cMobilePosition FROMMODEL(MODELES.SEARCH(1));
  EXPECT_EQ(FROMMODEL.FUID, -1);
  EXPECT_EQ(FROMMODEL.FNAME, "caserne");
  EXPECT_EQ(FROMMODEL.FPOSITION, COORDMAP(-1, -1));
  EXPECT_EQ(FROMMODEL.FINDEX, -1);
  cBuffer B;
  cMobilePosition ORPHAN;
  ORPHAN.TOBUFFER(B);
  EXPECT_EQ(B.LINES(), (std::vector<std::string>{"#-1", "dummy:-1", "position:0,0"}));
}

TEST_F(PlacedFixture, AddKeepsSquareIndexOrder) {
  cListeMobilesPosition L;
  for (auto [X, Y] : {std::pair{5, 5}, {1, 2}, {9, 1}, {1, 1}}) {
    auto P = std::make_unique<cMobilePosition>(L.FINDAVAILUID(), "p", MODELES.GET(0));
    P->PUT(X, Y);
    L.ADD(std::move(P));
  }
  std::vector<int32_t> INDICES;
  for (int32_t I = 0; I < L.COUNT(); ++I) {
    INDICES.push_back(L.GETPOSITION(I)->FINDEX);
  }
  EXPECT_EQ(INDICES, (std::vector<int32_t>{1, 9, 11, 45}));
  cMobile* AT11 = L.SEARCHINDEX(11);
  ASSERT_NE(AT11, nullptr);
  EXPECT_EQ(static_cast<cMobilePosition*>(AT11)->FPOSITION, COORDMAP(1, 2));
}

TEST_F(PlacedFixture, GetListGivesThePiecesOfOneSquare) {
  cListeMobilesPosition L;
  EXPECT_TRUE(L.GETLIST(1, 1).ISEMPTY());
  for (auto [X, Y] : {std::pair{3, 3}, {2, 2}, {3, 3}, {4, 4}, {3, 3}}) {
    L.WIZARD(MODELES.GET(0), &MODELES, COORDMAP(X, Y));
  }
  EXPECT_TRUE(L.GETLIST(5, 5).ISEMPTY());
  cListeMobilesRef AT = L.GETLIST(3, 3);
  ASSERT_EQ(AT.COUNT(), 3);
  for (int32_t I = 0; I < 3; ++I) {
    EXPECT_EQ(static_cast<cMobilePosition*>(AT.GET(I))->FPOSITION, COORDMAP(3, 3));
    EXPECT_GE(L.INDEXOF(AT.GET(I)), 0);
  }
  // The result only refers to the pieces: forgetting them leaves them in L.
  AT.CLEAR();
  EXPECT_EQ(L.COUNT(), 5);
  EXPECT_EQ(L.GETLIST(4, 4).COUNT(), 1);
}

TEST_F(PlacedFixture, WizardTakesFreeUidsAndTheModelsName) {
  cListeMobilesPosition L;
  auto* A = L.WIZARD(MODELES.SEARCH(2), &MODELES, COORDMAP(2, 2));
  auto* B = L.WIZARD(MODELES.SEARCH(2), &MODELES, COORDMAP(1, 1));
  EXPECT_EQ(A->FUID, 0);
  EXPECT_EQ(B->FUID, 1);
  EXPECT_EQ(A->FNAME, "tour");
  EXPECT_EQ(A->LSTMODELES, &MODELES);
  EXPECT_EQ(A->FINDEX, 12);
  EXPECT_EQ(L.GET(0), B);
}
