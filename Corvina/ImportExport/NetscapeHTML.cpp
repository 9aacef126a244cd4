#include "Corvina/ImportExport/NetscapeHTML.h"

#include "Corvina/ImportExport/HTMLEntities.h"
#include "Corvina/ImportExport/PayloadText.h"
#include "platform/Core/AsciiText.h"
#include "platform/Core/IsoDate.h"
#include "platform/Core/StringPool.h"
#include "platform/Core/TextDecoding.h"

#include <QSet>
#include <array>
#include <charconv>
#include <cmath>
#include <span>
#include <string>

using asciitext::containsCaseless;
using asciitext::indexOfCaseless;

namespace {

// Writer

enum class Escaping { attribute, title, description };

// Beyond what browsers need (ampersands and quotes in attributes, ampersands
// and angle brackets in text), more is written as references, because the
// reader scans lines rather than parsing them:
// - angle brackets in attributes, and line breaks in attributes and titles,
//   which would end a folder ("x</DL>" as a tag) or split the link line;
// - "=" in titles, since the reader takes the first `TAGS="..."` anywhere in
//   the line, and a link without tags would take one spelled in its title;
// - a final "=" of the address, which the closing quote would turn into an
//   attribute for a URL ending in "?tags=" or "add_date=".
// Description lines are never read back and keep their line breaks.
// The reference for one character, or nothing when it is written as it is.
QStringView escapeFor(QStringView text, qsizetype i, Escaping escaping) {
    switch (text[i].unicode()) {
    case u'&':
        return u"&amp;";
    case u'"':
        return escaping == Escaping::attribute ? QStringView(u"&quot;") : QStringView();
    case u'<':
        return u"&lt;";
    case u'>':
        return u"&gt;";
    case u'\n':
        return escaping != Escaping::description ? QStringView(u"&#10;") : QStringView();
    case u'\r':
        return escaping != Escaping::description ? QStringView(u"&#13;") : QStringView();
    case u'=':
        return escaping == Escaping::title ||
                       (escaping == Escaping::attribute && i + 1 == text.size())
                   ? QStringView(u"&#61;")
                   : QStringView();
    default:
        return {};
    }
}

void appendEscaped(QString& out, QStringView text, Escaping escaping) {
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QStringView escape = escapeFor(text, i, escaping);
        if (escape.isNull())
            continue;
        // Plain runs go in whole; most titles have nothing to escape.
        out += text.sliced(runStart, i - runStart);
        out += escape;
        runStart = i + 1;
    }
    out += text.sliced(runStart);
}

// Whole seconds since 1970, truncated toward zero.
QByteArray epochSeconds(const QDateTime& when) {
    return QByteArray::number(when.toMSecsSinceEpoch() / 1000);
}

// Reader

