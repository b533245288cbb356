#include "movielist/sort.h"

#include <algorithm>

// std::string's comparison is char_traits<char>::compare, which is memcmp: unsigned bytes,
// then the shorter string first.
bool sortFileByNameAsc(const DIRFILES& a, const DIRFILES& b) {
  return a.FullPath < b.FullPath;
}

bool sortFileByNameDesc(const DIRFILES& a, const DIRFILES& b) {
  return a.FullPath > b.FullPath;
}

bool sortFileByDateAsc(const DIRFILES& a, const DIRFILES& b) {
  if (a.FileDate != b.FileDate) return a.FileDate < b.FileDate;
  return sortFileByNameAsc(a, b);
}

bool sortFileByDateDesc(const DIRFILES& a, const DIRFILES& b) {
  if (a.FileDate != b.FileDate) return a.FileDate > b.FileDate;
  return sortFileByNameAsc(a, b);
}

bool sortFileByDescriptionAsc(const DIRFILES& a, const DIRFILES& b) {
  return a.Description < b.Description;
}

bool sortFileByDescriptionDesc(const DIRFILES& a, const DIRFILES& b) {
  return a.Description > b.Description;
}

void sortMovies(std::vector<DIRFILES>& movies, int sortType) {
  using Comparator = bool (*)(const DIRFILES&, const DIRFILES&);
  static constexpr Comparator kComparators[] = {
      sortFileByNameAsc,  sortFileByNameDesc,       sortFileByDateAsc,
      sortFileByDateDesc, sortFileByDescriptionAsc, sortFileByDescriptionDesc,
  };
  if (sortType < kSortByNameAscending || sortType > kSortByDescriptionDescending) return;
  std::stable_sort(movies.begin(), movies.end(), kComparators[sortType - 1]);
}
