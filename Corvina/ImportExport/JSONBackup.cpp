#include "Corvina/ImportExport/JSONBackup.h"

#include "Corvina/ImportExport/PayloadText.h"
#include "platform/Core/IsoDate.h"
#include "platform/Core/JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>

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

// QJsonDocument keeps the last of two equal keys without a word. Walks the
// text, which the parser has already accepted as JSON, and reports whether
// any object names a key twice (after escapes are resolved).
class DuplicateKeyScan {
public:
    explicit DuplicateKeyScan(QByteArrayView text)
        : m_text(text) {}

    bool found() {
        for (qsizetype i = 0; i < m_text.size(); ++i) {
            switch (m_text[i]) {
            case '"': {
                const qsizetype end = stringEnd(i);
                if (!m_frames.empty() && m_frames.back().isObject && m_frames.back().expectingKey) {
                    Frame& frame = m_frames.back();
                    frame.expectingKey = false;
                    const QString key = unescaped(m_text.sliced(i + 1, end - i - 1));
                    if (std::find(frame.keys.cbegin(), frame.keys.cend(), key) != frame.keys.cend())
                        return true;
                    frame.keys.push_back(key);
                }
                i = end;
                break;
            }
            case '{':
                m_frames.push_back({true, true, {}});
                break;
            case '[':
                m_frames.push_back({false, false, {}});
                break;
            case '}':
            case ']':
                if (!m_frames.empty())
                    m_frames.pop_back();
                break;
            case ',':
                if (!m_frames.empty() && m_frames.back().isObject)
                    m_frames.back().expectingKey = true;
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    struct Frame {
        bool isObject;
        bool expectingKey;
        // Objects here hold a handful of keys; a list beats a hash set.
        std::vector<QString> keys;
    };

    // Index of the quote that closes the string opened at `open`.
    qsizetype stringEnd(qsizetype open) const {
        qsizetype i = open + 1;
        while (i < m_text.size() && m_text[i] != '"')
            i += m_text[i] == '\\' ? 2 : 1;
        return std::min(i, m_text.size());
    }

    static QString unescaped(QByteArrayView raw) {
        if (!raw.contains('\\'))
            return QString::fromUtf8(raw);
        // The parser's own reading of the string is the reference.
        QByteArray wrapped = "[\"";
        wrapped += raw;
        wrapped += "\"]";
        return QJsonDocument::fromJson(wrapped).array().at(0).toString();
    }

    QByteArrayView m_text;
    std::vector<Frame> m_frames;
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
    const Failure failure{BookmarkImporterError::malformed(malformedReason())};
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(bytes.data(), bytes.size()), &error);
    if (error.error != QJsonParseError::NoError || DuplicateKeyScan(bytes).found())
        return failure;
    // A bare array first, then the envelope; the decoder's own message is
    // not shown, only the one reason.
    const QJsonValue array = document.isArray()
                                 ? QJsonValue(document.array())
                                 : document.object().value(QStringLiteral("bookmarks"));
    auto payloads = payloadsFromJsonArray(array);
    if (!payloads)
        return failure;
    // "\uDD00" alone is valid JSON but no character: it cannot be written
    // back, to a backup or to the store, as the text it came as.
    for (const BookmarkPayload& payload : payloads.value()) {
        const auto valid = [](const QString& text) { return QStringView(text).isValidUtf16(); };
        if (!valid(payload.title) || !valid(payload.description) ||
            !std::all_of(payload.tags.cbegin(), payload.tags.cend(), valid))
            return failure;
    }
    return std::move(payloads).value();
}
