#include "Corvina/Favicons/FaviconStore.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/Favicons/IconDiscovery.h"
#include "Corvina/Favicons/IconImage.h"
#include "platform/Core/BackgroundTask.h"
#include "platform/Core/LocaleNumbers.h"
#include "platform/Folders/AtomicWrite.h"
#include "platform/Folders/RegularFile.h"
#include "platform/Folders/StandardFolders.h"
#include "platform/Notifications/NotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QThreadPool>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QString defaultCacheDir() {
    const QString parent = folders::caches(folders::Create::yes).value_or(folders::temporary());
    return QDir(parent).filePath(u"CorvinaFavicons"_s);
}

// A missing, unreadable or undecodable file is simply no icon: a file cut
// short by a crash, or one that no longer decodes, is fetched again.
std::optional<QImage> readCachedIcon(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    // A cache file larger than any download could be is not ours to decode.
    const auto bytes =
        folders::readRegularFile(path, favicon::DownloadLimits{}.maxBytes * 4);
    if (!bytes)
        return std::nullopt;
    return favicon::decodeIcon(bytes.value());
}

} // namespace

FaviconStore::FaviconStore(QNetworkAccessManager& network)
    : FaviconStore(network, Options{}) {}

FaviconStore::FaviconStore(QNetworkAccessManager& network, Options options)
    : m_network(network)
    , m_limits(options.limits)
    , m_cacheDir(options.cacheDir.isEmpty() ? defaultCacheDir() : std::move(options.cacheDir))
    , m_pool(new QThreadPool(this)) {
    // Files and decoding only: two threads keep a bulk fetch from crowding
    // out other background work.
    m_pool->setMaxThreadCount(2);
    // Without the folder the icons still reach memory; only the disk copy is lost.
    QDir().mkpath(m_cacheDir);
}

FaviconStore::~FaviconStore() {
    // Discoveries and their downloads are children and go with the store;
    // pool tasks own their data and finish on their own.
    m_pool->waitForDone();
}

bool FaviconStore::passesHostTest(QStringView domain) {
    if (!domain.contains(u'.') || domain.contains(u'/'))
        return false;
    return std::none_of(domain.begin(), domain.end(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control;
    });
}

QString FaviconStore::cacheFilePath(const QString& domain) const {
    QString name = domain;
    name.replace(u'/', u'_');
    name += u".fav"_s;
    return QDir(m_cacheDir).filePath(name);
}

std::optional<QImage> FaviconStore::memoryIcon(const QString& domain) const {
    const auto found = m_memory.constFind(domain);
    if (found == m_memory.cend())
        return std::nullopt;
    return *found;
}

void FaviconStore::cachedIcon(const QString& domain, const QObject* context, IconCallback done) {
    if (!passesHostTest(domain)) {
        done(std::nullopt);
        return;
    }
    if (auto icon = memoryIcon(domain)) {
        done(std::move(icon));
        return;
    }
    auto [read, first] = m_diskReads.try_emplace(domain);
    read->second.waiters.emplace_back(context, std::move(done));
    if (!first)
        return;
    background::run(
        this, [path = cacheFilePath(domain)] { return readCachedIcon(path); },
        [this, domain](std::optional<QImage> icon) {
            // A fetch may have finished while the file was read.
            if (!icon)
                icon = memoryIcon(domain);
            else if (!m_memory.contains(domain))
                m_memory.insert(domain, *icon);
            auto node = m_diskReads.extract(domain);
            for (auto& [waiter, callback] : node.mapped().waiters) {
                if (waiter)
                    callback(icon);
            }
        },
        m_pool);
}

void FaviconStore::fetchIcon(const QString& domain, std::function<void()> done) {
    if (!passesHostTest(domain) || m_memory.contains(domain) || m_failed.contains(domain)) {
        if (done)
            done();
        return;
    }
    auto [fetch, first] = m_inflight.try_emplace(domain);
    if (done)
        fetch->second.push_back(std::move(done));
    if (first)
        startLoad(domain);
}