bool isHorizontalSpace(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

// ICU's \s is the Unicode White_Space property, which is exactly what
// QChar::isSpace() covers (U+0009 to U+000D, U+0085 and the Z categories).
bool isPatternSpace(QChar c) {
    return c.isSpace();
}

QStringView trimmedHorizontal(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isHorizontalSpace(text[begin]))
        ++begin;
    while (end > begin && isHorizontalSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Case-insensitive as ICU folds: ASCII letters, and the long s and the
// Kelvin sign, which fold to "s" and "k".
bool nameCharMatches(QChar c, char name) {
    const char upper = name >= 'a' && name <= 'z' ? char(name - 0x20) : name;
    const char lower = upper >= 'A' && upper <= 'Z' ? char(upper + 0x20) : upper;
    const char16_t u = c.unicode();
    return u == char16_t(upper) || u == char16_t(lower) || (upper == 'S' && u == u'\u017F') ||
           (upper == 'K' && u == u'\u212A');
}

void appendUnique(QStringList& list, QSet<QString>& seen, const QString& name) {
    // Short lists are searched; a set is only built for long ones.
    constexpr qsizetype kSearchLimit = 16;
    if (list.size() < kSearchLimit) {
        if (!list.contains(name))
            list.append(name);
        return;
    }
    if (seen.isEmpty())
        seen = QSet<QString>(list.cbegin(), list.cend());
    if (!seen.contains(name)) {
        seen.insert(name);
        list.append(name);
    }
}

// The value of each of `names`, each as attribute() gives it, in one pass
// over the line's "=" signs: a link line is asked for four attributes, and
// a line of a hundred million "=" must cost neither four passes nor a list
// of their places.
template <std::size_t N>
std::array<std::optional<QStringView>, N>
attributesIn(QStringView line, const std::array<QLatin1StringView, N>& names) {
    std::array<std::optional<QStringView>, N> found{};
    std::array<bool, N> settled{};
    std::size_t open = N;
    const qsizetype size = line.size();
    // Once a quote has no partner to its right, no later value in that quote
    // can close either; remembering it keeps hostile lines linear. This holds
    // whichever name led to the quote, so the names share it.
    bool doubleUnclosed = false, singleUnclosed = false;
    for (qsizetype equals = line.indexOf(u'='); equals >= 0 && open > 0;
         equals = line.indexOf(u'=', equals + 1)) {
        qsizetype nameEnd = equals;
        while (nameEnd > 0 && isPatternSpace(line[nameEnd - 1]))
            --nameEnd;
        // What follows this "=", worked out once for every name that precedes it.
        enum class Value { unread, lineEnds, none, quoted } value = Value::unread;
        QStringView quoted;
        for (std::size_t n = 0; n < N; ++n) {
            if (settled[n])
                continue;
            const qsizetype nameSize = names[n].size();
            const qsizetype nameStart = nameEnd - nameSize;
            if (nameStart < 0)
                continue;
            bool named = true;
            for (qsizetype k = 0; k < nameSize && named; ++k)
                named = nameCharMatches(line[nameStart + k], names[n][k].toLatin1());
            if (!named)
                continue;
            if (value == Value::unread) {
                value = Value::none;
                qsizetype start = equals + 1;
                while (start < size && isPatternSpace(line[start]))
                    ++start;
                const QChar quote = start < size ? line[start] : QChar();
                bool& unclosed = quote == u'"' ? doubleUnclosed : singleUnclosed;
                if (start >= size) {
                    value = Value::lineEnds;
                } else if ((quote == u'"' || quote == u'\'') && !unclosed) {
                    const qsizetype close = line.indexOf(quote, start + 1);
                    if (close < 0) {
                        unclosed = true;
                    } else {
                        value = Value::quoted;
                        quoted = line.sliced(start + 1, close - start - 1);
                    }
                }
            }
            // Nothing after the last "=": no later match can exist.
            if (value == Value::lineEnds || value == Value::quoted) {
                if (value == Value::quoted)
                    found[n] = quoted;
                settled[n] = true;
                --open;
            }
        }
    }
    return found;
}

class Reader {
public:
    explicit Reader(textdecoding::Encoding encoding)
        : m_encoding(encoding) {}

    void readLine(QByteArrayView bytes) {
        // Every rule needs a "<"; lines without one (blank lines, the rest of
        // a description that runs over several) are not worth decoding.
        if (!bytes.contains('<'))
            return;
        const QString decoded = textdecoding::decodePiece(bytes, m_encoding);
        const QStringView line = trimmedHorizontal(decoded);
        if (containsCaseless(line, QLatin1StringView("<H3")) && heading(line))
            return;
        if (containsCaseless(line, QLatin1StringView("</DL>"))) {
            folderEnd();
            return;
        }
        if (containsCaseless(line, QLatin1StringView("<A")))
            link(line);
    }

    std::vector<BookmarkPayload> takeBookmarks() { return std::move(m_bookmarks); }

private:
    struct Folder {
        bool addedTag = false;
    };

    bool heading(QStringView line) {
        const qsizetype open = indexOfCaseless(line, QLatin1StringView("<H3"));
        const qsizetype openEnd = line.indexOf(u'>', open + 3);
        const qsizetype close = indexOfCaseless(line, QLatin1StringView("</H3>"));
        if (openEnd < 0 || close < 0)
            return false;
        Folder folder;
        // A heading whose closing tag comes first names nothing, but still
        // opens a folder that a later "</DL>" closes.
        if (close > openEnd && qsizetype(m_folders.size()) < netscape::kMaxFolderTags) {
            // Names are written with references ("News &amp; Blogs"); the tag
            // is what the browser showed.
            const QString name =
                netscape::decodeEntities(line.sliced(openEnd + 1, close - openEnd - 1));
            if (!name.isEmpty() && !m_folderTags.contains(name)) {
                m_folderTags.append(name);
                folder.addedTag = true;
            }
        }
        m_folders.push_back(folder);
        return true;
    }

    void folderEnd() {
        if (m_folders.empty())
            return;
        if (m_folders.back().addedTag)
            m_folderTags.removeLast();
        m_folders.pop_back();
    }

    void link(QStringView line) {
        const auto [href, addDate, lastModified, tagsValue] = netscape::linkAttributes(line);
        if (!href)
            return;
        const qsizetype open = indexOfCaseless(line, QLatin1StringView("<A"));
        const qsizetype openEnd = line.indexOf(u'>', open + 2);
        const qsizetype close = indexOfCaseless(line, QLatin1StringView("</A>"));
        // A closing tag before the opening one ends leaves no title to read.
        if (openEnd < 0 || close <= openEnd)
            return;
        const auto url = Url::parse(netscape::decodeEntities(*href));
        if (!url)
            return;

        const auto readDate = [](const std::optional<QStringView>& value) {
            return value ? netscape::dateValue(*value) : std::nullopt;
        };
        const std::optional<QDateTime> added = readDate(addDate);
        const std::optional<QDateTime> modified = readDate(lastModified);

        BookmarkPayload payload;
        payload.id = QUuid::createUuid();
        payload.url = *url;
        payload.tags = tags(tagsValue);
        payload.title = netscape::decodeEntities(line.sliced(openEnd + 1, close - openEnd - 1));
        if (payload.title.isEmpty())
            payload.title = url->absoluteString();
        if (!added || !modified) {
            const QDateTime now = isodate::now();
            payload.createdAt = added.value_or(now);
            payload.updatedAt = modified.value_or(payload.createdAt);
        } else {
            payload.createdAt = *added;
            payload.updatedAt = *modified;
        }
        m_bookmarks.push_back(std::move(payload));
    }

    QStringList tags(const std::optional<QStringView>& written) {
        if (!written)
            return m_folderTags; // shared, not copied: most links have no TAGS
        QStringList tags;
        QSet<QString> seen;
        const QString decoded = netscape::decodeEntities(*written);
        for (qsizetype from = 0; from <= decoded.size() && tags.size() < kMaxTagsPerBookmark;) {
            qsizetype comma = decoded.indexOf(u',', from);
            if (comma < 0)
                comma = decoded.size();
            const QStringView name = trimmedHorizontal(QStringView(decoded).sliced(from, comma - from));
            if (!name.isEmpty())
                appendUnique(tags, seen, m_tags.intern(name.toString()));
            from = comma + 1;
        }
        for (const QString& folder : m_folderTags) {
            if (tags.size() < kMaxTagsPerBookmark)
                appendUnique(tags, seen, folder);
        }
        return tags;
    }

    textdecoding::Encoding m_encoding;
    std::vector<Folder> m_folders;
    // The tags the open folders give, outermost first, each name once.
    QStringList m_folderTags;
    std::vector<BookmarkPayload> m_bookmarks;
    StringPool m_tags; // a library's few hundred tags, shared by all its links
};

} // namespace

QByteArray exportNetscapeHTML(const std::vector<BookmarkPayload>& payloads) {
    // Escapes make the text a little longer; the rest of a link line is about 90.
    Utf8Output out(textLength(payloads) * 9 / 8 + qsizetype(payloads.size()) * 100 + 400);
    out.append("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
               "<!-- This is an automatically generated file.\n"
               "     It will be read and overwritten.\n"
               "     DO NOT EDIT! -->\n"
               "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
               "<TITLE>Bookmarks</TITLE>\n"
               "<H1>Bookmarks</H1>\n"
               "<DL><p>\n");
    QString field; // one escaped value at a time; keeps its capacity
    const auto escaped = [&](QStringView text, Escaping escaping) {
        field.resize(0);
        appendEscaped(field, text, escaping);
        out.append(field);
    };
    for (const BookmarkPayload& payload : payloads) {
        out.append("    <DT><A HREF=\"");
        escaped(payload.url.absoluteString(), Escaping::attribute);
        out.append("\" ADD_DATE=\"");
        out.append(epochSeconds(payload.createdAt));
        out.append("\" LAST_MODIFIED=\"");
        out.append(epochSeconds(payload.updatedAt));
        out.append("\"");
        if (!payload.tags.isEmpty()) {
            out.append(" TAGS=\"");
            escaped(payload.tags.join(u','), Escaping::attribute);
            out.append("\"");
        }
        out.append(">");
        escaped(payload.title, Escaping::title);
        out.append("</A>\n");
        if (!payload.description.isEmpty()) {
            out.append("    <DD>");
            escaped(payload.description, Escaping::description);
            out.append("\n");
        }
    }
    out.append("</DL><p>\n");
    return out.take();
}

const QStringList& NetscapeHTMLImporter::fileExtensions() {
    static const QStringList extensions = {QStringLiteral("html"), QStringLiteral("htm")};
    return extensions;
}

ParsedBookmarks NetscapeHTMLImporter::parse(QByteArrayView bytes) {
    // Latin-1 takes any byte, so no file fails as "not a text file" here;
    // the failure stays for a decoding that could reject input.
    const textdecoding::Encoding encoding = textdecoding::encodingOf(bytes);
    const QByteArrayView text = textdecoding::withoutByteOrderMark(bytes, encoding);
    Reader reader(encoding);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArrayView line = text.sliced(start, end - start);
        // Browsers on Windows end lines with CR LF.
        if (line.endsWith('\r'))
            line.chop(1);
        reader.readLine(line);
        start = end + 1;
    }
    return reader.takeBookmarks();
}

