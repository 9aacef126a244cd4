#include "Corvina/BookmarkEditor/SoftFieldBackground.h"

#include "platform/Widgets/SystemColors.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

SoftFieldBackground::SoftFieldBackground(QWidget* content, int verticalPadding,
                                         int horizontalPadding, QWidget* parent)
    : QWidget(parent)
    , m_content(content) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding,
                               verticalPadding);
    layout->addWidget(content);
    if (auto* line = qobject_cast<QLineEdit*>(content))
        line->setFrame(false);
    if (auto* frame = qobject_cast<QFrame*>(content))
        frame->setFrameShape(QFrame::NoFrame);
    // The soft fill shows through: the content draws no base of its own.
    QPalette palette = content->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    content->setPalette(palette);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(content))
        area->viewport()->setAutoFillBackground(false);
}

QColor SoftFieldBackground::fillColor(const QPalette& palette) {
    return systemcolors::withAlpha(palette.color(QPalette::WindowText), 0.04);
}

QColor SoftFieldBackground::outlineColor(const QPalette& palette) {
    return systemcolors::withAlpha(palette.color(QPalette::WindowText), 0.08);
}

void SoftFieldBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    constexpr qreal kLine = 1;
    const QRectF shape = QRectF(rect()).adjusted(kLine / 2, kLine / 2, -kLine / 2, -kLine / 2);
    QPainterPath path;
    path.addRoundedRect(shape, kCornerRadius, kCornerRadius);
    painter.fillPath(path, fillColor(palette()));
    painter.setPen(QPen(outlineColor(palette()), kLine));
    painter.drawPath(path);
}
