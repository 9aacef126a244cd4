#include "extension/Sheet/SoftLook.h"

#include "platform/Widgets/SystemColors.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace softlook {

using systemcolors::isDark;
using systemcolors::withAlpha;

QColor fillColor(const QPalette& palette) {
    return withAlpha(palette.color(QPalette::WindowText), 0.04);
}

QColor borderColor(const QPalette& palette) {
    // A separator: the text colour faint enough to read as a hairline.
    return withAlpha(palette.color(QPalette::WindowText), isDark(palette) ? 0.2 : 0.15);
}

void paint(QPainter& painter, const QRectF& bounds, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Inset by half the pen so the hairline lies inside the bounds.
    const QRectF shape =
        bounds.adjusted(kBorderWidth / 2, kBorderWidth / 2, -kBorderWidth / 2, -kBorderWidth / 2);
    QPainterPath path;
    path.addRoundedRect(shape, kCornerRadius, kCornerRadius);
    painter.fillPath(path, fillColor(palette));
    painter.setPen(QPen(borderColor(palette), kBorderWidth));
    painter.drawPath(path);
    painter.restore();
}

void clearBase(QWidget& widget) {
    // Setting the palette raises another palette change; it stops here.
    if (widget.palette().color(QPalette::Base) == Qt::transparent)
        return;
    QPalette own = widget.palette();
    own.setColor(QPalette::Base, Qt::transparent);
    widget.setPalette(own);
}

QColor orange(const QPalette& palette) {
    return systemcolors::orange(palette);
}

QColor red(const QPalette& palette) {
    return systemcolors::red(palette);
}

} // namespace softlook
