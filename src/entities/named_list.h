#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/strutils.h"
#include "entities/mobile_list.h"

/// A list of T that grows only by appending and is searched by name at every
/// login (accounts, players): a name is found through an index of the names
/// rather than by bisection, and a search that finds the list already in the
/// order it asks for does not check that order again. Every search answers,
/// and leaves the list in the order, as tListeOf's does: other code walks the
/// list in the order the last search left. Elements are never taken out, and
/// their names and identifiers never change once they are in the list.
template <class T>
class tListeNommee : public tListeOf<T> {
  using BASE = tListeOf<T>;

 public:
  using BASE::BASE;

  /// Appends M, indexes its name and returns it.
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
    if (FAMBIGUOUS) {
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
    const int32_t UID = BASE::FINDAVAILUID();
    FORDER = sSortByUID;
    return UID;
  }

 protected:
  /// Sorts on KEY unless the list is known to be in that order already.
  void ORDERBY(sSortBy KEY) {
    if (FORDER != KEY) {
      BASE::SORT(KEY);
      FORDER = KEY;
    }
  }
  /// For a derived list that moves elements itself: nothing is known of the order.
  void FORGETORDER() { FORDER = -1; }
  /// Indexes an element the derived list appended itself.
  void INDEX(T* M) { FAMBIGUOUS = !FBYNAME.emplace(LOWERCASE(M->FNAME), M).second || FAMBIGUOUS; }

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

  std::unordered_map<std::string, T*> FBYNAME;
  bool FAMBIGUOUS = false;
  // The key the whole list is sorted on, or -1 when not known.
  int32_t FORDER = -1;
};
