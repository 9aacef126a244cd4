#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPalette>
#include <QRectF>
#include <QString>
#include <QStringView>
#include <optional>

class FaviconStore;
class QPainter;

// The 32-point tile a row shows for its site: the icon on a faint fill, or
// the domain's first letter in white on a colour picked from the domain.
// Holds only the domain and the icon it last read from the store's caches;
// it never starts a download, but picks the icon up when the store
// announces one for its domain.
class FaviconBadge : public QObject {
    Q_OBJECT
public:
    static constexpr qreal kSide = 32;

    FaviconBadge(FaviconStore& store, QObject* parent = nullptr);

    const QString& domain() const { return m_domain; }
    const std::optional<QImage>& icon() const { return m_icon; }

    // Each reads the store's caches again.
    void setDomain(const QString& domain);
    void shown();

    void paint(QPainter& painter, const QRectF& tile, const QPalette& palette) const;

    // Also for list delegates, which paint badges without holding one per row.
    static void paintTile(QPainter& painter, const QRectF& tile, QStringView domain,
                          const QImage* icon, const QPalette& palette);
    // Index into the ten-colour palette: a djb2-style hash over the domain's
    // code points, so a domain keeps its colour across runs.
    static int colorIndex(QStringView domain);
    static QColor tileColor(QStringView domain);
    // The first user-perceived character, upper-cased; "?" for an empty domain.
    static QString letter(QStringView domain);

Q_SIGNALS:
    void iconChanged();

private:
    void refresh();

    FaviconStore& m_store;
    QString m_domain;
    std::optional<QImage> m_icon;
    // Each refresh gets a number; only the newest one's answer counts.
    quint64 m_generation = 0;
};
