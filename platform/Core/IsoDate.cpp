#include "platform/Core/IsoDate.h"

#include <QTimeZone>

namespace isodate {
namespace {

bool readDigits(QStringView text, qsizetype at, int count, int& out) {
    if (at + count > text.size())
        return false;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[at + i];
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    out = value;
    return true;
}

} // namespace

QString format(const QDateTime& when) {
    // Floor, not truncation toward zero, so times before 1970 keep their second.
    const qint64 msecs = when.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    const QDateTime whole = QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
    return whole.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + u'Z';
}

std::optional<QDateTime> parse(QStringView text) {
    int year, month, day, hour, minute, second;
    if (text.size() < 20)
        return std::nullopt;
    if (!readDigits(text, 0, 4, year) || text[4] != u'-' || !readDigits(text, 5, 2, month) ||
        text[7] != u'-' || !readDigits(text, 8, 2, day) || text[10] != u'T' ||
        !readDigits(text, 11, 2, hour) || text[13] != u':' || !readDigits(text, 14, 2, minute) ||
        text[16] != u':' || !readDigits(text, 17, 2, second))
        return std::nullopt;

    int offsetSeconds = 0;
    const QStringView zone = text.mid(19);
    if (zone == u"Z") {
        offsetSeconds = 0;
    } else if (zone.size() == 6 && (zone[0] == u'+' || zone[0] == u'-') && zone[3] == u':') {
        int offsetHours, offsetMinutes;
        if (!readDigits(zone, 1, 2, offsetHours) || !readDigits(zone, 4, 2, offsetMinutes) ||
            offsetHours > 23 || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (zone[0] == u'-' ? -1 : 1);
    } else {
        return std::nullopt;
    }

    const QDate date(year, month, day);
    // QTime accepts no leap second; neither do we.
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime local(date, time, QTimeZone(offsetSeconds));
    if (!local.isValid())
        return std::nullopt;
    return local.toUTC();
}

QDateTime now() {
    return QDateTime::currentDateTimeUtc();
}

} // namespace isodate
