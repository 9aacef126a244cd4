#include "Corvina/BookmarkEditor/SuggestedTagsRail.h"

#include "Corvina/BookmarkEditor/TagCompletion.h"
#include "platform/Widgets/SystemColors.h"
#include "platform/Widgets/Typography.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kChipHorizontalPadding = 8;
constexpr int kChipVerticalPadding = 3;
constexpr int kPlusGap = 3;

QFont chipFont() {
    QFont font = typography::font(typography::TextStyle::caption2);
    font.setWeight(QFont::Medium);
    return font;
}

int symbolSide() {
    return QFontMetrics(typography::font(typography::TextStyle::caption2)).ascent();
}

} // namespace

TagChip::TagChip(QWidget* parent)
    : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    // Reached by Tab (the rail decides which chip is the stop); a click
    // leaves the focus where it was, in the Tags field.
    setFocusPolicy(Qt::TabFocus);
    setFont(chipFont());
}

void TagChip::setTag(const QString& tag, bool isNew) {
    m_tag = tag;
    m_isNew = isNew;
    setText(tag);
    setAccessibleName(tag);
    updateGeometry();
    update();
}

void TagChip::setHighlighted(bool highlighted) {
    if (highlighted == m_highlighted)
        return;
    m_highlighted = highlighted;
    update();
}

void TagChip::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        Q_EMIT stepRequested((event->key() == Qt::Key_Right) == isLeftToRight() ? 1 : -1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The chip's own action, not the sheet's default button.
        click();
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

QSize TagChip::sizeHint() const {
    const QFontMetrics metrics(font());
    int width = metrics.horizontalAdvance(m_tag) + 2 * kChipHorizontalPadding;
    if (m_isNew)
        width += symbolSide() + kPlusGap;
    return {width, metrics.height() + 2 * kChipVerticalPadding};
}

void TagChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& palette = this->palette();
    const QColor green = systemcolors::green(palette);
    const QColor base = m_isNew ? green : systemcolors::accent(palette);
    const QRectF capsule = QRectF(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(systemcolors::withAlpha(base, isDown() ? 0.3 : 0.18));
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    if (hasFocus() || m_highlighted) {
        // Inside the capsule: the rail is exactly a chip high.
        const QRectF ring = capsule.adjusted(1, 1, -1, -1);
        painter.setPen(QPen(systemcolors::accent(palette), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
    }

    int x = kChipHorizontalPadding;
    if (m_isNew) {
        // The plus sign drawn as two bold strokes: crisp at caption size,
        // where a scaled-down icon turns into a faint smudge.
        const int side = symbolSide();
        const qreal top = (height() - side) / 2.0;
        const qreal inset = side * 0.15;
        painter.setPen(QPen(green, std::max(1.5, side / 6.0), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(x + side / 2.0, top + inset),
                         QPointF(x + side / 2.0, top + side - inset));
        painter.drawLine(QPointF(x + inset, top + side / 2.0),
                         QPointF(x + side - inset, top + side / 2.0));
        x += side + kPlusGap;
    }
    painter.setPen(palette.color(QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, m_tag);
}

SuggestedTagsRail::SuggestedTagsRail(QWidget* parent)
    : QScrollArea(parent)
    , m_strip(new QWidget)
    , m_layout(new QHBoxLayout(m_strip))
    , m_sparkle(new QLabel(m_strip)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    m_strip->setAutoFillBackground(false);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(6);
    m_layout->addWidget(m_sparkle, 0, Qt::AlignVCenter);
    // Every chip is made now, right after the widgets before the rail, so
    // that the chips sit there in the tab order: one made later would come
    // after the sheet's buttons. The rail itself takes no focus.
    setFocusPolicy(Qt::NoFocus);
    for (qsizetype i = 0; i < tagcompletion::kMaxRailChips; ++i) {
        auto* chip = new TagChip(m_strip);
        chip->hide();
        m_layout->addWidget(chip, 0, Qt::AlignVCenter);
        connect(chip, &QAbstractButton::clicked, this,
                [this, chip] { Q_EMIT tagTapped(chip->tag()); });
        connect(chip, &TagChip::stepRequested, this, [this, chip](int by) { step(chip, by); });
        m_chips.append(chip);
    }
    m_layout->addStretch(1);
    setWidget(m_strip);
    const QFontMetrics metrics(chipFont());
    setFixedHeight(metrics.height() + 2 * kChipVerticalPadding);
}

void SuggestedTagsRail::setSuggestions(const QStringList& suggestions,
                                       const QSet<QString>& existing, bool showSparkle) {
    // The sparkle glyph itself, as tall as a chip's text: the icon drawn
    // from it would be scaled down to a speck at this size. A tertiary tone,
    // fainter than the secondary text.
    QFont sparkleFont = chipFont();
    sparkleFont.setPixelSize(QFontMetrics(chipFont()).height());
    m_sparkle->setFont(sparkleFont);
    m_sparkle->setText(QStringLiteral("\u2726"));
    QPalette tertiary = m_sparkle->palette();
    tertiary.setColor(QPalette::WindowText,
                      systemcolors::withAlpha(typography::secondaryTextColor(palette()), 0.75));
    m_sparkle->setPalette(tertiary);
    m_sparkle->setVisible(showSparkle);
    if (suggestions == m_suggestions && existing == m_existing)
        return;
    m_suggestions = suggestions;
    m_existing = existing;
    for (qsizetype i = 0; i < m_chips.size(); ++i) {
        TagChip* chip = m_chips[i];
        chip->setVisible(i < suggestions.size());
        if (i < suggestions.size())
            chip->setTag(suggestions[i], !existing.contains(tagcompletion::folded(suggestions[i])));
        // New chips, and the tab stop back on the first.
        chip->setFocusPolicy(i == 0 ? Qt::TabFocus : Qt::NoFocus);
    }
    horizontalScrollBar()->setValue(0);
}

void SuggestedTagsRail::setHighlighted(qsizetype index) {
    for (qsizetype i = 0; i < m_chips.size(); ++i)
        m_chips[i]->setHighlighted(i == index);
    if (index >= 0 && index < m_chips.size())
        ensureWidgetVisible(m_chips[index]);
}

void SuggestedTagsRail::step(TagChip* from, int by) {
    const QList<TagChip*> shown = chips();
    const qsizetype to = shown.indexOf(from) + by;
    if (to < 0 || to >= shown.size())
        return;
    shown[to]->setFocusPolicy(Qt::TabFocus);
    shown[to]->setFocus(Qt::TabFocusReason);
    from->setFocusPolicy(Qt::NoFocus);
    ensureWidgetVisible(shown[to]);
}

bool SuggestedTagsRail::showsSparkle() const {
    return !m_sparkle->isHidden();
}

QList<TagChip*> SuggestedTagsRail::chips() const {
    return m_chips.first(std::min(m_suggestions.size(), m_chips.size()));
}
