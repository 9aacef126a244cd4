#include "Corvina/ImportExport/JSONBackup.h"

#include "Corvina/ImportExport/PayloadText.h"
#include "platform/Core/AsciiText.h"
#include "platform/Core/IsoDate.h"
#include "platform/Core/JsonText.h"
#include "platform/Core/StringPool.h"

#include <QSet>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// Key order is alphabetical at both levels; readers of older backups may
// rely on it, and diffs of two backups stay small.
void appendPayload(QString& out, const BookmarkPayload& payload) {
    const auto member = [&](QStringView key, QStringView value, bool last = false) {
        out += u"      ";
        jsontext::appendString(out, key);
        out += u" : ";
        jsontext::appendString(out, value);
        out += last ? QStringView(u"\n") : QStringView(u",\n");
    };
    out += u"    {\n";
    member(u"createdAt", isodate::format(payload.createdAt));
    member(u"description", payload.description);
    member(u"id", uuidString(payload.id));
    out += u"      \"tags\" : [";
    for (qsizetype i = 0; i < payload.tags.size(); ++i) {
        out += i == 0 ? QStringView(u"\n        ") : QStringView(u",\n        ");
        jsontext::appendString(out, payload.tags.at(i));
    }
    out += payload.tags.isEmpty() ? QStringView(u"],\n") : QStringView(u"\n      ],\n");
    member(u"title", payload.title);
    member(u"updatedAt", isodate::format(payload.updatedAt));
    member(u"url", payload.url.absoluteString(), true);
    out += u"    }";
}

// One pass over the bytes of a backup: checks the JSON, refuses any object
// that names a key twice and builds the payloads as it goes. It takes
// exactly what the program has always taken, which was Qt's reader plus a
// duplicate-key walk: white space is the four JSON characters, a number is
// whatever QByteArray reads (".5" and "1." included), an unknown escape
// stands for the byte after the backslash, each \u gives one UTF-16 unit (a
// lone surrogate included), raw control characters pass, and no more than
// 1,024 arrays and objects may be open at once. Building a QJsonDocument and
// then copying every string out of it took most of an import's time.
class BackupReader {
public:
    explicit BackupReader(QByteArrayView bytes)
        : m_at(bytes.data())
        , m_end(bytes.data() + bytes.size()) {}

    std::optional<std::vector<BookmarkPayload>> read() {
        if (m_end - m_at >= 3 && std::memcmp(m_at, "\xEF\xBB\xBF", 3) == 0)
            m_at += 3;
        std::vector<BookmarkPayload> payloads;
        if (!skipSpace())
            return std::nullopt;
        const char open = *m_at++;
        // A bare array first, then the envelope.
        const bool ok = open == '['   ? readBookmarks(payloads)
                        : open == '{' ? readEnvelope(payloads)
                                      : false;
        if (!ok || skipSpace())
            return std::nullopt;
        return payloads;
    }

private:
    static constexpr int kMaxDepth = 1024;

    // The keys of one object other than those the reader looks for.
    class KeySet {
    public:
        // False when the object already had `key`.
        bool insert(const QString& key) {
            if (!m_many.isEmpty()) {
                const qsizetype before = m_many.size();
                m_many.insert(key);
                return m_many.size() != before;
            }
            if (std::find(m_few.cbegin(), m_few.cend(), key) != m_few.cend())
                return false;
            m_few.push_back(key);
            // Hostile files can hold objects of a million keys.
            if (m_few.size() > 16) {
                for (const QString& known : m_few)
                    m_many.insert(known);
            }
            return true;
        }

    private:
        std::vector<QString> m_few;
        QSet<QString> m_many;
    };

    // Steps over white space; false at the end of the input.
    bool skipSpace() {
        while (m_at < m_end && (*m_at == ' ' || *m_at == '\n' || *m_at == '\r' || *m_at == '\t'))
            ++m_at;
        return m_at < m_end;
    }

    bool take(char token) {
        if (!skipSpace() || *m_at != token)
            return false;
        ++m_at;
        return true;
    }

    bool enter() { return ++m_depth <= kMaxDepth; }

    // After an element or member: true with `closed` false on ',', true with
    // `closed` set on `close`, false on anything else.
    bool next(char close, bool& closed) {
        if (!skipSpace())
            return false;
        const char token = *m_at++;
        closed = token == close;
        if (closed)
            --m_depth;
        return closed || token == ',';
    }

