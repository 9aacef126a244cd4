#include "Corvina/App/PassingNotice.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimerEvent>

namespace {
// Long enough to read the note and reach for the button.
constexpr int kShownMs = 8000;
constexpr int kBottomMargin = 16;
} // namespace

PassingNotice::PassingNotice(QWidget* parent)
    : QWidget(parent)
    , m_text(new QLabel(this))
    , m_action(new QPushButton(this)) {
    setObjectName(QStringLiteral("passingNotice"));
    setAttribute(Qt::WA_TranslucentBackground);
    m_text->setTextFormat(Qt::PlainText);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 8, 8, 8);
    layout->setSpacing(12);
    layout->addWidget(m_text);
    layout->addWidget(m_action);
    connect(m_action, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT actionTriggered();
    });
    parent->installEventFilter(this);
    hide();
}

void PassingNotice::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
}

void PassingNotice::showText(const QString& text, const QString& actionTitle) {
    // The host's colours turned round, so the note stands out from the list
    // in either palette, as the desktop's own notes do.
    QPalette colours = parentWidget()->palette();
    const QColor ground = colours.color(QPalette::Text);
    const QColor ink = colours.color(QPalette::Base);
    colours.setColor(QPalette::Window, ground);
    colours.setColor(QPalette::WindowText, ink);
    colours.setColor(QPalette::Button, ground);
    colours.setColor(QPalette::ButtonText, ink);
    setPalette(colours);
    m_text->setText(text);
    m_action->setText(actionTitle);
    m_action->setVisible(!actionTitle.isEmpty());
    adjustSize();
    place();
    show();
    raise();
    m_timer.start(kShownMs, this);
}

QString PassingNotice::text() const {
    return isVisible() ? m_text->text() : QString();
}

void PassingNotice::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId())
        return QWidget::timerEvent(event);
    m_timer.stop();
    hide();
}

bool PassingNotice::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void PassingNotice::place() {
    const QWidget* host = parentWidget();
    const QSize size = sizeHint().boundedTo(host->size() - QSize(32, 0));
    move((host->width() - size.width()) / 2, host->height() - size.height() - kBottomMargin);
    resize(size);
}
