#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/strutils.h"
#include "entities/mobile_list.h"

/// A list of T that grows only by appending and is searched by name at every
/// login (accounts, players): a name is found through an index of the names
/// rather than by bisection, a search that finds the list already in the
/// order it asks for does not check that order again, and one that must
/// re-arrange it takes the order from the indexes instead of sorting. Every
/// search answers, and leaves the list in the order, as tListeOf's does:
/// other code walks the list in the order the last search left. Elements are
/// never taken out, and their names and identifiers never change once they
/// are in the list.
template <class T>
class tListeNommee : public tListeOf<T> {
  using BASE = tListeOf<T>;

 public:
  using BASE::BASE;

  /// Appends M, indexes its name and identifier, and returns it.
  T* ADD(std::unique_ptr<T> M) {
    // Appended after the largest key, the list stays in that key's order.
    if (FORDER >= 0 && !BASE::ISEMPTY() &&
        BELOW(static_cast<sSortBy>(FORDER), *M, *BASE::ITEM(BASE::COUNT() - 1))) {
      FORDER = -1;
    }
    INDEX(M.get());
    return BASE::ADD(std::move(M));
  }
  /// The element with that name (case ignored), or nullptr; the list is left in name order.
  T* FIND(std::string_view NAME) {
    // Two elements of one name: which one the bisection finds depends on
    // where they stand, so it is left to decide.
    if (FNAMESAMBIGUOUS) {
      T* FOUND = BASE::FIND(NAME);
      FORDER = sSortByName;
      return FOUND;
    }
    ORDERBY(sSortByName);
    const auto IT = FBYNAME.find(LOWERCASE(NAME));
    return IT == FBYNAME.end() ? nullptr : IT->second;
  }
  /// The element with that identifier, or nullptr; the list is left in uid order.
  T* FIND(int32_t UID) {
    ORDERBY(sSortByUID);
    const int32_t POS = BASE::BINARYSEARCH(UID, {}, 0, BASE::COUNT(), sSortByUID);
    return POS < 0 ? nullptr : BASE::ITEM(POS);
  }
  /// tListeOf's FINDAVAILUID: an identifier no element uses; the list is left in uid order.
  int32_t FINDAVAILUID() {
    ORDERBY(sSortByUID);
    return BASE::FINDAVAILUID();
  }

 protected:
  /// Sorts on KEY unless the list is known to be in that order already.
  void ORDERBY(sSortBy KEY) {
    if (FORDER == KEY) {
      return;
    }
    // Keys that no two elements share order the elements wholly: the index
    // holds them in the very order the list's sort gives. Shared keys leave
    // the order of equals to the sort, which keeps the order they had.
    const bool BYNAME = KEY == sSortByName;
    const bool UNIQUE = BYNAME ? !FNAMESAMBIGUOUS : !FUIDSAMBIGUOUS;
    const std::size_t INDEXED = BYNAME ? FBYNAME.size() : FBYUID.size();
    if (!UNIQUE || INDEXED != static_cast<std::size_t>(BASE::COUNT())) {
      BASE::SORT(KEY);
    } else if (BYNAME) {
      ARRANGE(FBYNAME);
    } else {
      ARRANGE(FBYUID);
    }
    FORDER = KEY;
  }
  /// For a derived list that moves elements itself: nothing is known of the order.
  void FORGETORDER() { FORDER = -1; }
  /// Indexes an element the derived list appended itself.
  void INDEX(T* M) {
    FNAMESAMBIGUOUS = !FBYNAME.emplace(LOWERCASE(M->FNAME), M).second || FNAMESAMBIGUOUS;
    FUIDSAMBIGUOUS = !FBYUID.emplace(M->FUID, M).second || FUIDSAMBIGUOUS;
  }

  // What would re-arrange or empty the list behind the index's back, for the
  // derived list's own use only.
  using BASE::CLEAR;
  using BASE::DELETE;
  using BASE::EXTRACT;
  using BASE::FROMBUFFER;
  using BASE::INSERT;
  using BASE::REMOVE;
  using BASE::SEARCH;
  using BASE::SEARCHINDEX;
  using BASE::SORT;
  using BASE::SORTWITH;

 private:
  // Whether A comes before B on KEY (the order SORT puts them in).
  static bool BELOW(sSortBy KEY, const T& A, const T& B) {
    return KEY == sSortByName ? COMPARENAMES(A.FNAME, B.FNAME) < 0 : A.FUID < B.FUID;
  }

  // Puts the list in the order of INDEX, which holds every element once.
  template <class MAP>
  void ARRANGE(const MAP& INDEX) {
    std::vector<T*> ORDER;
    ORDER.reserve(INDEX.size());
    for (const auto& ENTRY : INDEX) {
      ORDER.push_back(ENTRY.second);
    }
    // The same elements change places: nothing is destroyed or made.
    for (auto& H : this->FITEMS) {
      static_cast<void>(H.release());
    }
    for (std::size_t I = 0; I < ORDER.size(); ++I) {
      this->FITEMS[I].reset(ORDER[I]);
    }
  }

  // Lower-cased names compare as COMPARENAMES compares names: byte by byte
  // (unsigned), a prefix first.
  std::map<std::string, T*> FBYNAME;
  std::map<int32_t, T*> FBYUID;
  bool FNAMESAMBIGUOUS = false;
  bool FUIDSAMBIGUOUS = false;
  // The key the whole list is sorted on, or -1 when not known.
  int32_t FORDER = -1;
};
