#include "Corvina/Favicons/FaviconBadge.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "platform/Notifications/NotificationCenter.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextBoundaryFinder>
#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal kCornerRadius = 7;
constexpr qreal kIconSide = 20;
constexpr int kLetterPixels = 16;

// blue, purple, pink, orange, green, teal, indigo, red, brown, mint: stored
// colours depend on this order.
constexpr std::array<QRgb, 10> kTileColors{
    0xff007aff, 0xffaf52de, 0xffff2d55, 0xffff9500, 0xff34c759,
    0xff30b0c7, 0xff5856d6, 0xffff3b30, 0xffa2845e, 0xff00c7be,
};

} // namespace

FaviconBadge::FaviconBadge(FaviconStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store) {
    NotificationCenter::defaultCenter().observe(
        appnotification::kFaviconReady, this, [this](const Notification& notification) {
            const QVariant host = notification.userInfo.value(u"host"_s);
            if (!m_icon && host.typeId() == QMetaType::QString && host.toString() == m_domain)
                refresh();
        });
}

void FaviconBadge::setDomain(const QString& domain) {
    if (domain == m_domain)
        return;
    m_domain = domain;
    refresh();
}

void FaviconBadge::shown() {
    refresh();
}

void FaviconBadge::refresh() {
    const quint64 generation = ++m_generation;
    m_store.cachedIcon(m_domain, this, [this, generation](std::optional<QImage> icon) {
        if (generation != m_generation)
            return;
        const bool changed = icon.has_value() != m_icon.has_value() ||
                             (icon && icon->cacheKey() != m_icon->cacheKey());
        m_icon = std::move(icon);
        if (changed)
            Q_EMIT iconChanged();
    });
}

void FaviconBadge::paint(QPainter& painter, const QRectF& tile, const QPalette& palette) const {
    paintTile(painter, tile, m_domain, m_icon ? &*m_icon : nullptr, palette);
}

void FaviconBadge::paintTile(QPainter& painter, const QRectF& tile, QStringView domain,
                             const QImage* icon, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath shape;
    shape.addRoundedRect(tile, kCornerRadius, kCornerRadius);
    if (icon) {
        // A faint neutral fill that works on light and dark windows alike.
        QColor fill = palette.color(QPalette::WindowText);
        fill.setAlphaF(0.07f);
        painter.fillPath(shape, fill);
        QRectF target(0, 0, kIconSide, kIconSide);
        target.moveCenter(tile.center());
        painter.drawImage(target, *icon);
    } else {
        painter.fillPath(shape, tileColor(domain));
        QFont font = painter.font();
        font.setPixelSize(kLetterPixels);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(tile, Qt::AlignCenter, letter(domain));
    }
    painter.restore();
}

int FaviconBadge::colorIndex(QStringView domain) {
    quint64 h = 5381;
    for (const char32_t c : domain.toUcs4())
        h = h * 33 + c;
    return int(h % kTileColors.size());
}

QColor FaviconBadge::tileColor(QStringView domain) {
    return QColor::fromRgba(kTileColors[std::size_t(colorIndex(domain))]);
}

QString FaviconBadge::letter(QStringView domain) {
    if (domain.isEmpty())
        return u"?"_s;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, domain.toString());
    const qsizetype end = graphemes.toNextBoundary();
    return domain.first(end > 0 ? end : domain.size()).toString().toUpper();
}
