#include "platform/Url/Url.h"

#include "platform/Core/AsciiText.h"

#include <QByteArray>
#include <QStringDecoder>
#include <climits>
#include <uriparser/Uri.h>

namespace {

// uriparser points empty ranges at a static sentinel rather than into the
// input, so only lengths are trustworthy for every range; offsets are derived
// from the fixed layout of a URI reference instead.
qsizetype lengthOf(const UriTextRangeA& range) {
    return range.first ? range.afterLast - range.first : 0;
}

bool isPresent(const UriTextRangeA& range) {
    return range.first != nullptr;
}

// Checks the derived layout against the offsets that uriparser does report.
[[maybe_unused]] bool agrees(const UriTextRangeA& range, const char* base, qsizetype start) {
    return lengthOf(range) == 0 || range.first - base == start;
}

class ParsedUri {
public:
    ParsedUri() = default;
    ParsedUri(const ParsedUri&) = delete;
    ParsedUri& operator=(const ParsedUri&) = delete;
    ~ParsedUri() {
        if (m_parsed)
            uriFreeUriMembersA(&m_uri);
    }

    // uriparser frees its own allocations when it reports an error.
    bool parse(const QByteArray& bytes) {
        m_parsed = uriParseSingleUriExA(&m_uri, bytes.constData(), bytes.constData() + bytes.size(),
                                        nullptr) == URI_SUCCESS;
        return m_parsed;
    }
    const UriUriA& uri() const { return m_uri; }

private:
    UriUriA m_uri{};
    bool m_parsed = false;
};

// Appends strictly decoded UTF-8; a byte order mark is content here, not a
// signature to strip.
bool appendUtf8(QString& out, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = decoder(bytes);
    if (decoder.hasError())
        return false;
    out += decoded;
    return true;
}

QString decodedOrRaw(QStringView text) {
    return percentDecoded(text).value_or(text.toString());
}

} // namespace

std::optional<QString> percentDecoded(QStringView text) {
    QString out;
    out.reserve(text.size());
    // Escapes are gathered into runs so that a multi-byte sequence spelled as
    // several escapes decodes as one character; an escape run broken by a
    // literal character is invalid UTF-8 either way, since literal characters
    // never encode as continuation bytes.
    QByteArray run;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') {
            if (!appendUtf8(out, run))
                return std::nullopt;
            run.clear();
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = asciitext::hexDigit(text[i + 1].unicode());
        const int low = asciitext::hexDigit(text[i + 2].unicode());
        if (high < 0 || low < 0)
            return std::nullopt;
        run += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (!appendUtf8(out, run))
        return std::nullopt;
    return out;
}

std::optional<Url> Url::parse(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    // Rejecting non-ASCII here (uriparser would too) makes every UTF-8 byte
    // offset equal to its QString index, so uriparser's offsets map directly.
    for (const QChar c : text) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F)
            return std::nullopt;
    }
    const QByteArray bytes = text.toLatin1();
    ParsedUri parsed;
    if (!parsed.parse(bytes))
        return std::nullopt;
    const UriUriA& uri = parsed.uri();

    // Layout: [scheme ':'] ['//' [userinfo '@'] ['['] host [']'] [':' port]]
    //         path ['?' query] ['#' fragment]
    Url url(text);
    qsizetype cursor = 0;
    if (isPresent(uri.scheme)) {
        url.m_scheme = {0, lengthOf(uri.scheme)};
        cursor = url.m_scheme.length + 1;
    }
    if (isPresent(uri.hostText)) {
        cursor += 2;
        if (isPresent(uri.userInfo))
            cursor += lengthOf(uri.userInfo) + 1;
        const bool bracketed =
            uri.hostData.ip6 != nullptr || uri.hostData.ipFuture.first != nullptr;
        if (bracketed)
            ++cursor;
        url.m_host = {cursor, lengthOf(uri.hostText)};
        cursor += url.m_host.length + (bracketed ? 1 : 0);
        if (isPresent(uri.portText)) {
            ++cursor;
            // An empty port is treated as no port at all.
            if (lengthOf(uri.portText) > 0)
                url.m_port = {cursor, lengthOf(uri.portText)};
            cursor += lengthOf(uri.portText);
        }
    }
    qsizetype end = text.size();
    if (isPresent(uri.fragment)) {
        url.m_fragment = {end - lengthOf(uri.fragment), lengthOf(uri.fragment)};
        end = url.m_fragment.start - 1;
    }
    if (isPresent(uri.query)) {
        url.m_query = {end - lengthOf(uri.query), lengthOf(uri.query)};
        end = url.m_query.start - 1;
    }
    url.m_path = {cursor, end - cursor};
    Q_ASSERT(url.m_path.length >= 0);
    Q_ASSERT(agrees(uri.hostText, bytes.constData(), url.m_host.start));
    Q_ASSERT(agrees(uri.portText, bytes.constData(), url.m_port.start));
    Q_ASSERT(agrees(uri.query, bytes.constData(), url.m_query.start));
    Q_ASSERT(agrees(uri.fragment, bytes.constData(), url.m_fragment.start));
    return url;
}

std::optional<QString> Url::component(const Range& range) const {
    if (range.start < 0)
        return std::nullopt;
    return m_text.sliced(range.start, range.length);
}

std::optional<QString> Url::scheme() const {
    return component(m_scheme);
}

std::optional<QString> Url::host() const {
    return component(m_host);
}

std::optional<QString> Url::hostDecoded() const {
    const auto raw = host();
    if (!raw)
        return std::nullopt;
    return percentDecoded(*raw);
}

std::optional<int> Url::port() const {
    if (m_port.start < 0)
        return std::nullopt;
    int value = 0;
    for (const QChar c : QStringView(m_text).sliced(m_port.start, m_port.length)) {
        const int digit = c.unicode() - u'0';
        if (value > (INT_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

QString Url::path() const {
    return component(m_path).value_or(QString());
}

QString Url::pathDecoded() const {
    return decodedOrRaw(path());
}

std::optional<QString> Url::query() const {
    return component(m_query);
}

std::optional<std::vector<Url::QueryItem>> Url::queryItems() const {
    const auto raw = query();
    if (!raw || raw->isEmpty())
        return std::nullopt;
    std::vector<QueryItem> items;
    for (const QStringView piece : QStringView(*raw).split(u'&')) {
        const qsizetype equals = piece.indexOf(u'=');
        if (equals < 0)
            items.push_back({decodedOrRaw(piece), std::nullopt});
        else
            items.push_back(
                {decodedOrRaw(piece.first(equals)), decodedOrRaw(piece.sliced(equals + 1))});
    }
    return items;
}

std::optional<QString> Url::fragment() const {
    return component(m_fragment);
}
