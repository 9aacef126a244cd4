#include "Corvina/ImportExport/ExportFormat.h"

QString exportFormatName(ExportFormat format) {
    switch (format) {
    case ExportFormat::json:
        return QStringLiteral("json");
    case ExportFormat::netscapeHTML:
        return QStringLiteral("netscapeHTML");
    }
    return {};
}
