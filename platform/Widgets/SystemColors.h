#pragma once

#include <QColor>
#include <QPalette>

// The desktop's signal colours, each in the shade that reads on the
// palette's window: a light shade on dark windows, a deeper one on light.
namespace systemcolors {

bool isDark(const QPalette& palette);

QColor orange(const QPalette& palette);
QColor red(const QPalette& palette);
QColor green(const QPalette& palette);
// The palette's highlight, which the desktop uses as its accent.
QColor accent(const QPalette& palette);

// `colour` at `alpha` opacity.
QColor withAlpha(QColor colour, qreal alpha);

// The palette of the one button a sheet or alert wants pressed: filled with
// the accent colour while it can act. Disabled, it is an ordinary button
// with dimmed text, so a button that cannot act never looks like the one to
// press.
QPalette prominentButton(const QPalette& palette);

} // namespace systemcolors
