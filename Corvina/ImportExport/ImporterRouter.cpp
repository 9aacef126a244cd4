#include "Corvina/ImportExport/ImporterRouter.h"

#include "Corvina/ImportExport/JSONBackup.h"
#include "Corvina/ImportExport/NetscapeHTML.h"

#include "platform/Folders/RegularFile.h"

#include <QMimeDatabase>

const std::vector<BookmarkImporter>& ImporterRouter::registry() {
    static const std::vector<BookmarkImporter> readers = {
        BookmarkImporter::of<NetscapeHTMLImporter>(),
        BookmarkImporter::of<JSONImporter>(),
    };
    return readers;
}

const BookmarkImporter* ImporterRouter::importerForExtension(const QString& extension) {
    const QString lower = extension.toLower();
    for (const BookmarkImporter& reader : registry()) {
        if (reader.fileExtensions.contains(lower))
            return &reader;
    }
    return nullptr;
}

QStringList ImporterRouter::allowedContentTypes() {
    const QMimeDatabase database;
    QStringList types;
    for (const BookmarkImporter& reader : registry()) {
        for (const QString& extension : reader.fileExtensions) {
            const QMimeType type = database.mimeTypeForFile(QStringLiteral("file.") + extension,
                                                            QMimeDatabase::MatchExtension);
            if (type.isValid() && !type.isDefault())
                types.append(type.name());
        }
    }
    return types;
}

QString ImporterRouter::fileExtension(const QString& path) {
    const QString name = path.section(u'/', -1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.sliced(dot + 1);
}

Result<std::vector<BookmarkPayload>, ImportError> ImporterRouter::readFile(const QString& path) {
    const QString extension = fileExtension(path);
    const BookmarkImporter* reader = importerForExtension(extension);
    if (!reader)
        return Failure{ImportError{RouteError::unsupportedExtension(extension)}};

    // A FIFO or a device named like a bookmark file is refused before it
    // is read: opening one could hang, and reading /dev/zero never ends.
    auto read = folders::readRegularFile(path, kMaxFileBytes);
    if (!read)
        return Failure{ImportError{RouteError::readFailed(read.error().message)}};
    const QByteArray bytes = std::move(read).value();

    auto parsed = reader->parse(bytes);
    if (!parsed)
        return Failure{ImportError{parsed.error()}};
    return std::move(parsed).value();
}
