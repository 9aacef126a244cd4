#include "platform/Extension/TypeIdentifiers.h"

#include <vector>

namespace uti {
namespace {

struct Row {
    QString identifier;
    QString parent; // empty at the top of the tree
    QStringList mimeTypes;
};

const std::vector<Row>& table() {
    static const std::vector<Row> rows{
        {url, {}, {QStringLiteral("text/uri-list"), QStringLiteral("text/x-moz-url")}},
        {fileURL, url, {QStringLiteral("text/uri-list")}},
        {text, {}, {}},
        {plainText, text, {QStringLiteral("text/plain")}},
        {html, text, {QStringLiteral("text/html")}},
        {json, text, {QStringLiteral("application/json")}},
        {webLocation,
         {},
         {QStringLiteral("application/x-desktop"), QStringLiteral("application/x-mswinurl"),
          QStringLiteral("application/x-webloc")}},
    };
    return rows;
}

const Row* rowOf(const QString& identifier) {
    for (const Row& row : table())
        if (row.identifier == identifier)
            return &row;
    return nullptr;
}

} // namespace

QStringList mimeTypes(const QString& typeIdentifier) {
    const Row* row = rowOf(typeIdentifier);
    return row ? row->mimeTypes : QStringList();
}

QString typeIdentifier(const QString& mimeType) {
    // The first row that lists the type wins, so text/uri-list reads as a
    // URL rather than a file URL: the items decide whether they are files.
    for (const Row& row : table())
        if (row.mimeTypes.contains(mimeType))
            return row.identifier;
    return {};
}

bool conformsTo(const QString& type, const QString& wanted) {
    for (const Row* row = rowOf(type); row; row = rowOf(row->parent))
        if (row->identifier == wanted)
            return true;
    return type == wanted;
}

} // namespace uti
