// Feeds arbitrary bytes to the page head parser. Besides the sanitizers it
// checks the decoding against an independent strict UTF-8 validator, the
// incremental "</head>" search against one search over the whole body, and
// that nothing after the head can change the result, and the meta lookup
// against a plain search with the same pattern.

#include "fuzz/FuzzCheck.h"
#include "platform/Regex/Regex.h"
#include "shared/Metadata/PageHead.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isStrictUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        qsizetype length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b < 0x80)
            length = 1;
        else if (b >= 0xC2 && b <= 0xDF)
            length = 2;
        else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            low = b == 0xE0 ? 0xA0 : 0x80;
            high = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            low = b == 0xF0 ? 0x90 : 0x80;
            high = b == 0xF4 ? 0x8F : 0xBF;
        } else
            return false;
        if (i + length > n)
            return false;
        for (qsizetype k = 1; k < length; ++k) {
            const unsigned char c = p[i + k];
            if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

void checkDecoding(const QByteArray& body) {
    const auto text = pagehead::decode(body);
    FUZZ_CHECK(text.has_value());
    const bool utf8 = isStrictUtf8(body);
    const QString expected = utf8 ? QString::fromUtf8(body) : QString::fromLatin1(body);
    // Qt drops a leading byte-order mark; it stands outside every tag either way.
    FUZZ_CHECK(*text == expected || (utf8 && expected.startsWith(QChar(0xFEFF)) &&
                                     *text == QStringView(expected).sliced(1)));
    if (utf8)
        FUZZ_CHECK(pagehead::decode(body, BodyExtent::beginning) == text);
}

void checkHeadEnd(const QByteArray& body, const uint8_t* data, size_t size) {
    const qsizetype whole = pagehead::findHeadEnd(body);
    const qsizetype headChars = pagehead::headOf(QString::fromLatin1(body)).size();
    FUZZ_CHECK(headChars == (whole < 0 ? body.size() : whole));
    // The same body arriving in pieces whose sizes come from the input itself.
    qsizetype arrived = 0, found = -1;
    for (size_t i = 0; found < 0 && arrived < body.size(); ++i) {
        const qsizetype searched = arrived;
        arrived = std::min<qsizetype>(body.size(), arrived + 1 + (size ? data[i % size] % 13 : 0));
        found = pagehead::findHeadEnd(QByteArrayView(body).first(arrived), searched);
    }
    FUZZ_CHECK(found == whole);
}

void checkResult(const QByteArray& body) {
    const auto result = extractPageMetadata(body);
    FUZZ_CHECK(result.ok());
    for (const QString* field : {&result->title, &result->description}) {
        FUZZ_CHECK(field->size() <= body.size()); // entities only ever shrink text
        FUZZ_CHECK(!field->contains(u"&amp;amp;") || body.contains("&amp;amp;amp;"));
    }
    // ASCII after the head changes neither decoding nor the head.
    const qsizetype headEnd = pagehead::findHeadEnd(body);
    if (headEnd >= 0) {
        const QByteArray cut = body.first(headEnd) + "</head><title>x</title>";
        const auto again = extractPageMetadata(cut);
        if (isStrictUtf8(body) == isStrictUtf8(cut))
            FUZZ_CHECK(again.ok() && *again == *result);
    }
}

// The meta lookup as a plain leftmost search of the whole head.
std::optional<QString> referenceMetaContent(QStringView head, QStringView attribute,
                                            QStringView key) {
    QString text = u"<meta\\b[^>]*?\\b"_qs;
    text += attribute;
    text += u"\\s*=\\s*[\"']";
    text += regex::Pattern::escaped(key);
    text += u"[\"'][^>]*?>";
    const auto tag = regex::Pattern::compile(text, regex::Option::caseInsensitive);
    if (!tag)
        return std::nullopt;
    const auto match = tag->firstMatch(head);
    if (!match)
        return std::nullopt;
    const auto content = regex::Pattern::compile(uR"re(content\s*=\s*(?:"([^"]*)"|'([^']*)'))re",
                                                 regex::Option::caseInsensitive);
    const auto value = content->firstMatch(match->captured());
    if (!value)
        return std::nullopt;
    return (value->hasCaptured(1) ? value->captured(1) : value->captured(2)).toString();
}

void checkMetaLookups(const QByteArray& body) {
    const QString text = *pagehead::decode(body);
    const QStringView head = pagehead::headOf(text);
    // A key taken from the input itself exercises the escaping.
    const QString ownKey = text.left(std::min<qsizetype>(6, text.size()));
    const std::pair<QStringView, QStringView> lookups[] = {
        {u"property", u"og:title"},       {u"name", u"twitter:title"},
        {u"property", u"og:description"}, {u"name", u"twitter:description"},
        {u"name", u"description"},        {u"name", ownKey},
    };
    for (const auto& [attribute, key] : lookups)
        FUZZ_CHECK(pagehead::metaContent(head, attribute, key) ==
                   referenceMetaContent(head, attribute, key));
    // Escaped, the key matches exactly itself.
    const auto literal = regex::Pattern::compile(regex::Pattern::escaped(ownKey));
    FUZZ_CHECK(literal);
    const auto self = literal->firstMatch(ownKey);
    FUZZ_CHECK(self && self->start() == 0 && self->end() == ownKey.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkDecoding(body);
    checkHeadEnd(body, data, size);
    checkResult(body);
    checkMetaLookups(body);
    return 0;
}
