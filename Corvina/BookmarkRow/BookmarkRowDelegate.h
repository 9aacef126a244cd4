#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QSet>
#include <QStyledItemDelegate>
#include <QVariantAnimation>

class FaviconStore;
class Preferences;
class QAbstractItemView;

// Paints one bookmark per row, with no widget per row: the site's badge,
// the title (two lines at most), the note when "Show Descriptions" is on,
// and the metadata line planned by MetadataFlow for the width the row has.
// Row layouts are computed on every paint from measured text widths; only
// the widths are cached. The edit button at the trailing end shows while
// the pointer is over the row.
//
// The model gives, per row: the title as DisplayRole and the roles below.
class BookmarkRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum Role {
        NoteRole = Qt::UserRole + 1, // QString, the bookmark's note as stored
        DomainRole,                  // QString, the bookmark's domain
        TagsRole,                    // QStringList, in stored order
    };

    static constexpr qreal kBadgeSide = 32;
    static constexpr int kMaxFlowLines = 2;

    BookmarkRowDelegate(FaviconStore& icons, Preferences& preferences, QObject* parent = nullptr);

    // Hooks the delegate to its view: hover tracking for the edit button,
    // repaints when icons arrive, a new layout when descriptions are toggled.
    void attach(QAbstractItemView& view);

    // Without animation the edit button appears and disappears at once.
    void setReduceMotion(bool on) { m_reduceMotion = on; }
    bool reduceMotion() const { return m_reduceMotion; }

    // The row the pointer is over; an invalid index for none.
    void setHoveredIndex(const QModelIndex& index);
    // The edit button's opacity in that row, 0 to 1.
    qreal editButtonOpacity(const QModelIndex& index) const;
    // Where the edit button lies in a row drawn in `rowRect`.
    static QRectF editButtonRect(const QRectF& rowRect);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

Q_SIGNALS:
    void editRequested(const QModelIndex& index);
    // The rows showing this domain should be painted again.
    void iconArrived(const QString& domain);
    void rowNeedsRepaint(const QModelIndex& index);
    void rowHeightsChanged();

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Fade {
        QPersistentModelIndex index;
        qreal opacity = 0;
        QVariantAnimation animation;
    };
    void startFade(Fade& fade, const QModelIndex& index, qreal from, qreal to);
    const QImage* iconFor(const QString& domain, QImage& holder) const;

    FaviconStore& m_icons;
    bool m_showDescriptions;
    bool m_reduceMotion = false;
    // Domains whose disk cache has been asked once; bookkeeping, so that a
    // site without an icon is not read again on every paint.
    mutable QSet<QString> m_askedDisk;
    Fade m_fadeIn;
    Fade m_fadeOut;
    // The viewport is remembered on its own: while the view is torn down its
    // viewport still sends events, and the view's item API is already gone.
    QPointer<QWidget> m_viewport;
};
