// The six orders of the movie list. Strings compare byte for byte as unsigned values, with no
// locale and no case folding; dates compare as signed seconds.
#pragma once

#include <vector>

#include "movielist/dirfiles.h"

// SortType: the code of an order, as the settings store and the window know it.
enum SortType {
  kSortByNameAscending = 1,
  kSortByNameDescending = 2,
  kSortByDateAscending = 3,
  kSortByDateDescending = 4,
  kSortByDescriptionAscending = 5,
  kSortByDescriptionDescending = 6,
};

// Each is true when `a` comes strictly before `b`. Both date orders break ties by ascending
// path; the description orders have no tie-break.
bool sortFileByNameAsc(const DIRFILES& a, const DIRFILES& b);
bool sortFileByNameDesc(const DIRFILES& a, const DIRFILES& b);
bool sortFileByDateAsc(const DIRFILES& a, const DIRFILES& b);
bool sortFileByDateDesc(const DIRFILES& a, const DIRFILES& b);
bool sortFileByDescriptionAsc(const DIRFILES& a, const DIRFILES& b);
bool sortFileByDescriptionDesc(const DIRFILES& a, const DIRFILES& b);

// Sorts `movies` by `sortType`, keeping the listing order of records that compare equal; any
// value other than 1 to 6 leaves the order as it is.
void sortMovies(std::vector<DIRFILES>& movies, int sortType);