    // One level deeper into an object whose '{' has been read; false when it
    // closes at once, as neither the envelope nor a bookmark may be empty.
    bool enterObjectWithMembers() { return enter() && skipSpace() && *m_at != '}'; }

    bool readEnvelope(std::vector<BookmarkPayload>& payloads) {
        if (!enterObjectWithMembers())
            return false;
        bool haveBookmarks = false;
        KeySet others;
        for (bool closed = false; !closed;) {
            if (!readKey())
                return false;
            if (m_key == u"bookmarks") {
                if (haveBookmarks || m_keyLostMark || !take('['))
                    return false;
                haveBookmarks = true;
                if (!readBookmarks(payloads))
                    return false;
            } else if (!others.insert(m_key) || !skipValue()) {
                return false;
            }
            if (!next('}', closed))
                return false;
        }
        return haveBookmarks;
    }

    // The elements of an array whose '[' has been read.
    bool readBookmarks(std::vector<BookmarkPayload>& payloads) {
        if (!enter() || !skipSpace())
            return false;
        if (leftEmptyArray())
            return true;
        for (bool closed = false; !closed;) {
            if (!take('{') || !readBookmark(payloads) || !next(']', closed))
                return false;
        }
        return true;
    }

    // The members of a bookmark object whose '{' has been read. Unknown keys
    // are checked and skipped; every one of the seven must be there.
    bool readBookmark(std::vector<BookmarkPayload>& payloads) {
        enum Field { id, url, title, description, tags, createdAt, updatedAt, fieldCount };
        static constexpr QStringView kNames[fieldCount] = {
            u"id", u"url", u"title", u"description", u"tags", u"createdAt", u"updatedAt"};
        QString texts[fieldCount];
        QStringList tagList;
        unsigned seen = 0;
        KeySet others;
        if (!enterObjectWithMembers())
            return false;
        for (bool closed = false; !closed;) {
            if (!readKey())
                return false;
            const int field =
                int(std::find(std::begin(kNames), std::end(kNames), m_key) - std::begin(kNames));
            if (field == fieldCount) {
                if (!others.insert(m_key) || !skipValue())
                    return false;
            } else {
                if ((seen & (1u << field)) || m_keyLostMark)
                    return false;
                seen |= 1u << field;
                if (field == tags ? !readTags(tagList) : !take('"') || !readString(texts[field]))
                    return false;
            }
            if (!next('}', closed))
                return false;
        }
        if (seen != (1u << fieldCount) - 1)
            return false;

        // The checks of payloadFromJson, then those that keep a backup
        // writable: "\uDD00" alone is valid JSON but no character, and could
        // not be written back as the text it came as.
        const auto uuid = uuidFromString(texts[id]);
        auto parsedUrl = Url::parse(texts[url]);
        const auto created = isodate::parse(texts[createdAt]);
        const auto updated = isodate::parse(texts[updatedAt]);
        const auto valid = [](const QString& text) { return QStringView(text).isValidUtf16(); };
        if (!uuid || !parsedUrl || !created || !updated || !valid(texts[title]) ||
            !valid(texts[description]) || !std::all_of(tagList.cbegin(), tagList.cend(), valid))
            return false;
        // Every member given, so the default URL is never parsed.
        payloads.push_back(BookmarkPayload{.id = *uuid,
                                           .url = std::move(*parsedUrl),
                                           .title = std::move(texts[title]),
                                           .description = std::move(texts[description]),
                                           .tags = std::move(tagList),
                                           .createdAt = *created,
                                           .updatedAt = *updated});
        return true;
    }

    // At the first element of an array just entered: when it is the closing
    // ']' instead, reads it, leaves the array and says so.
    bool leftEmptyArray() {
        if (*m_at != ']')
            return false;
        ++m_at;
        --m_depth;
        return true;
    }

    bool readTags(QStringList& out) {
        if (!take('[') || !enter() || !skipSpace())
            return false;
        if (leftEmptyArray())
            return true;
        for (bool closed = false; !closed;) {
            QString tag;
            if (!take('"') || !readString(tag) || !next(']', closed))
                return false;
            // Read to the end all the same: the file must still be valid.
            if (out.size() < kMaxTagsPerBookmark)
                out.append(m_tags.intern(std::move(tag)));
        }
        return true;
    }

