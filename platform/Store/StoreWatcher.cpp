#include "platform/Store/StoreWatcher.h"

#include "platform/Core/SystemLog.h"
#include "platform/Store/ModelContext.h"

#include <QFileInfo>

namespace store {

StoreWatcher::StoreWatcher(ModelContext& context, const QString& storeFile, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_file(QFileInfo(storeFile).absoluteFilePath()) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &StoreWatcher::look);
    const auto noticed = [this] {
        watch();
        lookSoon();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, noticed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, noticed);
    watch();
}

void StoreWatcher::lookSoon() {
    // Not restarted: a long stream of writes is still looked at every
    // kSettle, not only once it ends.
    if (!m_timer.isActive())
        m_timer.start(kSettle);
}

void StoreWatcher::watch() {
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    for (const QString& path :
         {QFileInfo(m_file).absolutePath(), m_file, m_file + QStringLiteral("-wal")}) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            m_watcher.addPath(path);
    }
}

void StoreWatcher::look() {
    const Result<bool, StoreError> taken = m_context.takeInOutsideChanges();
    if (!taken) {
        if (taken.error().message != m_reportedFailure) {
            m_reportedFailure = taken.error().message;
            systemLog(QStringLiteral("Corvina: could not read other programs' changes to the "
                                     "library: %1")
                          .arg(m_reportedFailure));
        }
        m_timer.start(m_retry);
        m_retry = std::min(m_retry * 2, kLastRetry);
        return;
    }
    m_retry = kFirstRetry;
    m_reportedFailure.clear();
    Q_EMIT looked(taken.value());
}

} // namespace store
