#include "Corvina/BookmarkRow/BookmarkRowDelegate.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/BookmarkRow/MetadataFlow.h"
#include "Corvina/Favicons/FaviconBadge.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "platform/Notifications/NotificationCenter.h"
#include "platform/Symbols/Symbols.h"
#include "platform/Widgets/SystemColors.h"
#include "platform/Widgets/Typography.h"
#include "shared/Preferences.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEasingCurve>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QToolTip>
#include <algorithm>

using namespace Qt::StringLiterals;
using systemcolors::withAlpha;
using Style = TextWidthCache::Style;

namespace {

constexpr qreal kHorizontalInset = 10; // the inset list's margin at each side
constexpr qreal kVerticalPadding = 4;
constexpr qreal kColumnGap = 12;
constexpr qreal kStackSpacing = 4;
constexpr qreal kButtonLeading = 8;
constexpr qreal kButtonPadding = 6;
constexpr qreal kPencilPoints = 11;
constexpr int kTextLines = 2;
constexpr int kFadeMilliseconds = 120;

QFont titleFont() {
    QFont font = typography::font(typography::TextStyle::body);
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont pencilFont() {
    QFont font = typography::font(typography::TextStyle::body);
    font.setPointSizeF(font.pointSizeF() * kPencilPoints /
                       typography::referencePointSize(typography::TextStyle::body));
    return font;
}

// The lines a text takes at `width`, at most `maxLines`, the last one cut
// short with an ellipsis when more text would follow.
QStringList clampedLines(const QString& text, const QFont& font, const QFontMetricsF& metrics,
                         qreal width, int maxLines) {
    QStringList lines;
    if (text.isEmpty() || width <= 0)
        return lines;

    QString laidOut = text;
    laidOut.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(laidOut, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (lines.size() < maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const qsizetype start = line.textStart();
        if (lines.size() == maxLines - 1 && start + line.textLength() < laidOut.size()) {
            QString rest = laidOut.mid(start);
            rest.replace(QChar::LineSeparator, u' ');
            lines.append(metrics.elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(laidOut.mid(start, line.textLength()).remove(QChar::LineSeparator));
    }
    layout.endLayout();
    return lines;
}

struct RowText {
    QStringList title;
    QStringList description;
    MetadataFlow::Plan flow;
};

// The fonts and line measures every row is drawn with. Made again only when
// the application font changes, not for each row.
struct RowStyle {
    QFont title = titleFont();
    QFont caption = typography::font(typography::TextStyle::caption);
    QFont caption1 = TextWidthCache::font(Style::caption1);
    QFont caption2 = TextWidthCache::font(Style::caption2);
    QFont chip = TextWidthCache::font(Style::caption2Medium);
    QFontMetricsF titleMetrics{title};
    QFontMetricsF captionMetrics{caption};
    QFontMetricsF caption1Metrics{caption1};
    QFontMetricsF caption2Metrics{caption2};
    QFontMetricsF chipMetrics{chip};
    qreal chipHeight = chipMetrics.height() + 2 * MetadataFlow::kChipVerticalPadding;
    qreal lineHeight = std::max({caption1Metrics.height(), caption2Metrics.height(), chipHeight});
    qreal buttonSide = std::ceil(QFontMetricsF(pencilFont()).height()) + 2 * kButtonPadding;
};

const RowStyle& rowStyle() {
    static std::optional<RowStyle> style;
    static QFont madeFor;
    const QFont appFont = QApplication::font();
    if (!style || !(appFont == madeFor)) {
        style.emplace();
        madeFor = appFont;
    }
    return *style;
}

struct Geometry {
    QRectF badge;
    QRectF text; // the column of title, description and flow
    QRectF button;
};

Geometry geometry(const QRectF& row) {
    const qreal side = rowStyle().buttonSide;
    Geometry g;
    const QRectF content =
        row.adjusted(kHorizontalInset, kVerticalPadding, -kHorizontalInset, -kVerticalPadding);
    g.badge = QRectF(content.left(), content.top(), BookmarkRowDelegate::kBadgeSide,
                     BookmarkRowDelegate::kBadgeSide);
    g.button = QRectF(content.right() - side, content.top(), side, side);
    const qreal left = g.badge.right() + kColumnGap;
    g.text = QRectF(left, content.top(),
                    std::max<qreal>(0, g.button.left() - kButtonLeading - left), content.height());
    return g;
}

MetadataFlow flowFor(const QModelIndex& index) {
    MetadataFlow flow;
    flow.domain = index.data(BookmarkRowDelegate::DomainRole).toString();
    flow.tags = index.data(BookmarkRowDelegate::TagsRole).toStringList();
    flow.maxLines = BookmarkRowDelegate::kMaxFlowLines;
    return flow;
}

RowText rowText(const QModelIndex& index, qreal width, bool showDescriptions,
                const RowStyle& style) {
    RowText text;
    text.title = clampedLines(index.data(Qt::DisplayRole).toString(), style.title,
                              style.titleMetrics, width, kTextLines);
    if (showDescriptions) {
        const QString note = index.data(BookmarkRowDelegate::NoteRole).toString().trimmed();
        text.description =
            clampedLines(note, style.caption, style.captionMetrics, width, kTextLines);
    }
    text.flow = flowFor(index).plan(width);
    return text;
}

qreal textHeight(const RowText& text, const RowStyle& flow) {
    const qreal titleLine = flow.titleMetrics.lineSpacing();
    const qreal captionLine = flow.captionMetrics.lineSpacing();
    const auto rows = static_cast<qreal>(text.flow.rows.size());
    qreal height = std::max<qreal>(1, text.title.size()) * titleLine + kStackSpacing;
    if (!text.description.isEmpty())
        height += text.description.size() * captionLine + kStackSpacing;
    const MetadataFlow defaults;
    return height + rows * flow.lineHeight + std::max<qreal>(0, rows - 1) * defaults.vSpacing;
}

qreal drawLines(QPainter& painter, const QStringList& lines, const QFont& font,
                const QFontMetricsF& metrics, qreal left, qreal top) {
    painter.setFont(font);
    for (const QString& line : lines) {
        painter.drawText(QPointF(left, top + metrics.ascent()), line);
        top += metrics.lineSpacing();
    }
    return top;
}

void drawCentredText(QPainter& painter, const QString& text, const QFont& font,
                     const QFontMetricsF& metrics, qreal left, qreal lineTop, qreal lineHeight) {
    painter.setFont(font);
    painter.drawText(
        QPointF(left, lineTop + (lineHeight - metrics.height()) / 2 + metrics.ascent()), text);
}

void drawFlow(QPainter& painter, const MetadataFlow::Plan& plan, const RowStyle& metrics,
              const QPalette& palette, qreal left, qreal top) {
    using Kind = MetadataFlow::Item::Kind;
    const MetadataFlow defaults;
    const QColor secondary = typography::secondaryTextColor(palette);
    const QColor chipFill = withAlpha(systemcolors::accent(palette), 0.18);
    const QColor primary = palette.color(QPalette::Text);
    qreal lineTop = top;
    for (std::size_t r = 0; r < plan.rows.size(); ++r) {
        qreal x = left;
        for (const MetadataFlow::Item& item : plan.rows[r]) {
            switch (item.kind) {
            case Kind::domain:
            case Kind::dot:
                painter.setPen(secondary);
                drawCentredText(
                    painter, item.kind == Kind::dot ? MetadataFlow::dotText() : item.text,
                    metrics.caption1, metrics.caption1Metrics, x, lineTop, metrics.lineHeight);
                break;
            case Kind::tag: {
                const QRectF chip(x, lineTop + (metrics.lineHeight - metrics.chipHeight) / 2,
                                  item.width, metrics.chipHeight);
                painter.setPen(Qt::NoPen);
                painter.setBrush(chipFill);
                painter.drawRoundedRect(chip, chip.height() / 2, chip.height() / 2);
                painter.setPen(primary);
                drawCentredText(painter, item.text, metrics.chip, metrics.chipMetrics,
                                x + MetadataFlow::kChipHorizontalPadding, lineTop,
                                metrics.lineHeight);
                break;
            }
            }
            x += item.width + defaults.hSpacing;
        }
        if (r + 1 == plan.rows.size() && plan.overflow >= 1) {
            painter.setPen(secondary);
            drawCentredText(painter, MetadataFlow::counterText(plan.overflow), metrics.caption2,
                            metrics.caption2Metrics, plan.rows[r].empty() ? left : x, lineTop,
                            metrics.lineHeight);
        }
        lineTop += metrics.lineHeight + defaults.vSpacing;
    }
}

} // namespace

BookmarkRowDelegate::BookmarkRowDelegate(FaviconStore& icons, Preferences& preferences,
                                         QObject* parent)
    : QStyledItemDelegate(parent)
    , m_icons(icons)
    , m_showDescriptions(preferences.showDescriptions()) {
    connect(&preferences, &Preferences::showDescriptionsChanged, this, [this](bool on) {
        m_showDescriptions = on;
        Q_EMIT rowHeightsChanged();
    });
    NotificationCenter::defaultCenter().observe(
        appnotification::kFaviconReady, this, [this](const Notification& notification) {
            const QVariant host = notification.userInfo.value(u"host"_s);
            if (host.typeId() == QMetaType::QString)
                Q_EMIT iconArrived(host.toString());
        });
    for (Fade* fade : {&m_fadeIn, &m_fadeOut}) {
        fade->animation.setDuration(kFadeMilliseconds);
        fade->animation.setEasingCurve(QEasingCurve::OutCubic);
        connect(&fade->animation, &QVariantAnimation::valueChanged, this,
                [this, fade](const QVariant& value) {
                    fade->opacity = value.toReal();
                    if (fade->index.isValid())
                        Q_EMIT rowNeedsRepaint(fade->index);
                });
    }
}

void BookmarkRowDelegate::attach(QAbstractItemView& view) {
    view.setMouseTracking(true);
    QWidget* viewport = view.viewport();
    m_viewport = viewport;
    viewport->installEventFilter(this);
    connect(this, &BookmarkRowDelegate::rowNeedsRepaint, viewport,
            [&view](const QModelIndex& index) { view.update(index); });
    // Icons arrive seldom and for sites that often fill several visible rows.
    connect(this, &BookmarkRowDelegate::iconArrived, viewport,
            [viewport](const QString&) { viewport->update(); });
    connect(this, &BookmarkRowDelegate::rowHeightsChanged, viewport,
            [&view] { view.doItemsLayout(); });
}

bool BookmarkRowDelegate::eventFilter(QObject* watched, QEvent* event) {
    const bool hoverEvent = event->type() == QEvent::MouseMove || event->type() == QEvent::Leave;
    if (hoverEvent && m_viewport && watched == m_viewport) {
        // A view in its destructor is no longer an item view (its dynamic type
        // has fallen back to a plain widget), so this also tells a whole view
        // from one being torn down, whose rows must not be repainted.
        if (auto* view = qobject_cast<QAbstractItemView*>(m_viewport->parent())) {
            if (event->type() == QEvent::MouseMove)
                setHoveredIndex(
                    view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
            else
                setHoveredIndex(QModelIndex());
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void BookmarkRowDelegate::startFade(Fade& fade, const QModelIndex& index, qreal from, qreal to) {
    fade.animation.stop();
    const QPersistentModelIndex previous = fade.index;
    fade.index = index;
    if (previous.isValid() && previous != fade.index)
        Q_EMIT rowNeedsRepaint(previous);
    fade.opacity = m_reduceMotion ? to : from;
    if (!m_reduceMotion && index.isValid()) {
        fade.animation.setStartValue(from);
        fade.animation.setEndValue(to);
        fade.animation.start();
    }
    if (index.isValid())
        Q_EMIT rowNeedsRepaint(index);
}

void BookmarkRowDelegate::setHoveredIndex(const QModelIndex& index) {
    if (QPersistentModelIndex(index) == m_fadeIn.index)
        return;
    const QModelIndex leaving = m_fadeIn.index;
    const qreal leavingOpacity = m_fadeIn.opacity;
    const qreal enteringFrom = index.isValid() && QPersistentModelIndex(index) == m_fadeOut.index
                                   ? m_fadeOut.opacity
                                   : 0.0;
    startFade(m_fadeOut, leaving, leavingOpacity, 0.0);
    startFade(m_fadeIn, index, enteringFrom, 1.0);
}

qreal BookmarkRowDelegate::editButtonOpacity(const QModelIndex& index) const {
    if (!index.isValid())
        return 0;
    if (m_fadeIn.index == index)
        return m_fadeIn.opacity;
    if (m_fadeOut.index == index)
        return m_fadeOut.opacity;
    return 0;
}

QRectF BookmarkRowDelegate::editButtonRect(const QRectF& rowRect) {
    return geometry(rowRect).button;
}

const QImage* BookmarkRowDelegate::iconFor(const QString& domain, QImage& holder) const {
    if (std::optional<QImage> icon = m_icons.memoryIcon(domain)) {
        holder = std::move(*icon);
        return &holder;
    }
    if (FaviconStore::passesHostTest(domain) && !m_askedDisk.contains(domain)) {
        m_askedDisk.insert(domain);
        auto* self = const_cast<BookmarkRowDelegate*>(this);
        m_icons.cachedIcon(domain, self, [self, domain](std::optional<QImage> icon) {
            if (icon)
                Q_EMIT self->iconArrived(domain);
        });
    }
    return nullptr;
}

QSize BookmarkRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const Geometry g = geometry(QRectF(option.rect));
    const RowStyle& style = rowStyle();
    const RowText text = rowText(index, g.text.width(), m_showDescriptions, style);
    const qreal content = std::max({kBadgeSide, style.buttonSide, textHeight(text, style)});
    return {option.rect.width(), int(std::ceil(content + 2 * kVerticalPadding))};
}

void BookmarkRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    const QPalette& palette = option.palette;
    const Geometry g = geometry(QRectF(option.rect));

    const QString domain = index.data(DomainRole).toString();
    QImage icon;
    FaviconBadge::paintTile(*painter, g.badge, domain, iconFor(domain, icon), palette);

    const RowStyle& style = rowStyle();
    const RowText text = rowText(index, g.text.width(), m_showDescriptions, style);
    painter->setPen(palette.color(QPalette::Text));
    qreal y = drawLines(*painter, text.title, style.title, style.titleMetrics, g.text.left(),
                        g.text.top());
    y += kStackSpacing;
    if (!text.description.isEmpty()) {
        painter->setPen(typography::secondaryTextColor(palette));
        y = drawLines(*painter, text.description, style.caption, style.captionMetrics,
                      g.text.left(), y) +
            kStackSpacing;
    }
    drawFlow(*painter, text.flow, style, palette, g.text.left(), y);

    // The current row of a focused list shows its button too: the keyboard
    // has no pointer to hover with.
    const qreal opacity =
        option.state.testFlag(QStyle::State_HasFocus) ? 1.0 : editButtonOpacity(index);
    if (opacity > 0) {
        painter->setOpacity(opacity);
        const QColor accent = systemcolors::accent(palette);
        const QRectF button = g.button.adjusted(0.25, 0.25, -0.25, -0.25);
        painter->setPen(QPen(withAlpha(accent, 0.15), 0.5));
        painter->setBrush(withAlpha(accent, 0.08));
        painter->drawRoundedRect(button, 6, 6);
        const int iconSide = int(g.button.width() - 2 * kButtonPadding);
        const QPixmap pencil =
            symbols::tinted(symbols::icon(u"pencil"_s), QSize(iconSide, iconSide),
                            withAlpha(accent, 0.7), painter->device()->devicePixelRatioF());
        painter->drawPixmap(QRectF(g.button.left() + kButtonPadding,
                                   g.button.top() + kButtonPadding, iconSide, iconSide),
                            pencil, QRectF(pencil.rect()));
    }
    painter->restore();
}

bool BookmarkRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                      const QStyleOptionViewItem& option,
                                      const QModelIndex& index) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
        type == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            editButtonRect(QRectF(option.rect)).contains(mouse->position())) {
            if (type == QEvent::MouseButtonRelease)
                Q_EMIT editRequested(index);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool BookmarkRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip &&
        editButtonRect(QRectF(option.rect)).contains(QPointF(event->pos()))) {
        QToolTip::showText(event->globalPos(), tr("Edit bookmark"), view);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
