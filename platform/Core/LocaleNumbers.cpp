#include "platform/Core/LocaleNumbers.h"

#include <QLocale>

namespace localenumbers {

QString count(qint64 n) {
    return QLocale().toString(n);
}

QString withCounts(QString text, std::initializer_list<qint64> counts) {
    static constexpr QLatin1StringView kPlaceholder("%lld");
    qsizetype from = 0;
    for (const qint64 n : counts) {
        const qsizetype at = text.indexOf(kPlaceholder, from);
        if (at < 0)
            break;
        const QString written = count(n);
        text.replace(at, kPlaceholder.size(), written);
        from = at + written.size();
    }
    return text;
}

} // namespace localenumbers
