#include "Corvina/App/EmptyStateView.h"

#include "platform/Symbols/Symbols.h"
#include "platform/Widgets/Typography.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

EmptyStateView::EmptyStateView(QWidget* parent)
    : QWidget(parent)
    , m_symbol(new QLabel(this))
    , m_title(new QLabel(tr("No bookmarks yet"), this))
    , m_description(new QLabel(tr("Click + to save a URL, or import from your browser via File "
                                  "\u2192 Import Bookmarks."),
                               this)) {
    // Clicks and drops go through to the list underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    for (QLabel* label : {m_symbol, m_title, m_description}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    m_description->setWordWrap(true);
    m_description->setFixedWidth(360);
    layout->setAlignment(m_description, Qt::AlignHCenter);
    layout->addStretch();
    applyStyle();
}

void EmptyStateView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        applyStyle();
}

void EmptyStateView::applyStyle() {
    m_symbol->setPixmap(symbols::icon(u"bookmark"_s).pixmap(48, 48));
    m_title->setFont(typography::font(typography::TextStyle::title2));
    QFont title = m_title->font();
    title.setBold(true);
    m_title->setFont(title);
    m_description->setFont(typography::font(typography::TextStyle::body));
    QPalette dimmed = m_description->palette();
    dimmed.setColor(QPalette::WindowText, typography::secondaryTextColor(palette()));
    m_description->setPalette(dimmed);
    // A wrapped label inside stretches is given only its one-line height.
    m_description->setMinimumHeight(m_description->heightForWidth(m_description->width()));
}
