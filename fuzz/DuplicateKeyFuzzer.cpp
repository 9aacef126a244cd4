// Feeds arbitrary input to duplicateKey (as address text) and to the index
// decoder (as file bytes). Besides the sanitizers it checks what the share
// sheet relies on: the key's shape, agreement with a plain reference built
// from the URL's decoded accessors, independence from the parts that must not
// matter (scheme case, fragment, tracking parameters), and that an index the
// app writes reads back unchanged.

#include "fuzz/FuzzCheck.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Duplicates/DuplicateKey.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace Qt::StringLiterals;

// The key spelled out plainly from the URL's decoded accessors, to hold the
// faster construction to.
QString referenceKey(const Url& url) {
    static const QStringList tracking = {u"utm_source"_s, u"utm_medium"_s,  u"utm_campaign"_s,
                                         u"utm_term"_s,   u"utm_content"_s, u"gclid"_s,
                                         u"fbclid"_s,     u"mc_cid"_s,      u"mc_eid"_s,
                                         u"igshid"_s,     u"ref"_s,         u"ref_src"_s};
    QString key = url.scheme().value_or(QString()).toLower() + u"://"_s;
    std::optional<QString> host = url.hostDecoded();
    if (!host)
        host = url.host();
    if (host) {
        QString lowered = host->toLower();
        if (lowered.startsWith(u"www."_s))
            lowered.remove(0, 4);
        key += lowered;
    }
    QString path = url.pathDecoded();
    if (path.size() >= 2 && path.endsWith(u'/'))
        path.chop(1);
    key += path + u'?';
    if (auto items = url.queryItems()) {
        std::vector<Url::QueryItem> kept;
        for (const Url::QueryItem& item : *items) {
            if (!tracking.contains(item.name.toLower()))
                kept.push_back(item);
        }
        std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
            return a.name.normalized(QString::NormalizationForm_C).toUcs4() <
                   b.name.normalized(QString::NormalizationForm_C).toUcs4();
        });
        QStringList parts;
        for (const Url::QueryItem& item : kept)
            parts << item.name + u'=' + item.value.value_or(QString());
        key += parts.join(u'&');
    }
    return key;
}

// The key must not change when the text changes only in what the key ignores.
void checkSameKey(const QString& variant, const QString& key) {
    const auto url = Url::parse(variant);
    FUZZ_CHECK(url);
    FUZZ_CHECK(duplicateKey(*url) == key);
}

void checkKey(const QString& text) {
    const QString key = duplicateKey(QStringView(text));
    FUZZ_CHECK(duplicateKey(text) == key);
    const auto url = Url::parse(text);
    if (!url) {
        FUZZ_CHECK(key == u'!' + text);
        return;
    }
    FUZZ_CHECK(duplicateKey(*url) == key);
    FUZZ_CHECK(referenceKey(*url) == key);
    FUZZ_CHECK(!key.startsWith(u'!'));

    const QString scheme = url->scheme().value_or(QString());
    FUZZ_CHECK(key.startsWith(scheme.toLower() + u"://"_s));
    FUZZ_CHECK(key.indexOf(u'?', scheme.size() + 3) >= 0);

    // Scheme letters in capitals.
    if (!scheme.isEmpty())
        checkSameKey(scheme.toUpper() + text.sliced(scheme.size()), key);

    if (url->fragment())
        return;
    checkSameKey(text + u"#section"_s, key);
    // A tracking parameter added in mixed case, at the end of the query.
    const auto query = url->query();
    if (!query)
        checkSameKey(text + u"?Utm_Source=feed"_s, key);
    else if (query->isEmpty())
        checkSameKey(text + u"FBCLID=1"_s, key);
    else
        checkSameKey(text + u"&ref=x"_s, key);
}

void checkRoundTrip(const QHash<QString, QString>& index) {
    const QByteArray bytes = encodeDuplicateIndex(index);
    FUZZ_CHECK(decodeDuplicateIndex(bytes) == index);
    // Every '/' is escaped; an escaped backslash before it would be even.
    for (qsizetype i = bytes.indexOf('/'); i >= 0; i = bytes.indexOf('/', i + 1)) {
        qsizetype backslashes = 0;
        while (i - backslashes > 0 && bytes[i - backslashes - 1] == '\\')
            ++backslashes;
        FUZZ_CHECK(backslashes % 2 == 1);
    }
}

void checkIndexBytes(const QByteArray& bytes) {
    if (const auto index = decodeDuplicateIndex(bytes))
        checkRoundTrip(*index);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = QString::fromUtf8(bytes);
    checkKey(text);
    checkIndexBytes(bytes);

    // Stored text can hold lone surrogates, which UTF-8 input never gives.
    QString units(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, static_cast<std::size_t>(units.size()) * sizeof(QChar));
    const QString unitsKey = duplicateKey(QStringView(units));
    checkRoundTrip({{duplicateKey(QStringView(text)), text}, {unitsKey, units}, {units, text}});
    return 0;
}
