#include "Corvina/ImportExport/ExportFormat.h"

#include <QLocale>

QString exportFormatName(ExportFormat format) {
    switch (format) {
    case ExportFormat::json:
        return QStringLiteral("json");
    case ExportFormat::netscapeHTML:
        return QStringLiteral("netscapeHTML");
    }
    return {};
}

QString fileExtension(ExportFormat format) {
    return format == ExportFormat::json ? QStringLiteral("json") : QStringLiteral("html");
}

QString contentType(ExportFormat format) {
    return format == ExportFormat::json ? QStringLiteral("application/json")
                                        : QStringLiteral("text/html");
}

QString defaultFilename(ExportFormat format, const QDateTime& date) {
    const QString day = QLocale().toString(date.toLocalTime().date(), u"yyyy-MM-dd");
    return QStringLiteral("Corvina-") + day + u'.' + fileExtension(format);
}
