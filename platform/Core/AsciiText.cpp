#include "platform/Core/AsciiText.h"

namespace asciitext {
namespace {

char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
}

} // namespace

qsizetype indexOfCaseless(QStringView text, QLatin1StringView needle, qsizetype from) {
    const qsizetype n = needle.size();
    if (from < 0)
        from = 0;
    if (n == 0)
        return from <= text.size() ? from : -1;
    const char16_t first = lower(char16_t(needle[0].unicode()));
    const char16_t firstUpper = first >= u'a' && first <= u'z' ? char16_t(first - 0x20) : first;
    const char16_t* data = text.utf16();
    // A needle that starts with a character without case ("<", "&") can jump
    // from one candidate to the next with the vectorised single-character search.
    const bool firstHasCase = first != firstUpper;
    for (qsizetype i = from; i + n <= text.size(); ++i) {
        if (!firstHasCase) {
            i = text.indexOf(QChar(first), i);
            if (i < 0 || i + n > text.size())
                return -1;
        } else if (data[i] != first && data[i] != firstUpper) {
            continue;
        }
        qsizetype k = 1;
        while (k < n && lower(data[i + k]) == lower(char16_t(needle[k].unicode())))
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}

} // namespace asciitext
