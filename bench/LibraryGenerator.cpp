#include "LibraryGenerator.h"

#include <QRandomGenerator>
#include <QTimeZone>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace benchdata {

std::vector<BookmarkPayload> libraryPayloads(int count, quint32 seed) {
    const QStringList words{u"rust"_s,    u"design"_s,  u"recipes"_s, u"travel"_s, u"python"_s,
                            u"music"_s,   u"history"_s, u"news"_s,    u"science"_s, u"tools"_s,
                            u"garden"_s,  u"café"_s,    u"Zürich"_s,  u"guide"_s,  u"notes"_s,
                            u"release"_s, u"review"_s,  u"how"_s,     u"to"_s,     u"the"_s};
    const QStringList commonTags{u"reading"_s, u"work"_s, u"dev"_s, u"recipes"_s, u"travel"_s};
    QRandomGenerator random(seed);
    const auto word = [&] { return words[random.bounded(words.size())]; };
    const QDateTime newest(QDate(2026, 11, 30), QTime(12, 0), QTimeZone::utc());

    std::vector<BookmarkPayload> payloads;
    payloads.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        BookmarkPayload payload;
        quint64 idBytes[2] = {random.generate64(), random.generate64()};
        payload.id = QUuid::fromRfc4122(
            QByteArrayView(reinterpret_cast<const char*>(idBytes), sizeof idBytes));
        payload.url = *Url::parse(u"https://site%1.example/%2/article-%3"_s.arg(random.bounded(5000))
                                      .arg(word())
                                      .arg(i));
        QStringList title;
        for (int n = 3 + int(random.bounded(5)); n > 0; --n)
            title << word();
        title.first()[0] = title.first()[0].toUpper();
        payload.title = title.join(u' ');
        for (int n = int(random.bounded(5)); n > 0; --n) {
            const QString tag = random.bounded(3) == 0 ? commonTags[random.bounded(commonTags.size())]
                                                       : u"topic-%1"_s.arg(random.bounded(300));
            if (!payload.tags.contains(tag))
                payload.tags << tag;
        }
        if (random.bounded(10) == 0)
            payload.description = u"Read the second half again."_s;
        payload.createdAt = payload.updatedAt = newest.addSecs(-qint64(i) * 180);
        payloads.push_back(std::move(payload));
    }
    return payloads;
}

} // namespace benchdata
