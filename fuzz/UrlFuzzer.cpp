// Feeds arbitrary bytes to Url::parse and percentDecoded. Besides the
// sanitizers, every accepted URL is checked against an independent split of
// the text at its delimiters, which any valid URI reference admits.

#include "fuzz/FuzzCheck.h"
#include "platform/Url/Url.h"

#include <QByteArray>
#include <QString>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Split {
    std::optional<QString> scheme, host, port, query, fragment;
    QString path;
};

std::optional<QString> mid(QStringView text, qsizetype from, qsizetype to) {
    return text.sliced(from, to - from).toString();
}

qsizetype firstOf(QStringView text, QStringView set, qsizetype from) {
    for (qsizetype i = from; i < text.size(); ++i) {
        if (set.contains(text[i]))
            return i;
    }
    return text.size();
}

Split splitAtDelimiters(QStringView text) {
    Split split;
    qsizetype end = text.size();
    if (const qsizetype hash = text.indexOf(u'#'); hash >= 0) {
        split.fragment = mid(text, hash + 1, end);
        end = hash;
    }
    if (const qsizetype question = text.first(end).indexOf(u'?'); question >= 0) {
        split.query = mid(text, question + 1, end);
        end = question;
    }
    qsizetype cursor = 0;
    if (const qsizetype colon = firstOf(text, u":/?#", 0); colon < end && text[colon] == u':') {
        split.scheme = mid(text, 0, colon);
        cursor = colon + 1;
    }
    if (text.sliced(cursor, end - cursor).startsWith(u"//")) {
        const qsizetype authorityEnd = firstOf(text.first(end), u"/", cursor + 2);
        QStringView authority = text.sliced(cursor + 2, authorityEnd - cursor - 2);
        if (const qsizetype at = authority.indexOf(u'@'); at >= 0)
            authority = authority.sliced(at + 1);
        qsizetype colon = authority.indexOf(u':');
        if (authority.startsWith(u'[')) {
            const qsizetype close = authority.indexOf(u']');
            split.host = authority.sliced(1, close - 1).toString();
            colon = close + 1 < authority.size() ? close + 1 : -1;
        } else {
            split.host = authority.first(colon < 0 ? authority.size() : colon).toString();
        }
        if (colon >= 0)
            split.port = authority.sliced(colon + 1).toString();
        cursor = authorityEnd;
    }
    split.path = text.sliced(cursor, end - cursor).toString();
    return split;
}

std::optional<int> expectedPort(const std::optional<QString>& digits) {
    if (!digits || digits->isEmpty())
        return std::nullopt;
    qsizetype zeros = 0;
    while (zeros + 1 < digits->size() && digits->at(zeros) == u'0')
        ++zeros;
    const QStringView significant = QStringView(*digits).sliced(zeros);
    if (significant.size() > 10)
        return std::nullopt;
    const qlonglong value = significant.toLongLong();
    if (value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

QString percentEncoded(const QString& text) {
    QString out;
    for (const char byte : text.toUtf8()) {
        out += u'%';
        out += QString::number(static_cast<unsigned char>(byte), 16).rightJustified(2, u'0');
    }
    return out;
}

void checkPercentDecoding(const QString& text) {
    const auto decoded = percentDecoded(text);
    if (!text.contains(u'%'))
        FUZZ_CHECK(decoded == text);
    if (!decoded)
        return;
    FUZZ_CHECK(decoded->size() <= text.size());
    // Re-encoding goes through UTF-8, which cannot carry lone surrogates.
    if (text.isValidUtf16()) {
        FUZZ_CHECK(decoded->isValidUtf16());
        FUZZ_CHECK(percentDecoded(percentEncoded(*decoded)) == *decoded);
        FUZZ_CHECK(percentDecoded(percentEncoded(text)) == text);
    }
}

void checkQueryItems(const Url& url) {
    const auto query = url.query();
    const auto items = url.queryItems();
    if (!query || query->isEmpty()) {
        FUZZ_CHECK(!items);
        return;
    }
    FUZZ_CHECK(items);
    FUZZ_CHECK(items->size() == static_cast<std::size_t>(query->count(u'&')) + 1);
    if (query->contains(u'%'))
        return;
    QStringList pieces;
    for (const auto& item : *items) {
        FUZZ_CHECK(!item.name.contains(u'&') && !item.name.contains(u'='));
        pieces += item.value ? item.name + u'=' + *item.value : item.name;
    }
    FUZZ_CHECK(pieces.join(u'&') == *query);
}

void checkUrl(const QString& text) {
    const auto url = Url::parse(text);
    bool plainAscii = !text.isEmpty();
    for (const QChar c : text)
        plainAscii = plainAscii && c.unicode() > 0x20 && c.unicode() < 0x7F;
    if (!url)
        return;
    FUZZ_CHECK(plainAscii);
    FUZZ_CHECK(url->absoluteString() == text);
    const auto again = Url::parse(url->absoluteString());
    FUZZ_CHECK(again && *again == *url);

    const Split split = splitAtDelimiters(text);
    FUZZ_CHECK(url->scheme() == split.scheme);
    FUZZ_CHECK(url->isAbsolute() == split.scheme.has_value());
    FUZZ_CHECK(url->host() == split.host);
    FUZZ_CHECK(url->port() == expectedPort(split.port));
    FUZZ_CHECK(url->path() == split.path);
    FUZZ_CHECK(url->query() == split.query);
    FUZZ_CHECK(url->fragment() == split.fragment);
    for (const auto& part : {url->scheme(), url->host(), url->query(), url->fragment()})
        FUZZ_CHECK(!part || text.contains(*part));
    FUZZ_CHECK(text.contains(url->path()));

    const auto host = url->host();
    FUZZ_CHECK(url->hostDecoded() == (host ? percentDecoded(*host) : std::nullopt));
    FUZZ_CHECK(url->pathDecoded() == percentDecoded(url->path()).value_or(url->path()));
    checkQueryItems(*url);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    const QString text = QString::fromUtf8(chars, static_cast<qsizetype>(size));
    checkUrl(text);
    checkPercentDecoding(text);
    // Raw UTF-16 reaches lone surrogates, which UTF-8 input never produces.
    QString units(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, static_cast<std::size_t>(units.size()) * sizeof(QChar));
    checkPercentDecoding(units);
    return 0;
}
