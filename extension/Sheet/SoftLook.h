#pragma once

#include <QColor>
#include <QPalette>
#include <QRectF>

class QPainter;
class QWidget;

// The soft, borderless look of the sheet's fields: a rounded rectangle
// faintly tinted with the text colour and edged with a hairline, so it
// follows the palette in light and dark alike.
namespace softlook {

constexpr qreal kCornerRadius = 6;
constexpr qreal kBorderWidth = 0.5;

QColor fillColor(const QPalette& palette);
QColor borderColor(const QPalette& palette);
void paint(QPainter& painter, const QRectF& bounds, const QPalette& palette);

// Makes `widget` draw no base of its own, so the soft look shows through.
// Called again on each palette change, which would bring the base back.
void clearBase(QWidget& widget);

// The system's warning orange and error red, in the shade for the palette.
QColor orange(const QPalette& palette);
QColor red(const QPalette& palette);

} // namespace softlook
