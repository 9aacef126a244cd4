#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// Named symbols ("plus", "globe", "sparkles", ...) as icons: the freedesktop
// icon theme's closest icon, or a small drawing of our own when the theme has
// none, so every symbol always shows something.
namespace symbols {

QIcon icon(const QString& symbolName);

// `icon` drawn in one colour, as template images are: every pixel keeps its
// coverage and takes `colour`. Null when the icon has no pixmap.
QPixmap tinted(const QIcon& icon, QSize size, const QColor& colour, qreal devicePixelRatio);

// The theme icon name tried for a symbol, empty when there is none.
QString themeName(const QString& symbolName);

} // namespace symbols
