#include "Corvina/LibraryList/RowAccessibility.h"

#include <QCoreApplication>

QString bookmarkAccessibilityLabel(const QString& title, const QString& domain,
                                   const QStringList& tags) {
    QStringList parts{title, QCoreApplication::translate("BookmarkRow", "from %1").arg(domain)};
    if (!tags.isEmpty()) {
        const QString noun = tags.size() == 1 ? QCoreApplication::translate("BookmarkRow", "tag")
                                              : QCoreApplication::translate("BookmarkRow", "tags");
        parts.append(noun + QStringLiteral(": ") + tags.join(QStringLiteral(", ")));
    }
    return parts.join(QStringLiteral(", "));
}

QString overflowAccessibilityLabel(int overflow) {
    return QCoreApplication::translate("BookmarkRow", "and %1 more tags").arg(overflow);
}
