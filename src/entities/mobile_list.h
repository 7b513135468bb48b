#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/buffer.h"
#include "entities/mobile.h"

/// Keys that lists sort and search on.
enum sSortBy : int32_t { sSortByUID = 0, sSortByName = 1, sSortByIndex = 2 };

/// Order of two names: bytes compared without the case of A to Z, a prefix first.
int32_t COMPARENAMES(std::string_view A, std::string_view B);
/// Square index of a placed mobile, -1 for one that cannot be placed.
int32_t SQUAREINDEXOF(const cMobile& M);

// Lifetimes of the game's objects, and what may be kept pointing at them.
// - A list that owns its mobiles (cListeMobiles) destroys an element only
//   through DELETE, REMOVE or CLEAR, or hands it to a new owner with EXTRACT.
//   A plain pointer to an element (a search result, a cListeMobilesRef such as
//   GETLIST's) is valid until the owning list next changes: use it at once and
//   never keep it across a turn, a battle or a command.
// - A walk during which elements may be destroyed or made (the turns of
//   recruitments, constructions and champions; battles) goes through
//   FOREACHHELD, which recognises elements by SERIAL and never compares or
//   touches a pointer to an element that has gone.
// - Catalogue records (the models of placed pieces) and accounts live for the
//   whole run. Players are never destroyed while the server runs: a session's
//   player stays valid for the life of the session. A player still being
//   created belongs to its session until it joins JEUJOUEURS.
// - A battle destroys troops (pieces of TROUPES or of an army) but never a
//   champion: a champion that dies moves to its player's CIMETIERE, so the
//   champion whose move started the battle is still alive when it ends. A
//   catalogue champion's FJOUEUR is cleared when its player goes.
// - Squares of the world belong to the square cache: use one at once and ask
//   again (by coordinate or index) rather than keep it.

/// What every list of mobiles shares, whether it owns its elements (HOLDER is a
/// unique_ptr) or only refers to elements owned elsewhere (HOLDER is a pointer):
/// the cursor, sorts, searches that re-sort the list, and free identifiers.
/// A search leaves the list in the order of its key; other code relies on it.
template <class HOLDER>
class tListeMobilesBase {
 public:
  explicit tListeMobilesBase(std::string NAMELIST = "mobiles") : FNAME(std::move(NAMELIST)) {}
  virtual ~tListeMobilesBase() = default;
  tListeMobilesBase(const tListeMobilesBase&) = delete;
  tListeMobilesBase& operator=(const tListeMobilesBase&) = delete;
  tListeMobilesBase(tListeMobilesBase&&) noexcept = default;
  tListeMobilesBase& operator=(tListeMobilesBase&&) noexcept = default;

  int32_t COUNT() const { return static_cast<int32_t>(FITEMS.size()); }
  bool ISEMPTY() const { return FITEMS.empty(); }
  /// The element at INDEX; std::out_of_range outside the list.
  cMobile* GET(int32_t INDEX) const {
    if (INDEX < 0 || INDEX >= COUNT()) {
      throw std::out_of_range("list index " + std::to_string(INDEX) + " out of bounds (" +
                              std::to_string(COUNT()) + " elements)");
    }
    return PTR(FITEMS[static_cast<std::size_t>(INDEX)]);
  }
  /// Position of M in the list, or -1.
  int32_t INDEXOF(const cMobile* M) const {
    for (std::size_t I = 0; I < FITEMS.size(); ++I) {
      if (PTR(FITEMS[I]) == M) {
        return static_cast<int32_t>(I);
      }
    }
    return -1;
  }
  /// The element whose SERIAL is S, or nullptr when the list does not hold it.
  cMobile* FINDSERIAL(uint64_t S) const {
    const std::size_t AT = POSITIONOFSERIAL(S);
    return AT < FITEMS.size() ? PTR(FITEMS[AT]) : nullptr;
  }
  /// Calls VISIT(element) once for every element the list holds when the walk
  /// starts, in that order, skipping an element that has left the list by the
  /// time its turn comes. VISIT may add, remove, destroy and re-sort elements:
  /// an element made during the walk is not visited, and one destroyed is
  /// never touched again.
  template <class VISITOR>
  void FOREACHHELD(VISITOR&& VISIT) {
    std::vector<uint64_t> SERIALS;
    SERIALS.reserve(FITEMS.size());
    for (const auto& H : FITEMS) {
      SERIALS.push_back(PTR(H)->SERIAL());
    }
    // Where the next element is looked for first: just after the one visited
    // (the list kept as it was), or at its place (it left the list). A list
    // changed otherwise is searched whole. Serials are unique, so an element
    // found at either place is the one a search would find.
    std::size_t NEXTAT = 0;
    for (const uint64_t S : SERIALS) {
      cMobile* M = nullptr;
      std::size_t AT = NEXTAT;
      if (AT < FITEMS.size() && PTR(FITEMS[AT])->SERIAL() == S) {
        M = PTR(FITEMS[AT]);
      } else if (AT > 0 && AT - 1 < FITEMS.size() && PTR(FITEMS[AT - 1])->SERIAL() == S) {
        M = PTR(FITEMS[--AT]);
      } else {
        AT = POSITIONOFSERIAL(S);
        M = AT < FITEMS.size() ? PTR(FITEMS[AT]) : nullptr;
      }
      if (M == nullptr) {
        continue;
      }
      VISIT(*M);
      NEXTAT = AT + 1;
    }
  }

