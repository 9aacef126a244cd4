#include "shared/Duplicates/DuplicateKey.h"

#include <QStringTokenizer>
#include <QVarLengthArray>
#include <algorithm>
#include <array>

namespace {

using namespace Qt::StringLiterals;

// Matched against the lower-cased parameter name. Built on first use and kept
// for the life of the process.
const std::array<QString, 12>& trackingNames() {
    static const std::array<QString, 12> names = {
        u"utm_source"_s,  u"utm_medium"_s, u"utm_campaign"_s, u"utm_term"_s,
        u"utm_content"_s, u"gclid"_s,      u"fbclid"_s,       u"mc_cid"_s,
        u"mc_eid"_s,      u"igshid"_s,     u"ref"_s,          u"ref_src"_s};
    return names;
}

bool isAscii(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

bool isTrackingName(QStringView name) {
    const auto& names = trackingNames();
    if (isAscii(name)) {
        // The common case, without building a lower-cased copy.
        return std::any_of(names.begin(), names.end(), [name](const QString& tracking) {
            return tracking.size() == name.size() &&
                   std::equal(name.begin(), name.end(), tracking.begin(),
                              [](QChar a, QChar b) { return asciiLower(a.unicode()) == b; });
        });
    }
    // Full Unicode lower-casing: a non-ASCII letter such as the Kelvin sign
    // can lower-case to an ASCII one.
    const QString lowered = name.toString().toLower();
    return std::find(names.begin(), names.end(), lowered) != names.end();
}

// UTF-16 code-unit order puts U+E000..U+FFFF after the supplementary planes;
// moving the surrogates above them gives code-point order.
char32_t codePointRank(char16_t unit) {
    if (unit >= 0xE000)
        return unit - 0x800;
    if (unit >= 0xD800)
        return unit + 0x2000;
    return unit;
}

bool precedes(QStringView a, QStringView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y)
            return codePointRank(x) < codePointRank(y);
    }
    return a.size() < b.size();
}

struct QueryEntry {
    QStringView name;
    QStringView value; // empty when the item has none: both are written "name="
    QString normalizedName;

    // Canonically equivalent names must sort as equal, so names compare in
    // one normal form.
    QStringView sortKey() const { return normalizedName.isNull() ? name : normalizedName; }
};

QueryEntry entryFor(QStringView name, QStringView value) {
    QueryEntry entry{name, value, {}};
    // Nothing below U+0300 changes under NFC, which spares most names the
    // normalisation.
    const bool stable =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x300; });
    if (!stable)
        entry.normalizedName = name.toString().normalized(QString::NormalizationForm_C);
    return entry;
}

using QueryEntries = QVarLengthArray<QueryEntry, 16>;

void sortStably(QueryEntries& entries) {
    const auto before = [](const QueryEntry& a, const QueryEntry& b) {
        return precedes(a.sortKey(), b.sortKey());
    };
    // Queries are short and mostly sorted already; insertion sort is stable,
    // allocation-free and linear on sorted input.
    if (entries.size() > 32) {
        std::stable_sort(entries.begin(), entries.end(), before);
        return;
    }
    for (qsizetype i = 1; i < entries.size(); ++i) {
        if (!before(entries[i], entries[i - 1]))
            continue;
        QueryEntry moving = std::move(entries[i]);
        qsizetype j = i;
        for (; j > 0 && before(moving, entries[j - 1]); --j)
            entries[j] = std::move(entries[j - 1]);
        entries[j] = std::move(moving);
    }
}

bool hasEscapes(QStringView text) {
    return text.contains(u'%');
}

void appendLowered(QString& key, QStringView text) {
    if (!isAscii(text)) {
        key += text.toString().toLower();
        return;
    }
    const qsizetype start = key.size();
    key += text;
    QChar* const out = key.data();
    for (qsizetype i = start; i < key.size(); ++i)
        out[i] = QChar(asciiLower(out[i].unicode()));
}

void appendHost(QString& key, const Url& url) {
    const std::optional<QString> raw = url.host();
    if (!raw)
        return;
    // A host that does not decode to UTF-8 is kept as written rather than
    // dropped, so such hosts do not all share one key.
    std::optional<QString> decoded;
    if (hasEscapes(*raw))
        decoded = url.hostDecoded();
    const qsizetype start = key.size();
    appendLowered(key, decoded ? *decoded : *raw);
    if (QStringView(key).sliced(start).startsWith(u"www."))
        key.remove(start, 4);
}

void appendPath(QString& key, const Url& url) {
    QString path = url.path();
    // Without escapes the decoded path is the path itself; decoding it anyway
    // costs more than the rest of the key.
    if (hasEscapes(path))
        path = url.pathDecoded();
    QStringView view(path);
    if (view.size() >= 2 && view.endsWith(u'/'))
        view.chop(1);
    key += view;
}

void appendQuery(QString& key, const Url& url) {
    const std::optional<QString> raw = url.query();
    if (!raw || raw->isEmpty())
        return;
    QueryEntries kept;
    const auto keep = [&kept](QStringView name, QStringView value) {
        if (!isTrackingName(name))
            kept.push_back(entryFor(name, value));
    };
    // Without escapes the items are slices of the query as written, exactly
    // what queryItems() would decode them to.
    std::optional<std::vector<Url::QueryItem>> items;
    if (hasEscapes(*raw)) {
        items = url.queryItems();
        for (const Url::QueryItem& item : *items)
            keep(item.name, item.value ? QStringView(*item.value) : QStringView());
    } else {
        for (const QStringView piece : qTokenize(QStringView(*raw), u'&')) {
            const qsizetype equals = piece.indexOf(u'=');
            if (equals < 0)
                keep(piece, {});
            else
                keep(piece.first(equals), piece.sliced(equals + 1));
        }
    }
    sortStably(kept);
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (i > 0)
            key += u'&';
        key += kept[i].name;
        key += u'=';
        key += kept[i].value;
    }
}

} // namespace

QString duplicateKey(const Url& url) {
    QString key;
    // Decoding only shrinks the text, so this is nearly always the only
    // allocation of the key itself.
    key.reserve(url.absoluteString().size() + 16);
    if (const std::optional<QString> scheme = url.scheme())
        appendLowered(key, *scheme);
    key += u"://";
    appendHost(key, url);
    appendPath(key, url);
    key += u'?';
    appendQuery(key, url);
    return key;
}

QString duplicateKey(const QString& urlText) {
    if (const auto url = Url::parse(urlText))
        return duplicateKey(*url);
    // Unparseable: "!" never begins the key of a parsed URL.
    return u'!' + urlText;
}

QString duplicateKey(QStringView urlText) {
    return duplicateKey(urlText.toString());
}
