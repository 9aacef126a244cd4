#include "Corvina/ImportExport/BookmarksDocument.h"

#include "Corvina/ImportExport/JSONBackup.h"
#include "Corvina/ImportExport/NetscapeHTML.h"
#include "platform/Folders/AtomicWrite.h"

QStringList BookmarksDocument::readableContentTypes() {
    return {contentType(ExportFormat::json), contentType(ExportFormat::netscapeHTML)};
}

Result<BookmarksDocument, QString> BookmarksDocument::read(QByteArrayView) {
    return Failure{tr("The requested operation couldn't be completed because the feature is "
                      "not supported.")};
}

QByteArray BookmarksDocument::fileContents() const {
    return format == ExportFormat::json ? exportJSON(bookmarks) : exportNetscapeHTML(bookmarks);
}

Result<void, QString> BookmarksDocument::write(const QString& path) const {
    return folders::writeAtomically(path, fileContents());
}
