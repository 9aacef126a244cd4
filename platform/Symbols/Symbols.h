#pragma once

#include <QIcon>
#include <QString>

// Named symbols ("plus", "globe", "sparkles", ...) as icons: the freedesktop
// icon theme's closest icon, or a small drawing of our own when the theme has
// none, so every symbol always shows something.
namespace symbols {

QIcon icon(const QString& symbolName);

// The theme icon name tried for a symbol, empty when there is none.
QString themeName(const QString& symbolName);

} // namespace symbols
