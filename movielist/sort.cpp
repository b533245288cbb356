#include "movielist/sort.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <utility>

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

namespace {

// Moves the records into the order given: position i receives the record that stood at
// order[i]. Each cycle of the permutation is followed with one record held aside.
void applyOrder(std::vector<DIRFILES>& movies, std::vector<std::size_t>& order) {
  for (std::size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    DIRFILES held = std::move(movies[start]);
    std::size_t position = start;
    while (order[position] != start) {
      const std::size_t from = order[position];
      movies[position] = std::move(movies[from]);
      order[position] = position;
      position = from;
    }
    movies[position] = std::move(held);
    order[position] = position;
  }
}

}  // namespace

// The order is found on indices and the records moved once: sorting the records themselves
// would move each of them many times and need a buffer of half as many records again.
void sortMovies(std::vector<DIRFILES>& movies, int sortType) {
  using Comparator = bool (*)(const DIRFILES&, const DIRFILES&);
  static constexpr Comparator kComparators[] = {
      sortFileByNameAsc,  sortFileByNameDesc,       sortFileByDateAsc,
      sortFileByDateDesc, sortFileByDescriptionAsc, sortFileByDescriptionDesc,
  };
  if (sortType < kSortByNameAscending || sortType > kSortByDescriptionDescending) return;
  const Comparator comesBefore = kComparators[sortType - kSortByNameAscending];
  std::vector<std::size_t> order(movies.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&movies, comesBefore](std::size_t a, std::size_t b) {
                     return comesBefore(movies[a], movies[b]);
                   });
  applyOrder(movies, order);
}
