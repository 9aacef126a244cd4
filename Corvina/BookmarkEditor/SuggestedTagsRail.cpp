#include "Corvina/BookmarkEditor/SuggestedTagsRail.h"

#include "Corvina/BookmarkEditor/TagCompletion.h"
#include "platform/Widgets/SystemColors.h"
#include "platform/Widgets/Typography.h"

#include <QHBoxLayout>
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

TagChip::TagChip(const QString& tag, bool isNew, QWidget* parent)
    : QAbstractButton(parent)
    , m_tag(tag)
    , m_isNew(isNew) {
    setText(tag);
    setAccessibleName(tag);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFont(chipFont());
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
    for (TagChip* chip : chips())
        delete chip;
    int position = 1; // after the sparkle
    for (const QString& tag : suggestions) {
        auto* chip = new TagChip(tag, !existing.contains(tagcompletion::folded(tag)), m_strip);
        connect(chip, &QAbstractButton::clicked, this, [this, tag] { Q_EMIT tagTapped(tag); });
        m_layout->insertWidget(position++, chip, 0, Qt::AlignVCenter);
    }
    horizontalScrollBar()->setValue(0);
}

bool SuggestedTagsRail::showsSparkle() const {
    return !m_sparkle->isHidden();
}

QList<TagChip*> SuggestedTagsRail::chips() const {
    return m_strip->findChildren<TagChip*>(Qt::FindDirectChildrenOnly);
}
