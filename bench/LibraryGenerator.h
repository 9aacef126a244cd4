#pragma once

#include "Corvina/Library/BookmarkPayload.h"

#include <vector>

namespace benchdata {

// A library of `count` bookmarks as a user gathers them: a few thousand
// sites, titles of a handful of words (some with accents), zero to four tags
// from a vocabulary of a few hundred with a handful used often, one bookmark
// a few minutes older than the one before. The same count and seed always
// give the same library, ids included.
std::vector<BookmarkPayload> libraryPayloads(int count, quint32 seed = 7);

} // namespace benchdata
