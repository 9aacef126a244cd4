#include "platform/Widgets/Spinner.h"

#include <QPainter>

namespace {
constexpr int kSpokes = 8;
} // namespace

Spinner::Spinner(QWidget* parent)
    : QWidget(parent) {
    setFixedSize(kSize, kSize);
    m_timer.setInterval(80);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSpokes;
        update();
    });
    hide();
}

void Spinner::start() {
    m_timer.start();
    show();
}

void Spinner::stop() {
    m_timer.stop();
    hide();
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    QColor color = palette().color(QPalette::WindowText);
    for (int i = 0; i < kSpokes; ++i) {
        // The newest spoke is darkest; the others fade behind it.
        const int age = (m_step - i + kSpokes) % kSpokes;
        color.setAlphaF(static_cast<float>(1.0 - age * 0.8 / kSpokes));
        painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -kSize * 0.22), QPointF(0, -kSize * 0.44));
        painter.rotate(360.0 / kSpokes);
    }
}
