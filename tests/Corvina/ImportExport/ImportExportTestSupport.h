#pragma once

#include "Corvina/Library/BookmarkPayload.h"
#include "tests/support/Testing.h"

#include <QDateTime>
#include <QTimeZone>

namespace testdata {

inline QByteArray fixture(const QString& name) {
    return testenv::readFile(QStringLiteral(CORVINA_TEST_DATA_DIR "/") + name);
}

inline QDateTime at(qint64 msecs) {
    return QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc());
}

inline BookmarkPayload payload(const QString& url, const QString& title, QStringList tags = {},
                               qint64 createdMs = 0, qint64 updatedMs = 0,
                               const QString& description = {}) {
    BookmarkPayload p;
    p.id = QUuid::createUuid();
    p.url = *Url::parse(url);
    p.title = title;
    p.description = description;
    p.tags = std::move(tags);
    p.createdAt = at(createdMs);
    p.updatedAt = at(updatedMs);
    return p;
}

} // namespace testdata
