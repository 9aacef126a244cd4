#include "Corvina/Settings/ToggleSwitch.h"

#include "platform/Widgets/Typography.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>
#include <algorithm>

namespace {
constexpr int kTrackWidth = 34;
constexpr int kTrackHeight = 20;
constexpr int kKnobInset = 2;
constexpr int kSpokes = 8;
constexpr int kSpinInterval = 100; // ms per spoke
} // namespace

ToggleSwitch::ToggleSwitch(QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const {
    // Room around the track for the focus ring.
    return {kTrackWidth + 4, kTrackHeight + 4};
}

bool ToggleSwitch::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF track(2, 2, kTrackWidth, kTrackHeight);
    const qreal radius = track.height() / 2;

    QColor trackColour =
        isChecked() ? pal.color(QPalette::Highlight) : typography::secondaryTextColor(pal);
    if (!isChecked())
        trackColour.setAlphaF(0.45f);
    if (!isEnabled())
        trackColour.setAlphaF(trackColour.alphaF() * 0.5f);
    if (isDown())
        trackColour = trackColour.darker(110);
    painter.setPen(Qt::NoPen);
    painter.setBrush(trackColour);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobSize = track.height() - 2 * kKnobInset;
    const qreal knobX =
        isChecked() ? track.right() - kKnobInset - knobSize : track.left() + kKnobInset;
    const QRectF knob(knobX, track.top() + kKnobInset, knobSize, knobSize);
    painter.setBrush(QColor(Qt::white));
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.drawEllipse(knob);

    if (hasFocus()) {
        QColor ring = pal.color(QPalette::Highlight);
        ring.setAlphaF(0.6f);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(ring, 2));
        painter.drawRoundedRect(track.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    }
}

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BusyIndicator::sizeHint() const {
    const int side = fontMetrics().height() - 2;
    return {side, side};
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_timerId)
        m_timerId = startTimer(kSpinInterval);
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_timerId) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
}

void BusyIndicator::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timerId)
        return QWidget::timerEvent(event);
    m_step = (m_step + 1) % kSpokes;
    update();
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal outer = side / 2;
    const qreal inner = outer * 0.45;
    const qreal thickness = std::max<qreal>(1.5, side / 8);
    painter.translate(width() / 2.0, height() / 2.0);
    const QColor base = palette().color(QPalette::WindowText);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        // The leading spoke is darkest; the tail fades behind it.
        const int age = (m_step - spoke + kSpokes) % kSpokes;
        QColor colour = base;
        colour.setAlphaF(static_cast<float>(1.0 - 0.8 * age / (kSpokes - 1)));
        painter.setPen(QPen(colour, thickness, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -inner), QPointF(0, -(outer - thickness / 2)));
        painter.rotate(360.0 / kSpokes);
    }
}
