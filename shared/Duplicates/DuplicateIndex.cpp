#include "shared/Duplicates/DuplicateIndex.h"

#include "platform/Core/JsonText.h"
#include "platform/Folders/RegularFile.h"
#include "shared/Duplicates/DuplicateKey.h"
#include "shared/Inbox/SharedContainer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

QByteArray encodeDuplicateIndex(const QHash<QString, QString>& index) {
    // Written directly rather than through a QJsonObject, which keeps its
    // members sorted and makes a large library's index cost a global sort
    // plus a copy of every string. Member order carries no meaning.
    QString text;
    text.reserve(index.size() * 120 + 2);
    text += u'{';
    for (auto it = index.cbegin(); it != index.cend(); ++it) {
        if (it != index.cbegin())
            text += u',';
        jsontext::appendString(text, it.key());
        text += u':';
        jsontext::appendString(text, it.value());
    }
    text += u'}';
    return text.toUtf8();
}

std::optional<QHash<QString, QString>> decodeDuplicateIndex(const QByteArray& bytes) {
    // Qt's parser drops a U+FEFF that opens a string, taking it for a byte
    // order mark, so a title starting with one would not read back. Spelled
    // as an escape it survives. The swap is harmless wherever it stands:
    // inside a string the escape means the same character, and outside one
    // the JSON is invalid either way.
    static const QByteArray rawMark = QByteArrayLiteral("\"\xEF\xBB\xBF");
    QByteArray text = bytes;
    if (text.contains(rawMark))
        text.replace(rawMark, QByteArrayLiteral("\"\\ufeff"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    QHash<QString, QString> index;
    index.reserve(object.size());
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        index.insert(it.key(), it.value().toString());
    }
    return index;
}

namespace {
// An index of a million bookmarks is a few hundred megabytes at most.
constexpr qint64 kMaxIndexBytes = qint64(1) << 30;
} // namespace

QString duplicateIndexPath(const QString& supportDir) {
    return QDir(supportDir).filePath(QStringLiteral("duplicate-index.json"));
}

std::optional<QString> lookUpDuplicate(const Url& url) {
    const QString key = duplicateKey(url);
    const std::optional<QString> support = sharedcontainer::supportDirectory();
    if (!support)
        return std::nullopt;
    // Only a regular file is read: something else under the index's name
    // must not hang the share sheet.
    const auto bytes = folders::readRegularFile(duplicateIndexPath(*support), kMaxIndexBytes);
    if (!bytes)
        return std::nullopt;
    const auto index = decodeDuplicateIndex(bytes.value());
    if (!index)
        return std::nullopt;
    const auto found = index->constFind(key);
    if (found == index->cend())
        return std::nullopt;
    return *found;
}
