#include "platform/Widgets/Alert.h"

#include "platform/Widgets/SystemColors.h"
#include "platform/Widgets/Typography.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

using typography::TextStyle;

namespace {

QStyle::StandardPixmap standardPixmap(Alert::Icon icon) {
    switch (icon) {
    case Alert::Icon::warning:
        return QStyle::SP_MessageBoxWarning;
    case Alert::Icon::question:
        return QStyle::SP_MessageBoxQuestion;
    case Alert::Icon::information:
    case Alert::Icon::none:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

} // namespace

Alert::Alert(Icon icon, const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    auto* outer = new QHBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    outer->setContentsMargins(20, 20, 20, 16);
    outer->setSpacing(16);
    if (icon != Icon::none) {
        auto* picture = new QLabel(this);
        const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        picture->setPixmap(
            style()->standardIcon(standardPixmap(icon), nullptr, this).pixmap(side, side));
        outer->addWidget(picture, 0, Qt::AlignTop);
    }
    auto* column = new QVBoxLayout;
    column->setSpacing(8);
    outer->addLayout(column, 1);

    column->addWidget(addLabel(title, typography::font(TextStyle::headline, font()), false));
    m_text = addLabel(text, typography::font(TextStyle::body, font()), false);
    column->addWidget(m_text);
    m_informative = addLabel(QString(), typography::font(TextStyle::callout, font()), true);
    column->addWidget(m_informative);
    m_detail = addLabel(QString(), typography::font(TextStyle::caption, font()), true);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(m_detail);
    column->addSpacing(8);

    m_buttonRow = new QHBoxLayout;
    m_buttonRow->setSpacing(8);
    m_buttonRow->addStretch(1);
    column->addLayout(m_buttonRow);
    fitText();
}

QLabel* Alert::addLabel(const QString& text, const QFont& font, bool dimmed) {
    auto* label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(font);
    label->setVisible(!text.isEmpty());
    if (dimmed) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, typography::secondaryTextColor(palette));
        label->setPalette(palette);
    }
    m_naturalWidth = std::max(m_naturalWidth, QFontMetrics(font).horizontalAdvance(text));
    return label;
}

void Alert::setInformativeText(const QString& text) {
    m_informative->setText(text);
    m_informative->setVisible(!text.isEmpty());
    m_naturalWidth =
        std::max(m_naturalWidth, QFontMetrics(m_informative->font()).horizontalAdvance(text));
    fitText();
}

void Alert::setDetailedText(const QString& text) {
    m_detail->setText(text);
    m_detail->setVisible(!text.isEmpty());
}

QString Alert::text() const {
    return m_text->text();
}

QString Alert::informativeText() const {
    return m_informative->text();
}

QPushButton* Alert::addButton(const QString& text, ButtonRole role) {
    auto* button = new QPushButton(text, this);
    // Return means the default button, not whichever button has the focus
    // (as some desktops' themes would have it); Space presses the focused one.
    button->setAutoDefault(false);
    button->installEventFilter(this);
    if (role == ButtonRole::cancel && !m_cancel)
        m_cancel = button;
    if (role == ButtonRole::destructive) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Active, QPalette::ButtonText, systemcolors::red(palette));
        palette.setColor(QPalette::Inactive, QPalette::ButtonText, systemcolors::red(palette));
        button->setPalette(palette);
    }
    connect(button, &QPushButton::clicked, this, [this, button] { press(button); });
    m_buttons.append(button);
    m_buttonRow->addWidget(button);
    fitText();
    return button;
}

void Alert::setDefaultButton(QPushButton* button) {
    // Once: a second default would leave the first one's accent behind.
    Q_ASSERT(!m_default && m_buttons.contains(button));
    m_default = button;
    m_default->setDefault(true);
    m_default->setPalette(systemcolors::prominentButton(palette()));
}

QPushButton* Alert::escapeButton() const {
    if (m_cancel)
        return m_cancel;
    return m_buttons.size() == 1 ? m_buttons.first() : nullptr;
}

void Alert::press(QPushButton* button) {
    m_clicked = button;
    QDialog::done(button == m_cancel ? QDialog::Rejected : QDialog::Accepted);
}

void Alert::reject() {
    if (QPushButton* escape = escapeButton())
        press(escape);
}

bool Alert::answerKey(QKeyEvent* event) {
    if (event->modifiers() != Qt::NoModifier && event->modifiers() != Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_default && m_default->isEnabled())
            m_default->click();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        return false;
    }
}

void Alert::keyPressEvent(QKeyEvent* event) {
    if (!answerKey(event))
        QDialog::keyPressEvent(event);
}

bool Alert::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        m_buttons.contains(qobject_cast<QPushButton*>(watched)))
        return answerKey(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void Alert::fitText() {
    // Short texts keep the alert narrow; long ones wrap at a width that holds
    // a short sentence per line, never a ribbon across the screen. Set before
    // the alert is shown, so its first layout already has the wrapped height.
    const int averageChar = QFontMetrics(m_text->font()).averageCharWidth();
    // The texts span the whole column, buttons included: a label told one
    // width and given another would wrap into lines it has no height for.
    const int width = std::max(std::clamp(m_naturalWidth, 26 * averageChar, 44 * averageChar),
                               m_buttonRow->sizeHint().width());
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->wordWrap())
            label->setFixedWidth(width);
    }
}

void Alert::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_default)
        m_default->setFocus(Qt::OtherFocusReason);
}
