#include "Corvina/Settings/RelativeDate.h"

#include "platform/Core/LocaleNumbers.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

constexpr qint64 kMinute = 60;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;
constexpr qint64 kWeek = 7 * kDay;
constexpr qint64 kMonth = 30 * kDay;
constexpr qint64 kYear = 365 * kDay;

QString tr(const char* text, int n = -1) {
    return QCoreApplication::translate("RelativeDate", text, nullptr, n);
}

// English has no .qm file to pick plural forms, so the singular is its own string.
QString ago(qint64 count, const char* one, const char* many) {
    return count == 1 ? tr(one)
                      : tr(many, static_cast<int>(count)).arg(localenumbers::count(count));
}

} // namespace

QString relativeDateText(const QDateTime& date, const QDateTime& now) {
    const qint64 seconds = date.secsTo(now);
    if (seconds < -kMinute)
        return tr("in the future");
    if (seconds < kMinute)
        return tr("just now");
    if (seconds < kHour)
        return ago(seconds / kMinute, "1 minute ago", "%1 minutes ago");
    if (seconds < kDay)
        return ago(seconds / kHour, "1 hour ago", "%1 hours ago");
    if (seconds < kWeek)
        return ago(seconds / kDay, "1 day ago", "%1 days ago");
    if (seconds < kMonth)
        return ago(seconds / kWeek, "1 week ago", "%1 weeks ago");
    if (seconds < kYear)
        return ago(std::min<qint64>(seconds / kMonth, 11), "1 month ago", "%1 months ago");
    return ago(seconds / kYear, "1 year ago", "%1 years ago");
}
