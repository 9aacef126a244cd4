#include "Corvina/ImportExport/ImporterRouter.h"

#include "Corvina/ImportExport/JSONBackup.h"
#include "Corvina/ImportExport/NetscapeHTML.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <cerrno>

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

    QFile file(path);
    // Opening a folder works; reading it is what the system refuses.
    if (QFileInfo(path).isDir())
        return Failure{ImportError{RouteError::readFailed(qt_error_string(EISDIR))}};
    if (!file.open(QIODevice::ReadOnly))
        return Failure{ImportError{RouteError::readFailed(file.errorString())}};
    // Read in pieces rather than by the reported size: a pipe or a device
    // reports none, and must not grow without limit.
    QByteArray bytes;
    if (file.size() > 0 && file.size() <= kMaxFileBytes)
        bytes.reserve(file.size());
    constexpr qint64 kPiece = qint64(4) << 20;
    while (true) {
        const QByteArray piece = file.read(kPiece);
        if (piece.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                return Failure{ImportError{RouteError::readFailed(file.errorString())}};
            break;
        }
        if (bytes.size() + piece.size() > kMaxFileBytes)
            return Failure{ImportError{RouteError::readFailed(
                tr("The file is larger than %1 MB.").arg(kMaxFileBytes >> 20))}};
        bytes += piece;
    }
    file.close();

    auto parsed = reader->parse(bytes);
    if (!parsed)
        return Failure{ImportError{parsed.error()}};
    return std::move(parsed).value();
}
