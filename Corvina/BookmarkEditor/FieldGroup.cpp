#include "Corvina/BookmarkEditor/FieldGroup.h"

#include "platform/Widgets/Typography.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

FieldGroup::FieldGroup(const QString& label, QWidget* content, QWidget* parent)
    : QWidget(parent)
    , m_label(new QLabel(label, this))
    , m_content(content)
    , m_layout(new QVBoxLayout(this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(4);
    m_layout->addWidget(m_label, 0, Qt::AlignLeft);
    m_layout->addWidget(m_content);
    applyLabelLook();
}

void FieldGroup::addBelow(QWidget* widget, int spacing) {
    m_layout->addSpacing(spacing - m_layout->spacing());
    m_layout->addWidget(widget);
}

void FieldGroup::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationFontChange)
        applyLabelLook();
}

void FieldGroup::applyLabelLook() {
    QFont font = typography::font(typography::TextStyle::caption);
    font.setWeight(QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    font.setCapitalization(QFont::AllUppercase);
    m_label->setFont(font);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, typography::secondaryTextColor(this->palette()));
    m_label->setPalette(palette);
}
