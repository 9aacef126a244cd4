#pragma once

#include <QMetaType>
#include <QString>

// The two kinds of file the library can be exported as.
enum class ExportFormat { json, netscapeHTML };
Q_DECLARE_METATYPE(ExportFormat)

QString exportFormatName(ExportFormat format);
