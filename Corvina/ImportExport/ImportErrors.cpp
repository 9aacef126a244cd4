#include "Corvina/ImportExport/ImportErrors.h"

namespace {

// The keys keep the "%@" of the original messages; the detail goes in here.
QString withDetail(QString format, const QString& detail) {
    return format.replace(QLatin1StringView("%@"), detail);
}

} // namespace

QString RouteError::description() const {
    switch (m_kind) {
    case Kind::unsupportedExtension:
        return withDetail(tr("Corvina doesn't recognize .%@ bookmark files."), m_detail);
    case Kind::readFailed:
        return withDetail(tr("Couldn't read the file: %@"), m_detail);
    }
    return {};
}

QString BookmarkImporterError::description() const {
    switch (m_kind) {
    case Kind::malformed:
        return withDetail(tr("Malformed file: %@"), m_reason);
    case Kind::unsupportedFormat:
        return tr("This file format isn't recognized.");
    }
    return {};
}

QString describe(const ImportError& error) {
    return std::visit([](const auto& e) { return e.description(); }, error);
}