  // The cursor: FIRST, then while not ISEOL, NEXT.
  cMobile* FIRST() {
    FCURSOR = 0;
    return FITEMS.empty() ? nullptr : PTR(FITEMS.front());
  }
  cMobile* NEXT() {
    if (ISEOL()) {
      return nullptr;
    }
    ++FCURSOR;
    return PTR(FITEMS[static_cast<std::size_t>(FCURSOR)]);
  }
  cMobile* PREV() {
    if (FITEMS.empty() || FCURSOR <= 0) {
      return nullptr;
    }
    FCURSOR = std::min(FCURSOR, COUNT()) - 1;
    return PTR(FITEMS[static_cast<std::size_t>(FCURSOR)]);
  }
  bool ISEOL() const { return FITEMS.empty() || FCURSOR >= COUNT() - 1; }
  int32_t CURSOR() const { return FCURSOR; }

  /// Sorts on a key; the order of equal keys is kept.
  void SORT(sSortBy SBY) {
    switch (SBY) {
      case sSortByUID:
        SORTBYKEY([](const cMobile& M) { return M.FUID; });
        break;
      case sSortByName:
        SORTWITH(
            [](const cMobile& A, const cMobile& B) { return COMPARENAMES(A.FNAME, B.FNAME) < 0; });
        break;
      case sSortByIndex:
        SORTBYKEY([](const cMobile& M) { return SQUAREINDEXOF(M); });
        break;
    }
  }
  /// Sorts on the number KEYOF(element); the order of equal keys is kept.
  template <class KEYOF>
  void SORTBYKEY(KEYOF KEYOFMOBILE) {
    const auto ORDER = [&](const HOLDER& A, const HOLDER& B) {
      return KEYOFMOBILE(*PTR(A)) < KEYOFMOBILE(*PTR(B));
    };
    if (std::is_sorted(FITEMS.begin(), FITEMS.end(), ORDER)) {
      return;
    }
    // Each key is read once and the pairs (key, position) are sorted as plain
    // numbers: a list that goes back and forth between uid and square order
    // (a free identifier, then a piece added) costs a sort of integers rather
    // than two key readings, one through a cast, per comparison. Positions
    // are all different, so equal keys keep their order.
    std::vector<std::pair<int32_t, std::size_t>> KEYS;
    KEYS.reserve(FITEMS.size());
    for (std::size_t I = 0; I < FITEMS.size(); ++I) {
      KEYS.emplace_back(KEYOFMOBILE(*PTR(FITEMS[I])), I);
    }
    std::sort(KEYS.begin(), KEYS.end());
    std::vector<HOLDER> SORTED;
    SORTED.reserve(FITEMS.size());
    for (const auto& [KEY, AT] : KEYS) {
      SORTED.push_back(std::move(FITEMS[AT]));
    }
    FITEMS = std::move(SORTED);
  }
  /// Sorts with LESS(a, b) on the elements; the order of equal elements is kept.
  template <class LESS>
  void SORTWITH(LESS LESSTHAN) {
    const auto ORDER = [&](const HOLDER& A, const HOLDER& B) { return LESSTHAN(*PTR(A), *PTR(B)); };
    // Searches sort before they look: a list already in that order (the
    // common case of searches on one key) is only checked, in one pass.
    if (!std::is_sorted(FITEMS.begin(), FITEMS.end(), ORDER)) {
      std::stable_sort(FITEMS.begin(), FITEMS.end(), ORDER);
    }
  }

