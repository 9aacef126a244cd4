#pragma once

#include <QLatin1StringView>
#include <QStringView>

namespace asciitext {

// Index of the first `needle` in `text` at or after `from`, comparing ASCII
// letters without case and everything else exactly; -1 when absent. `needle`
// must be ASCII. Markup scanners use it where tag names may come in any case.
qsizetype indexOfCaseless(QStringView text, QLatin1StringView needle, qsizetype from = 0);

inline bool containsCaseless(QStringView text, QLatin1StringView needle) {
    return indexOfCaseless(text, needle) >= 0;
}

// The value of one hexadecimal digit of either case, or -1: the one reading
// of "%XX" escapes and JSON's "\uXXXX".
constexpr int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace asciitext
