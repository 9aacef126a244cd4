#include "shared/Metadata/PageHead.h"

#include "platform/Core/AsciiText.h"
#include "platform/Core/TextDecoding.h"
#include "platform/Regex/Regex.h"

#include <algorithm>
#include <array>

namespace pagehead {

std::optional<QString> decode(QByteArrayView body, BodyExtent extent) {
    return textdecoding::utf8OrLatin1(body, extent == BodyExtent::beginning
                                                ? textdecoding::Extent::beginning
                                                : textdecoding::Extent::whole);
}

qsizetype findHeadEnd(QByteArrayView body, qsizetype searched) {
    static constexpr QByteArrayView needle("</head>");
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 0x20) : c; };
    const qsizetype from = std::clamp<qsizetype>(searched - (needle.size() - 1), 0, body.size());
    for (qsizetype i = body.indexOf('<', from); i >= 0 && i + needle.size() <= body.size();
         i = body.indexOf('<', i + 1)) {
        qsizetype k = 1;
        while (k < needle.size() && lower(body[i + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return i;
    }
    return -1;
}

QStringView headOf(QStringView text) {
    const qsizetype end = asciitext::indexOfCaseless(text, QLatin1StringView("</head>"));
    return end < 0 ? text : text.first(end);
}

std::optional<QString> metaContent(QStringView head, QStringView attribute, QStringView key) {
    QString tagPattern = QStringLiteral("<meta\\b[^>]*?\\b");
    tagPattern += attribute;
    tagPattern += u"\\s*=\\s*[\"']";
    tagPattern += regex::Pattern::escaped(key);
    tagPattern += u"[\"'][^>]*?>";
    const auto tag = regex::Pattern::compile(tagPattern, regex::Option::caseInsensitive);
    if (!tag)
        return std::nullopt;
    static const auto opener =
        regex::Pattern::compile(uR"(<meta\b)", regex::Option::caseInsensitive);
    static const auto content = regex::Pattern::compile(
        uR"re(content\s*=\s*(?:"([^"]*)"|'([^']*)'))re", regex::Option::caseInsensitive);
    Q_ASSERT(opener && content);

    // The same first match as searching `head` with the tag pattern, found
    // without its worst case. Unless the attribute or key holds a '>', a
    // match starting at a "<meta" ends at the first '>' after it. And when
    // the first "<meta\b" before some '>' fails, so does every later one
    // before that '>': its match would be one for the earlier start too,
    // with the lazy loop reaching further. So each stretch up to a '>' is
    // tried once, where a plain search would retry at every "<meta" in it.
    const auto tagMatch = [&]() -> std::optional<regex::Match> {
        if (attribute.contains(u'>') || key.contains(u'>'))
            return tag->firstMatch(head);
        regex::Scanner tags(*tag, head), openers(*opener, head);
        qsizetype from = 0;
        while (true) {
            // Case-insensitive "<meta": ICU folds no other letters onto m, e, t or a.
            const qsizetype start =
                asciitext::indexOfCaseless(head, QLatin1StringView("<meta"), from);
            if (start < 0)
                return std::nullopt;
            const qsizetype close = head.indexOf(u'>', start);
            if (close < 0)
                return std::nullopt;
            if (auto match = tags.matchAt(start, close + 1))
                return match;
            from = openers.matchAt(start, close + 1) ? close + 1 : start + 1;
        }
    }();
    if (!tagMatch)
        return std::nullopt;
    const auto value = content->firstMatch(tagMatch->captured());
    if (!value)
        return std::nullopt;
    return (value->hasCaptured(1) ? value->captured(1) : value->captured(2)).toString();
}

std::optional<QString> titleElement(QStringView head) {
    const qsizetype open = asciitext::indexOfCaseless(head, QLatin1StringView("<title"));
    if (open < 0)
        return std::nullopt;
    const qsizetype openEnd = head.indexOf(u'>', open + 6);
    if (openEnd < 0)
        return std::nullopt;
    const qsizetype close =
        asciitext::indexOfCaseless(head, QLatin1StringView("</title>"), openEnd + 1);
    if (close < 0)
        return std::nullopt;
    return head.sliced(openEnd + 1, close - openEnd - 1).toString();
}

QString clean(QStringView text) {
    // Every Unicode white-space and line-break character; QChar::isSpace
    // covers categories Z*, tab to carriage return, U+0085 and U+00A0.
    QString out = text.trimmed().toString();
    // Each replacement runs over the output of the ones before it, so the
    // order matters: "&amp;lt;" ends as "<", "&amp;amp;" as "&amp;".
    static const std::array<std::pair<QStringView, QStringView>, 10> entities{{
        {u"&amp;", u"&"},
        {u"&lt;", u"<"},
        {u"&gt;", u">"},
        {u"&quot;", u"\""},
        {u"&#39;", u"'"},
        {u"&apos;", u"'"},
        {u"&nbsp;", u" "},
        {u"&mdash;", u"\u2014"},
        {u"&ndash;", u"\u2013"},
        {u"&hellip;", u"\u2026"},
    }};
    for (const auto& [entity, replacement] : entities)
        out.replace(entity.data(), entity.size(), replacement.data(), replacement.size());
    return out;
}

} // namespace pagehead

Result<PageMetadata, PageHeadError> extractPageMetadata(QByteArrayView body, BodyExtent extent) {
    using namespace pagehead;
    const auto text = decode(body, extent);
    if (!text)
        return Failure{PageHeadError::notHTML};
    const QStringView head = headOf(*text);
    // A source that matches ends the search even with an empty value.
    const auto title = [&]() -> QString {
        if (auto value = metaContent(head, u"property", u"og:title"))
            return *value;
        if (auto value = metaContent(head, u"name", u"twitter:title"))
            return *value;
        return titleElement(head).value_or(QString());
    }();
    const auto description = [&]() -> QString {
        if (auto value = metaContent(head, u"property", u"og:description"))
            return *value;
        if (auto value = metaContent(head, u"name", u"twitter:description"))
            return *value;
        return metaContent(head, u"name", u"description").value_or(QString());
    }();
    return PageMetadata{clean(title), clean(description)};
}
