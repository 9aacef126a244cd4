#pragma once

#include "Corvina/Favicons/IconDownload.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QNetworkAccessManager;
class QThreadPool;
class FaviconStore;

namespace favicon {
class IconDiscovery;
}

// A bulk fetch started by FaviconStore::prefetch(). It belongs to the store
// and deletes itself (later) after finished().
class FaviconPrefetch : public QObject {
    Q_OBJECT
public:
    int total() const { return m_total; }
    int completed() const { return m_completed; }
    // What the fetch came to, in a line for the window's status area: the
    // sites that have an icon now, and those that have none.
    QString summary() const;

Q_SIGNALS:
    // After each domain whose fetch has ended, with or without an icon.
    void progress(int completed, int total);
    void finished();

private:
    friend class FaviconStore;
    FaviconPrefetch(FaviconStore& store, QStringList domains, int limit);
    void startChunk();
    void domainDone(const QString& domain);

    FaviconStore& m_store;
    QStringList m_domains;
    int m_limit;
    int m_next = 0;
    int m_running = 0;
    int m_total = 0;
    int m_completed = 0;
    int m_withIcon = 0;
};

// Site icons keyed by a bookmark's domain: decoded icons in memory, the
// bytes as received on disk ("CorvinaFavicons/<domain>.fav" in the caches
// folder), and the domains whose fetch found nothing, which are not tried
// again until the next start. Main thread only; file and decoding work runs
// on pool threads, downloads on the event loop.
class FaviconStore : public QObject {
    Q_OBJECT
public:
    using IconCallback = std::function<void(std::optional<QImage>)>;

    struct Options {
        // Empty: "CorvinaFavicons" in the caches folder, or in the temporary
        // folder when there is none.
        QString cacheDir;
        favicon::DownloadLimits limits;
    };

    explicit FaviconStore(QNetworkAccessManager& network);
    FaviconStore(QNetworkAccessManager& network, Options options);
    ~FaviconStore() override;

    // Only domains that look like host names ("a.b", no "/", no white space)
    // are ever looked up, cached or fetched; a bookmark without a host has
    // its whole URL as its domain and must never reach the disk or network.
    static bool passesHostTest(QStringView domain);

    const QString& cacheDir() const { return m_cacheDir; }
    QString cacheFilePath(const QString& domain) const;

    // The decoded icon if this process already has it. Cheap enough for
    // every row on every redraw.
    std::optional<QImage> memoryIcon(const QString& domain) const;
    // Memory, then the disk cache; never the network. A memory hit calls
    // back at once; otherwise the file is read off the main thread and the
    // callback runs later, unless `context` is gone by then.
    void cachedIcon(const QString& domain, const QObject* context, IconCallback done);

    // Makes sure a full fetch has been tried for the domain in this process.
    // On success the icon is in memory and "quillan.favicon.ready" has been
    // posted with "host" = domain. `done` runs once the fetch has ended (at
    // once when there is nothing to do); callers for a domain already in
    // flight share its one download.
    void fetchIcon(const QString& domain, std::function<void()> done = {});

    // fetchIcon() for each distinct domain that passes the host test, at most
    // `limit` at a time, in consecutive chunks. nullptr when no domain is left.
    FaviconPrefetch* prefetch(const QStringList& domains, int limit);

    bool hasFailed(const QString& domain) const { return m_failed.contains(domain); }
    bool isInFlight(const QString& domain) const { return m_inflight.count(domain) != 0; }

private:
    struct DiskRead {
        std::vector<std::pair<QPointer<const QObject>, IconCallback>> waiters;
    };

    void startLoad(const QString& domain);
    void discover(const QString& domain);
    void storeDownloaded(const QString& domain, QByteArray bytes);
    void finishFetch(const QString& domain, std::optional<QImage> icon);

    QNetworkAccessManager& m_network;
    favicon::DownloadLimits m_limits;
    QString m_cacheDir;
    QThreadPool* m_pool;

    QHash<QString, QImage> m_memory;
    QSet<QString> m_failed;
    // Callers waiting for each domain's running fetch.
    std::map<QString, std::vector<std::function<void()>>> m_inflight;
    // cachedIcon() reads under way, so many rows of one site read its file once.
    std::map<QString, DiskRead> m_diskReads;
};
