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

// Days since 1970-01-01 of a proleptic Gregorian date, and back (the
// standard civil-calendar conversions). Backups hold 100,000 dates and more;
// going through QDateTime's formatting and time zones costs microseconds each.
qint64 daysFromCivil(qint64 year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(qint64 days, qint64& year, int& month, int& day) {
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

void appendDigits(QString& out, qint64 value, int count) {
    char16_t digits[4];
    for (int i = count - 1; i >= 0; --i) {
        digits[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    out.append(reinterpret_cast<const QChar*>(digits), count);
}

} // namespace

QString format(const QDateTime& when) {
    // Floor, not truncation toward zero, so times before 1970 keep their second.
    const qint64 msecs = when.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    const qint64 days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
    const qint64 secondOfDay = seconds - days * 86400;
    qint64 year;
    int month, day;
    civilFromDays(days, year, month, day);
    if (year < 1 || year > 9999) {
        const QDateTime whole = QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
        return whole.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + u'Z';
    }
    QString out;
    out.reserve(20);
    appendDigits(out, year, 4);
    out += u'-';
    appendDigits(out, month, 2);
    out += u'-';
    appendDigits(out, day, 2);
    out += u'T';
    appendDigits(out, secondOfDay / 3600, 2);
    out += u':';
    appendDigits(out, secondOfDay / 60 % 60, 2);
    out += u':';
    appendDigits(out, secondOfDay % 60, 2);
    out += u'Z';
    return out;
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

    // QDate has no year 0 and QTime no leap second; neither do we.
    if (!QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second))
        return std::nullopt;
    const qint64 seconds =
        daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return QDateTime::fromMSecsSinceEpoch((seconds - offsetSeconds) * 1000, Qt::UTC);
}

QDateTime now() {
    return QDateTime::currentDateTimeUtc();
}

} // namespace isodate
