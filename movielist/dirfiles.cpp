#include "movielist/dirfiles.h"

std::vector<DIRFILES> DirMovieFile;