namespace netscape {

std::optional<QStringView> attribute(QStringView line, QLatin1StringView name) {
    return attributesIn(line, std::array{name})[0];
}

LinkAttributes linkAttributes(QStringView line) {
    const auto [href, addDate, lastModified, tags] = attributesIn(
        line, std::array{QLatin1StringView("HREF"), QLatin1StringView("ADD_DATE"),
                         QLatin1StringView("LAST_MODIFIED"), QLatin1StringView("TAGS")});
    return {href, addDate, lastModified, tags};
}

std::optional<QDateTime> dateValue(QStringView value) {
    // [+-] (digits [. digits*] | . digits) [(e|E) [+-] digits]
    qsizetype i = 0;
    const qsizetype size = value.size();
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < size && value[i] >= u'0' && value[i] <= u'9')
            ++i;
        return i - from;
    };
    if (i < size && (value[i] == u'+' || value[i] == u'-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < size && value[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return std::nullopt;
    if (i < size && (value[i] == u'e' || value[i] == u'E')) {
        ++i;
        if (i < size && (value[i] == u'+' || value[i] == u'-'))
            ++i;
        if (digits() == 0)
            return std::nullopt;
    }
    if (i != size)
        return std::nullopt;

    // from_chars takes no leading "+".
    std::string text = value.toLatin1().toStdString();
    const char* begin = text.data() + (text.front() == '+' ? 1 : 0);
    double seconds = 0;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    // 0001-01-01T00:00:00Z to 9999-12-31T23:59:59Z: the dates the backup's
    // four-digit years can carry.
    constexpr double kFirst = -62135596800.0, kLast = 253402300799.0;
    if (!(seconds >= kFirst && seconds < kLast + 1))
        return std::nullopt;
    const auto msecs = qint64(std::floor(seconds * 1000.0));
    // Plain Qt::UTC, not a QTimeZone: no allocation for 100,000 dates.
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

} // namespace netscape
