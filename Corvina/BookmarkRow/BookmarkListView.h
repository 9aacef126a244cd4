#pragma once

#include <QAbstractItemView>
#include <QBasicTimer>
#include <QPersistentModelIndex>
#include <vector>

// The library's list of rows of differing heights, for libraries of any
// size. A row's height depends on the width (titles wrap, tags flow), so
// heights are measured lazily: the rows in view before they are painted, the
// others a slice at a time while the window is idle; a row not measured yet
// counts as a typical row. The view's place is a row and how far its top
// lies above the viewport, not a pixel offset: rows measured anew, inserted
// or removed above it never move what the user is looking at, and a new
// width re-measures the rows in view before they are painted.
//
// Keys: the arrows, Home, End and the page keys move the current row, with
// Shift and Ctrl for ranges and toggles; Ctrl+A selects every row. Return,
// F2 (or Ctrl+E), Delete, Ctrl+C and Escape are handed to the owner as
// signals; Shift+F10 and the Menu key open the context menu at the current
// row.
class BookmarkListView : public QAbstractItemView {
    Q_OBJECT
public:
    explicit BookmarkListView(QWidget* parent = nullptr);
    ~BookmarkListView() override;

    // The role that names a row for good (the bookmark's id), by which the
    // view finds its place and selection again after a reset of the model.
    void setIdentityRole(int role) { m_identityRole = role; }

    void setModel(QAbstractItemModel* model) override;
    QModelIndex indexAt(const QPoint& point) const override;
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void reset() override;
    void doItemsLayout() override;

    // The row at the viewport's top and how many pixels of it lie above.
    QModelIndex topIndex() const { return m_anchor; }
    int topOffset() const { return m_anchorOffset; }

public Q_SLOTS:
    // Edit ▸ Copy while the list has the focus.
    void copy() { Q_EMIT copyRequested(); }

Q_SIGNALS:
    void openRequested();
    void editRequested();
    void deleteRequested();
    void copyRequested();
    // Escape: back to where the user came from (the search field).
    void leaveRequested();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    int rowCount() const;
    int anchorRow() const { return m_anchor.isValid() ? m_anchor.row() : 0; }
    // Heights, measured at the current width when stale.
    int heightOf(int row);
    int knownHeight(int row) const { return m_heights[std::size_t(row)]; }
    bool isFresh(int row) const { return m_measuredAt[std::size_t(row)] == m_generation; }
    void setHeight(int row, int height);
    int measure(int row) const;
    // Prefix sums of the heights (a Fenwick tree), rebuilt when rows come or go.
    qint64 top(int row) const;
    qint64 totalHeight() const;
    int rowAtY(qint64 y) const;
    void rebuildTree() const;
    qint64 scrollY() const { return m_anchor.isValid() ? top(anchorRow()) + m_anchorOffset : 0; }

    void setAnchor(int row, int offset);
    // Places `row` with its bottom at the viewport's bottom (or the list's top).
    void anchorBottom(int row);
    // Closes a gap below the last row by moving the view up.
    void settle();
    void syncScrollBar();
    void restartMeasuring();
    void rememberPlace();
    void restorePlace();
    void rowsMovedInModel(const QModelIndex& parent, int start, int end,
                          const QModelIndex& destination, int row);
    void layoutChangedInModel();
    void openContextMenuAtCurrent();

    std::vector<int> m_heights;
    // The width generation each row was measured at; 0: never.
    std::vector<quint32> m_measuredAt;
    quint32 m_generation = 1;
    int m_estimate = 0; // the height of a row not measured yet
    int m_measuredWidth = -1;
    mutable std::vector<qint64> m_tree;
    mutable bool m_treeDirty = true;
    QPersistentModelIndex m_anchor;
    int m_anchorOffset = 0;
    bool m_syncing = false;
    QBasicTimer m_measuring;
    int m_measureFrom = 0;
    int m_identityRole = -1;
    struct Place {
        QVariant anchor;
        int offset = 0;
        QVariant current;
        QVariantList selected;
    };
    Place m_place;
};
