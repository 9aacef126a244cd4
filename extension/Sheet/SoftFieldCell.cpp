#include "extension/Sheet/SoftFieldCell.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <cmath>

QRectF SoftFieldCell::textRect(const QRectF& frame, const QFont* font) const {
    const qreal lineHeight =
        std::ceil(QFontMetricsF(font ? *font : QGuiApplication::font()).height());
    return QRectF(frame.x() + m_hInset, frame.y() + (frame.height() - lineHeight) / 2,
                  frame.width() - 2 * m_hInset, lineHeight);
}