    // A member's key and its ':', into m_key.
    bool readKey() {
        if (!take('"') || !readString(m_key))
            return false;
        m_keyLostMark = m_lostMark;
        return take(':');
    }

    // Any value, checked and dropped. Iterative, so that depth costs heap
    // rather than stack.
    bool skipValue() {
        struct Open {
            bool object;
            KeySet keys;
        };
        std::vector<Open> open;
        for (;;) {
            if (!skipSpace())
                return false;
            const char first = *m_at++;
            bool done = true; // a whole value was read
            if (first == '{' || first == '[') {
                if (!enter() || !skipSpace())
                    return false;
                if (*m_at == (first == '{' ? '}' : ']')) {
                    ++m_at;
                    --m_depth;
                } else {
                    open.push_back({first == '{', {}});
                    if (first == '{' && (!readKey() || !open.back().keys.insert(m_key)))
                        return false;
                    done = false;
                }
            } else if (first == '"') {
                if (!readString(m_scratch))
                    return false;
            } else if (!skipScalar(first)) {
                return false;
            }
            if (!done)
                continue;
            // Close what ends here; stop at a ',' that calls for another value.
            for (;;) {
                if (open.empty())
                    return true;
                bool closed;
                if (!next(open.back().object ? '}' : ']', closed))
                    return false;
                if (!closed)
                    break;
                open.pop_back();
            }
            if (open.back().object && (!readKey() || !open.back().keys.insert(m_key)))
                return false;
        }
    }

    // true, false, null or a number, `first` already read.
    bool skipScalar(char first) {
        const auto literal = [&](QByteArrayView rest) {
            if (m_end - m_at < rest.size() || QByteArrayView(m_at, rest.size()) != rest)
                return false;
            m_at += rest.size();
            return true;
        };
        switch (first) {
        case 't':
            return literal("rue");
        case 'f':
            return literal("alse");
        case 'n':
            return literal("ull");
        default:
            --m_at;
            return skipNumber();
        }
    }

    // Scans as far as a JSON number could go and leaves the rest to
    // QByteArray: what it cannot read, or reads as infinite or as an
    // underflow to zero, is refused.
    bool skipNumber() {
        const char* const start = m_at;
        const auto digits = [&] {
            while (m_at < m_end && *m_at >= '0' && *m_at <= '9')
                ++m_at;
        };
        bool isInteger = true;
        if (m_at < m_end && *m_at == '-')
            ++m_at;
        if (m_at < m_end && *m_at == '0')
            ++m_at;
        else
            digits();
        if (m_at < m_end && *m_at == '.') {
            ++m_at;
            isInteger = false;
            digits();
        }
        if (m_at < m_end && (*m_at == 'e' || *m_at == 'E')) {
            ++m_at;
            isInteger = false;
            if (m_at < m_end && (*m_at == '-' || *m_at == '+'))
                ++m_at;
            digits();
        }
        const QByteArray number = QByteArray::fromRawData(start, m_at - start);
        bool ok = false;
        if (isInteger)
            number.toLongLong(&ok);
        if (!ok)
            number.toDouble(&ok);
        return ok;
    }

    // The rest of a string literal whose opening quote has been read.
    bool readString(QString& out) {
        m_lostMark = false;
        const char* start = m_at;
        const char* end = start;
        bool escaped = false;
        bool ascii = true;
        while (end < m_end && *end != '"') {
            const uchar c = uchar(*end);
            escaped = escaped || c == '\\';
            ascii = ascii && c < 0x80;
            end += c == '\\' ? 2 : 1;
        }
        if (end >= m_end)
            return false;
        m_at = end + 1;
        if (!escaped && ascii) {
            out = QLatin1StringView(start, end - start);
            return true;
        }
        // Qt's reader drops a byte order mark that opens a string, but only
        // in one without escapes.
        if (!escaped && end - start >= 3 && std::memcmp(start, "\xEF\xBB\xBF", 3) == 0) {
            start += 3;
            m_lostMark = true;
        }
        // Never more UTF-16 units than bytes.
        out.resize(end - start);
        char16_t* const first = reinterpret_cast<char16_t*>(out.data());
        char16_t* const last = decode(start, end, first);
        if (!last)
            return false;
        out.truncate(last - first);
        return true;
    }

