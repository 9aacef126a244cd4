#include "platform/Core/ByteSearch.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bytesearch {

const char* find(const char* haystack, std::size_t haystackSize, const char* needle,
                 std::size_t needleSize) {
    if (needleSize == 0)
        return haystack;
    if (needleSize > haystackSize)
        return nullptr;
    if (needleSize == 1)
        return static_cast<const char*>(std::memchr(haystack, needle[0], haystackSize));
    std::size_t at = 0;
#if defined(__SSE2__)
    // Sixteen places at a time: a place is a candidate when both the needle's
    // first and its last byte are where they would be; only candidates are
    // compared in full. Few places pass both tests in ordinary text.
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[needleSize - 1]);
    const std::size_t lastOffset = needleSize - 1;
    for (; at + lastOffset + 16 <= haystackSize; at += 16) {
        const __m128i starts =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(haystack + at));
        const __m128i ends =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(haystack + at + lastOffset));
        auto candidates = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
        while (candidates != 0) {
            const std::size_t place = at + std::size_t(__builtin_ctz(candidates));
            if (std::memcmp(haystack + place + 1, needle + 1, needleSize - 2) == 0)
                return haystack + place;
            candidates &= candidates - 1;
        }
    }
#endif
    return static_cast<const char*>(memmem(haystack + at, haystackSize - at, needle, needleSize));
}

} // namespace bytesearch
