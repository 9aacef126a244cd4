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

} // namespace asciitext