    // The text between the quotes, or nullptr for a bad \u or bytes that
    // are not UTF-8.
    static char16_t* decode(const char* at, const char* end, char16_t* out) {
        while (at < end) {
            const uchar c = uchar(*at++);
            if (c == '\\') {
                const uchar escaped = uchar(*at++);
                switch (escaped) {
                case 'b':
                    *out++ = u'\b';
                    break;
                case 'f':
                    *out++ = u'\f';
                    break;
                case 'n':
                    *out++ = u'\n';
                    break;
                case 'r':
                    *out++ = u'\r';
                    break;
                case 't':
                    *out++ = u'\t';
                    break;
                case 'u': {
                    if (end - at < 4)
                        return nullptr;
                    char16_t unit = 0;
                    for (int i = 0; i < 4; ++i) {
                        const int digit = asciitext::hexDigit(char16_t(uchar(*at++)));
                        if (digit < 0)
                            return nullptr;
                        unit = char16_t(unit << 4 | digit);
                    }
                    *out++ = unit;
                    break;
                }
                default:
                    // '"', '\\', '/', and the lenient rest: the byte itself.
                    *out++ = escaped;
                }
            } else if (c < 0x80) {
                *out++ = c;
            } else {
                char32_t point;
                if (!decodeUtf8(c, at, end, point))
                    return nullptr;
                if (point > 0xFFFF) {
                    *out++ = QChar::highSurrogate(point);
                    *out++ = QChar::lowSurrogate(point);
                } else {
                    *out++ = char16_t(point);
                }
            }
        }
        return out;
    }

    // One multi-byte UTF-8 sequence after its lead byte: no overlong form, no
    // surrogate, nothing past U+10FFFF.
    static bool decodeUtf8(uchar lead, const char*& at, const char* end, char32_t& point) {
        int more;
        uchar low = 0x80, high = 0xBF; // bounds of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            point = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            point = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            point = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - at < more)
            return false;
        for (int i = 0; i < more; ++i) {
            const uchar next = uchar(at[i]);
            if (next < (i == 0 ? low : 0x80) || next > (i == 0 ? high : 0xBF))
                return false;
            point = point << 6 | (next & 0x3F);
        }
        at += more;
        return true;
    }

    const char* m_at;
    const char* const m_end;
    int m_depth = 0;
    QString m_key;     // reused: keys are short and many
    StringPool m_tags; // a library's few hundred tags, shared by all its bookmarks
    QString m_scratch; // strings that are checked and dropped
    // The last string or key began with a dropped byte order mark. Such a
    // key counts as its remainder among the keys of its object, yet Qt's
    // lookup by name never found it: as one of the names read here, it is
    // either a second one or leaves the real one missing.
    bool m_lostMark = false;
    bool m_keyLostMark = false;
};

} // namespace

QByteArray exportJSON(const std::vector<BookmarkPayload>& payloads) {
    return exportJSON(payloads, isodate::now());
}

QByteArray exportJSON(const std::vector<BookmarkPayload>& payloads, const QDateTime& exportedAt) {
    // Keys, dates and indentation take about 260 characters per bookmark.
    Utf8Output out(textLength(payloads) * 9 / 8 + qsizetype(payloads.size()) * 280 + 100);
    out.append("{\n  \"bookmarks\" : [");
    QString record; // one bookmark at a time; keeps its capacity
    for (size_t i = 0; i < payloads.size(); ++i) {
        out.append(i == 0 ? "\n" : ",\n");
        record.resize(0);
        appendPayload(record, payloads[i]);
        out.append(record);
    }
    out.append(payloads.empty() ? "],\n" : "\n  ],\n");
    record = QStringLiteral("  \"exportedAt\" : ");
    jsontext::appendString(record, isodate::format(exportedAt));
    out.append(record);
    out.append(",\n  \"version\" : 1\n}\n");
    return out.take();
}

const QStringList& JSONImporter::fileExtensions() {
    static const QStringList extensions = {QStringLiteral("json")};
    return extensions;
}

QString JSONImporter::malformedReason() {
    return QStringLiteral("Expected an array of bookmarks or {\"bookmarks\": [...]}");
}

ParsedBookmarks JSONImporter::parse(QByteArrayView bytes) {
    auto payloads = BackupReader(bytes).read();
    // Whatever went wrong, the one reason.
    if (!payloads)
        return Failure{BookmarkImporterError::malformed(malformedReason())};
    return std::move(*payloads);
}
