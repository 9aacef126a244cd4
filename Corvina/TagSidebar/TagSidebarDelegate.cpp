#include "Corvina/TagSidebar/TagSidebarDelegate.h"

#include "Corvina/TagSidebar/TagSidebarModel.h"
#include "platform/Core/LocaleNumbers.h"
#include "platform/Symbols/Symbols.h"
#include "platform/Widgets/Typography.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kOuterMargin = 8; // row to list edge
constexpr int kInnerMargin = 8; // content to selection edge
constexpr int kIconSize = 16;
constexpr int kIconGap = 7;
constexpr int kBadgePadding = 6;
constexpr int kMinimumRowHeight = 26;
constexpr int kHeadingTopSpace = 12;

bool isHeading(const QModelIndex& index) {
    return index.data(TagSidebarModel::KindRole).toInt() ==
           static_cast<int>(TagSidebarModel::RowKind::tagsHeading);
}

QFont headingFont() {
    QFont font = typography::font(typography::TextStyle::caption);
    font.setWeight(QFont::DemiBold);
    return font;
}

QColor withAlpha(QColor colour, qreal alpha) {
    colour.setAlphaF(static_cast<float>(alpha));
    return colour;
}

} // namespace

QSize TagSidebarDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    if (isHeading(index)) {
        const QFontMetrics metrics(headingFont());
        return {option.rect.width(), kHeadingTopSpace + metrics.height() + 4};
    }
    const QFontMetrics metrics(typography::font(typography::TextStyle::body));
    const int text = metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return {2 * (kOuterMargin + kInnerMargin) + kIconSize + kIconGap + text + 40,
            std::max(kMinimumRowHeight, metrics.height() + 10)};
}

void TagSidebarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPalette& palette = option.palette;
    const QColor secondary = typography::secondaryTextColor(palette);
    const QRect row = option.rect.adjusted(kOuterMargin, 1, -kOuterMargin, -1);

    if (isHeading(index)) {
        painter->setFont(headingFont());
        painter->setPen(secondary);
        const QRect text = row.adjusted(kInnerMargin - 2, kHeadingTopSpace - 1, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, index.data().toString());
        painter->restore();
        return;
    }

    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool active = option.state.testFlag(QStyle::State_Active);
    const bool hovered = option.state.testFlag(QStyle::State_MouseOver);
    QColor text = palette.color(QPalette::Text);
    if (selected) {
        // An inactive window shows its selection in grey, as the desktop does.
        const QColor fill = active ? palette.color(QPalette::Active, QPalette::Highlight)
                                   : withAlpha(palette.color(QPalette::Text), 0.14);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(row, 6, 6);
        if (active)
            text = palette.color(QPalette::Active, QPalette::HighlightedText);
    } else if (hovered) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(withAlpha(palette.color(QPalette::Text), 0.06));
        painter->drawRoundedRect(row, 6, 6);
    }
    // Where the keyboard is: the current row of a focused sidebar.
    if (option.state.testFlag(QStyle::State_HasFocus)) {
        const QColor ring = selected && active ? text : palette.color(QPalette::Active, QPalette::Highlight);
        painter->setPen(QPen(ring, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(row).adjusted(1, 1, -1, -1), 6, 6);
    }

    const QRect content = row.adjusted(kInnerMargin, 0, -kInnerMargin, 0);
    const QRect iconRect(content.left(), content.center().y() - kIconSize / 2 + 1, kIconSize,
                         kIconSize);
    // Symbols are drawn in one colour, like template images: the accent
    // colour, or the selection's text colour on a selected row.
    const QColor symbolColour =
        selected && active ? text : palette.color(QPalette::Active, QPalette::Highlight);
    painter->drawPixmap(iconRect, symbols::tinted(index.data(Qt::DecorationRole).value<QIcon>(),
                                                  QSize(kIconSize, kIconSize), symbolColour,
                                                  painter->device()->devicePixelRatioF()));

    // The badge first, so that the name is cut short before it, not under it.
    QFont badgeFont = typography::font(typography::TextStyle::callout);
    const QString count = localenumbers::count(index.data(TagSidebarModel::CountRole).toLongLong());
    const QFontMetrics badgeMetrics(badgeFont);
    const int badgeHeight = badgeMetrics.height() + 2;
    const int badgeWidth =
        std::max(badgeHeight, badgeMetrics.horizontalAdvance(count) + 2 * kBadgePadding);
    const QRect badge(content.right() - badgeWidth + 1, content.center().y() - badgeHeight / 2 + 1,
                      badgeWidth, badgeHeight);
    painter->setPen(Qt::NoPen);
    painter->setBrush(selected && active ? withAlpha(text, 0.22) : withAlpha(secondary, 0.18));
    painter->drawRoundedRect(badge, badgeHeight / 2.0, badgeHeight / 2.0);
    painter->setFont(badgeFont);
    painter->setPen(selected && active ? text : secondary);
    painter->drawText(badge, Qt::AlignCenter, count);

    const QFont nameFont = typography::font(typography::TextStyle::body);
    const QRect name(iconRect.right() + 1 + kIconGap, content.top(),
                     badge.left() - kIconGap - (iconRect.right() + 1 + kIconGap), content.height());
    painter->setFont(nameFont);
    painter->setPen(text);
    painter->drawText(
        name, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(nameFont).elidedText(index.data().toString(), Qt::ElideRight, name.width()));
    painter->restore();
}