void FaviconStore::startLoad(const QString& domain) {
    background::run(
        this, [path = cacheFilePath(domain)] { return readCachedIcon(path); },
        [this, domain](std::optional<QImage> icon) {
            if (icon)
                finishFetch(domain, std::move(icon));
            else
                discover(domain);
        },
        m_pool);
}

void FaviconStore::discover(const QString& domain) {
    favicon::IconDiscovery::start(m_network, domain, m_limits, this,
                                  [this, domain](std::optional<QByteArray> bytes) {
                                      if (bytes)
                                          storeDownloaded(domain, std::move(*bytes));
                                      else
                                          finishFetch(domain, std::nullopt);
                                  });
}

void FaviconStore::storeDownloaded(const QString& domain, QByteArray bytes) {
    background::run(
        this,
        [path = cacheFilePath(domain), bytes = std::move(bytes)] {
            // Whole or not at all, so a crash never leaves half an icon that
            // would decode into a broken picture. A failed write is ignored.
            (void)folders::writeAtomically(path, bytes, folders::Durability::cached);
            return favicon::decodeIcon(bytes);
        },
        [this, domain](std::optional<QImage> icon) { finishFetch(domain, std::move(icon)); },
        m_pool);
}

void FaviconStore::finishFetch(const QString& domain, std::optional<QImage> icon) {
    auto node = m_inflight.extract(domain);
    if (icon) {
        m_memory.insert(domain, *icon);
        NotificationCenter::defaultCenter().post(appnotification::kFaviconReady, {},
                                                 {{u"host"_s, domain}});
    } else {
        m_failed.insert(domain);
    }
    if (node) {
        for (const auto& waiter : node.mapped())
            waiter();
    }
}

FaviconPrefetch* FaviconStore::prefetch(const QStringList& domains, int limit) {
    Q_ASSERT(limit >= 1);
    QSet<QString> distinct;
    for (const QString& domain : domains) {
        if (passesHostTest(domain))
            distinct.insert(domain);
    }
    if (distinct.isEmpty())
        return nullptr;
    auto* job = new FaviconPrefetch(*this, QStringList(distinct.cbegin(), distinct.cend()),
                                    std::max(1, limit));
    // Started from the event loop so the caller can connect first.
    QTimer::singleShot(0, job, &FaviconPrefetch::startChunk);
    return job;
}

FaviconPrefetch::FaviconPrefetch(FaviconStore& store, QStringList domains, int limit)
    : QObject(&store)
    , m_store(store)
    , m_domains(std::move(domains))
    , m_limit(limit)
    , m_total(int(m_domains.size())) {}

void FaviconPrefetch::startChunk() {
    const int end = std::min<int>(m_next + m_limit, m_total);
    m_running = end - m_next;
    const QPointer<FaviconPrefetch> self(this);
    while (m_next < end) {
        const QString& domain = m_domains[m_next++];
        // A domain with nothing to do calls back at once, inside fetchIcon().
        m_store.fetchIcon(domain, [self, domain] {
            if (self)
                self->domainDone(domain);
        });
    }
}

void FaviconPrefetch::domainDone(const QString& domain) {
    ++m_completed;
    if (m_store.memoryIcon(domain))
        ++m_withIcon;
    Q_EMIT progress(m_completed, m_total);
    if (--m_running > 0)
        return;
    if (m_completed == m_total) {
        Q_EMIT finished();
        deleteLater();
        return;
    }
    // From the event loop, so a run of domains that finish at once does not
    // nest one chunk inside the last.
    QTimer::singleShot(0, this, &FaviconPrefetch::startChunk);
}

QString FaviconPrefetch::summary() const {
    if (m_withIcon == 0)
        return tr("No site icons found.");
    const QString fetched =
        m_withIcon == 1 ? tr("Fetched 1 site icon.")
                        : tr("Fetched %1 site icons.").arg(localenumbers::count(m_withIcon));
    const int none = m_completed - m_withIcon;
    if (none == 0)
        return fetched;
    return fetched + u' ' +
           (none == 1 ? tr("1 site has none.")
                      : tr("%1 sites have none.").arg(localenumbers::count(none)));
}