  /// The element with that identifier, or nullptr; the list is left in uid order.
  cMobile* SEARCH(int32_t UID) { return SEARCHBY(sSortByUID, UID, {}); }
  /// The element with that name (case ignored), or nullptr; the list is left in name order.
  cMobile* SEARCH(std::string_view NAME) { return SEARCHBY(sSortByName, 0, NAME); }
  /// The first element standing on square index INDEX, or nullptr; the list is
  /// left in square-index order.
  cMobile* SEARCHINDEX(int32_t INDEX) { return SEARCHBY(sSortByIndex, INDEX, {}); }

  /// Bisection between FIRST and LAST (LAST may be COUNT) of a list sorted on SORTBY.
  int32_t BINARYSEARCH(int32_t UIDKEY, std::string_view NMKEY, int32_t FIRST, int32_t LAST,
                       sSortBy SORTBY) const {
    const std::string KEY = LOWERCASE(NMKEY);
    while (FIRST <= LAST) {
      const int32_t MID = FIRST + (LAST - FIRST) / 2;
      if (MID >= COUNT()) {
        return -1;
      }
      const cMobile& M = *PTR(FITEMS[static_cast<std::size_t>(MID)]);
      int32_t ORDER = 0;
      switch (SORTBY) {
        case sSortByUID:
          ORDER = M.FUID == UIDKEY ? 0 : (M.FUID > UIDKEY ? 1 : -1);
          break;
        case sSortByName:
          ORDER = SAMETEXT(M.FNAME, KEY) ? 0 : COMPARENAMES(M.FNAME, KEY);
          break;
        case sSortByIndex: {
          const int32_t INDEX = SQUAREINDEXOF(M);
          ORDER = INDEX == UIDKEY ? 0 : (INDEX > UIDKEY ? 1 : -1);
          break;
        }
      }
      if (ORDER == 0) {
        return MID;
      }
      if (ORDER > 0) {
        LAST = MID - 1;
      } else {
        FIRST = MID + 1;
      }
    }
    return -1;
  }

  /// An identifier no element uses: 0 for an empty list or one whose smallest uid
  /// is above 0, else the one free value of the first gap of exactly one, else the
  /// largest uid + 1. Leaves the list in uid order.
  int32_t FINDAVAILUID() {
    if (FITEMS.empty()) {
      return 0;
    }
    SORT(sSortByUID);
    if (GET(0)->FUID > 0) {
      return 0;
    }
    for (int32_t I = 1; I < COUNT(); ++I) {
      const int64_t PREVIOUS = GET(I - 1)->FUID;
      if (static_cast<int64_t>(GET(I)->FUID) == PREVIOUS + 2) {
        return static_cast<int32_t>(PREVIOUS + 1);
      }
    }
    const int32_t LARGEST = GET(COUNT() - 1)->FUID;
    if (LARGEST < INT32_MAX) {
      return LARGEST + 1;
    }
    // Identifiers run up to the largest value: take the smallest free one.
    int32_t CANDIDATE = 0;
    for (int32_t I = 0; I < COUNT(); ++I) {
      if (GET(I)->FUID == CANDIDATE) {
        ++CANDIDATE;
      } else if (GET(I)->FUID > CANDIDATE) {
        break;
      }
    }
    return CANDIDATE;
  }

  /// Name of the list ("mobiles" unless its creator gives one).
  std::string FNAME;

