#include "platform/Symbols/Symbols.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace symbols {
namespace {

struct Entry {
    const char16_t* theme;
    // A fallback glyph drawn when the theme lacks the icon.
    const char16_t* glyph;
};

const QHash<QString, Entry>& table() {
    static const QHash<QString, Entry> entries = {
        {QStringLiteral("plus"), {u"list-add", u"+"}},
        {QStringLiteral("macwindow.badge.plus"), {u"window-new", u"⊞"}},
        {QStringLiteral("square.and.arrow.down"), {u"document-import", u"↓"}},
        {QStringLiteral("square.and.arrow.up"), {u"document-export", u"↑"}},
        {QStringLiteral("globe"), {u"applications-internet", u"◍"}},
        {QStringLiteral("text.alignleft"), {u"format-justify-left", u"≡"}},
        {QStringLiteral("questionmark.circle"), {u"help-contents", u"?"}},
        // No font glyph looks like a bookmark; an empty glyph draws a ribbon.
        {QStringLiteral("bookmark"), {u"bookmark-new", u""}},
        {QStringLiteral("arrow.down.circle"), {u"system-software-update", u"⇩"}},
        {QStringLiteral("safari"), {u"web-browser", u"◎"}},
        {QStringLiteral("pencil"), {u"document-edit", u"✎"}},
        {QStringLiteral("trash"), {u"edit-delete", u"✕"}},
        {QStringLiteral("link"), {u"edit-copy", u"⧉"}},
        {QStringLiteral("sparkles"), {u"", u"✦"}},
        {QStringLiteral("tag"), {u"tag", u"#"}},
        {QStringLiteral("tray.full"), {u"folder", u"▤"}},
        {QStringLiteral("books.vertical"), {u"folder-bookmark", u"▥"}},
        {QStringLiteral("magnifyingglass"), {u"edit-find", u"⌕"}},
        {QStringLiteral("exclamationmark.triangle"), {u"dialog-warning", u"!"}},
        {QStringLiteral("exclamationmark.triangle.fill"), {u"dialog-warning", u"\u26A0"}},
    };
    return entries;
}

QIcon drawn(const QString& glyph) {
    QIcon icon;
    for (const int size : {16, 22, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont font = painter.font();
        font.setPixelSize(size * 3 / 4);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(0x55, 0x55, 0x5a));
        if (glyph.isEmpty()) {
            const qreal w = size * 0.5;
            const qreal left = (size - w) / 2;
            const qreal top = size * 0.14;
            const qreal bottom = size * 0.86;
            QPainterPath ribbon;
            ribbon.moveTo(left, top);
            ribbon.lineTo(left + w, top);
            ribbon.lineTo(left + w, bottom);
            ribbon.lineTo(left + w / 2, bottom - w * 0.45);
            ribbon.lineTo(left, bottom);
            ribbon.closeSubpath();
            painter.setPen(QPen(QColor(0x55, 0x55, 0x5a), std::max(1.0, size / 12.0)));
            painter.drawPath(ribbon);
        } else {
            painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, glyph);
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QString themeName(const QString& symbolName) {
    const auto found = table().constFind(symbolName);
    return found == table().constEnd() ? QString() : QString::fromUtf16(found->theme);
}

QIcon icon(const QString& symbolName) {
    static QHash<QString, QIcon> cache;
    if (const auto cached = cache.constFind(symbolName); cached != cache.constEnd())
        return *cached;
    const auto found = table().constFind(symbolName);
    QIcon result;
    if (found != table().constEnd()) {
        const QString theme = QString::fromUtf16(found->theme);
        if (!theme.isEmpty() && QIcon::hasThemeIcon(theme))
            result = QIcon::fromTheme(theme);
        else
            result = drawn(QString::fromUtf16(found->glyph));
    }
    cache.insert(symbolName, result);
    return result;
}

QPixmap tinted(const QIcon& icon, QSize size, const QColor& colour, qreal devicePixelRatio) {
    QPixmap pixmap = icon.pixmap(size, devicePixelRatio);
    if (pixmap.isNull())
        return pixmap;
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), colour);
    return pixmap;
}

} // namespace symbols
