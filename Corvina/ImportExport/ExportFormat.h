#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

// The two kinds of file the library can be exported as.
enum class ExportFormat { json, netscapeHTML };
Q_DECLARE_METATYPE(ExportFormat)

QString exportFormatName(ExportFormat format);

// "json" or "html", without the dot.
QString fileExtension(ExportFormat format);
// The save panel's type: "application/json" or "text/html".
QString contentType(ExportFormat format);

// "Corvina-2025-03-01.json": the day of `date` in the user's time zone.
QString defaultFilename(ExportFormat format, const QDateTime& date);