 protected:
  static cMobile* PTR(const HOLDER& H) {
    if constexpr (std::is_pointer_v<HOLDER>) {
      return H;
    } else {
      return H.get();
    }
  }

  // Position of the first element whose SERIAL is S, or the list's size.
  std::size_t POSITIONOFSERIAL(uint64_t S) const {
    std::size_t AT = 0;
    while (AT < FITEMS.size() && PTR(FITEMS[AT])->SERIAL() != S) {
      ++AT;
    }
    return AT;
  }

  cMobile* SEARCHBY(sSortBy KEY, int32_t NUMKEY, std::string_view NAMEKEY) {
    if (FITEMS.empty()) {
      return nullptr;
    }
    SORT(KEY);
    const int32_t POS = BINARYSEARCH(NUMKEY, NAMEKEY, 0, COUNT(), KEY);
    return POS < 0 ? nullptr : GET(POS);
  }

  std::vector<HOLDER> FITEMS;
  int32_t FCURSOR = 0;
};

/// A list that only refers to mobiles owned elsewhere (the pieces of one square,
/// scratch lists of a battle). Dropping an element or the list destroys nothing.
class cListeMobilesRef : public tListeMobilesBase<cMobile*> {
 public:
  using tListeMobilesBase::tListeMobilesBase;

  void ADD(cMobile* M) { FITEMS.push_back(M); }
  void INSERT(int32_t INDEX, cMobile* M);
  /// Forgets the element at INDEX.
  void DELETE(int32_t INDEX);
  /// Forgets M; false when it is not in the list.
  bool REMOVE(const cMobile* M);
  void CLEAR() { FITEMS.clear(); }
};

/// A list that refers to mobiles of class T owned elsewhere.
template <class T>
class tListeRefOf : public cListeMobilesRef {
 public:
  using cListeMobilesRef::cListeMobilesRef;
  /// The element at INDEX; std::out_of_range outside the list.
  T* ITEM(int32_t INDEX) const { return static_cast<T*>(GET(INDEX)); }
};

/// A list that owns its mobiles (catalogues, accounts, players, a player's
/// holdings). Elements come in with ADD and leave destroyed (DELETE, CLEAR) or
/// handed over to a new owner (EXTRACT), for moves between lists.
/// Each concrete list says how its elements are written and read.
class cListeMobiles : public tListeMobilesBase<std::unique_ptr<cMobile>> {
 public:
  using tListeMobilesBase::tListeMobilesBase;

  /// Appends M and returns it.
  cMobile* ADD(std::unique_ptr<cMobile> M);
  cMobile* INSERT(int32_t INDEX, std::unique_ptr<cMobile> M);
  /// Destroys the element at INDEX (nothing outside the list).
  void DELETE(int32_t INDEX);
  /// Destroys M; false when the list does not hold it.
  bool REMOVE(const cMobile* M);
  /// Takes the element at INDEX out of the list and hands it over; nullptr outside the list.
  std::unique_ptr<cMobile> EXTRACT(int32_t INDEX);
  std::unique_ptr<cMobile> EXTRACT(const cMobile* M) { return EXTRACT(INDEXOF(M)); }
  /// EXTRACT for a caller that knows the element's class.
  template <class T>
  std::unique_ptr<T> EXTRACTAS(const cMobile* M) {
    return std::unique_ptr<T>(static_cast<T*>(EXTRACT(M).release()));
  }
  /// Destroys every element.
  void CLEAR() { FITEMS.clear(); }

  /// How one element is written: its own TOBUFFER, which each element class
  /// overrides with its record.
  virtual void OUTPUTMOBILE(cBuffer& OUTPUT, cMobile& MOBILE);
  /// Reads one element (base: a one-line cMobile).
  virtual std::unique_ptr<cMobile> INPUTMOBILE(cBuffer& INPUT);
  /// "nbLines:N", then every element in the list's present order.
  virtual void TOBUFFER(cBuffer& OUTPUT);
  /// Reads "nbLines:N" and N elements, appended to what the list holds.
  virtual void FROMBUFFER(cBuffer& INPUT);
};

