#include "extension/Sheet/SoftTextField.h"

#include "extension/Sheet/SoftLook.h"
#include "platform/Widgets/Typography.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

namespace {
// QLineEdit keeps this much room of its own between its margins and the text.
constexpr int kLineEditInnerMargin = 2;
} // namespace

SoftTextField::SoftTextField(QWidget* parent)
    : QLineEdit(parent) {
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setFont(typography::font(typography::TextStyle::body));
    const int side = static_cast<int>(std::lround(m_cell.hInset())) - kLineEditInnerMargin;
    setTextMargins(side, 0, side, 0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    softlook::clearBase(*this);
}

QRectF SoftTextField::textRect() const {
    const QFont current = font();
    return m_cell.textRect(QRectF(rect()), &current);
}

QSize SoftTextField::sizeHint() const {
    return {QLineEdit::sizeHint().width(), kHeight};
}

QSize SoftTextField::minimumSizeHint() const {
    return {QLineEdit::minimumSizeHint().width(), kHeight};
}

void SoftTextField::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        softlook::clearBase(*this);
}

void SoftTextField::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        softlook::paint(painter, QRectF(rect()), palette());
    }
    const QRectF area = textRect();
    if (hasFocus() || fontMetrics().horizontalAdvance(text()) <= area.width()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, qFloor(area.width())));
}