/// A list of placed mobiles, kept in square-index order by ADD.
class cListeMobilesPosition : public cListeMobiles {
 public:
  using cListeMobiles::cListeMobiles;

  /// Appends M, then sorts the whole list by square index.
  cMobilePosition* ADD(std::unique_ptr<cMobilePosition> M);
  cMobilePosition* GETPOSITION(int32_t INDEX) const {
    return static_cast<cMobilePosition*>(GET(INDEX));
  }

  /// The pieces standing on (X, Y), in a new list that refers to them; empty
  /// when none. Leaves the list in square-index order.
  tListeRefOf<cMobilePosition> GETLIST(int32_t X, int32_t Y) {
    return GETLISTOF<cMobilePosition>(X, Y);
  }
  /// GETLIST for a list whose pieces are all of class T.
  template <class T>
  tListeRefOf<T> GETLISTOF(int32_t X, int32_t Y) {
    tListeRefOf<T> RESULT;
    const auto [FROM, TO] = SQUARERANGE(X, Y);
    for (int32_t I = FROM; I < TO; ++I) {
      RESULT.ADD(GET(I));
    }
    return RESULT;
  }

  /// A new, empty element of the list's class carrying UID.
  virtual std::unique_ptr<cMobilePosition> NEW(int32_t UID);
  /// An empty piece of class T carrying UID: the NEW of a concrete list.
  template <class T>
  static std::unique_ptr<cMobilePosition> NEWPIECE(int32_t UID) {
    auto M = std::make_unique<T>();
    M->FUID = UID;
    return M;
  }
  /// A new piece of the model MOBILE at POSITION, with a free identifier, added to the list.
  virtual cMobilePosition* WIZARD(cMobile* MOBILE, cListeMobiles* LSTREF, tcoordMap POSITION);

  std::unique_ptr<cMobile> INPUTMOBILE(cBuffer& INPUT) override;

 private:
  // Positions FROM (included) to TO (excluded) of the pieces on (X, Y), once
  // the list is sorted by square index.
  std::pair<int32_t, int32_t> SQUARERANGE(int32_t X, int32_t Y);
};

/// A list whose elements are all of class T (BASE is the list class it
/// extends): its accessors hand out T, so that no caller casts an element and
/// a wrong class cannot compile. Only T comes in through its ADD.
template <class T, class BASE = cListeMobiles>
class tListeOf : public BASE {
 public:
  using BASE::BASE;

  /// The element at INDEX; std::out_of_range outside the list.
  T* ITEM(int32_t INDEX) const { return static_cast<T*>(BASE::GET(INDEX)); }
  /// The element with that identifier, or nullptr; the list is left in uid order.
  T* FIND(int32_t UID) { return static_cast<T*>(BASE::SEARCH(UID)); }
  /// The element with that name (case ignored), or nullptr; the list is left in name order.
  T* FIND(std::string_view NAME) { return static_cast<T*>(BASE::SEARCH(NAME)); }
  /// The element whose SERIAL is S, or nullptr.
  T* FINDSERIAL(uint64_t S) const { return static_cast<T*>(BASE::FINDSERIAL(S)); }
  /// Appends M (placed pieces: then sorts by square index) and returns it.
  T* ADD(std::unique_ptr<T> M) { return static_cast<T*>(BASE::ADD(std::move(M))); }
  /// Takes M out of the list and hands it over; nullptr when the list does not hold it.
  using BASE::EXTRACT;
  std::unique_ptr<T> EXTRACT(const T* M) { return BASE::template EXTRACTAS<T>(M); }
  /// FOREACHHELD with each element as a T.
  template <class VISITOR>
  void FOREACHHELD(VISITOR&& VISIT) {
    BASE::FOREACHHELD([&VISIT](cMobile& M) { VISIT(static_cast<T&>(M)); });
  }
  /// The pieces of T standing on (X, Y) (lists of placed pieces only).
  tListeRefOf<T> GETLIST(int32_t X,
                         int32_t Y) requires std::is_base_of_v<cListeMobilesPosition, BASE> {
    return BASE::template GETLISTOF<T>(X, Y);
  }
};
