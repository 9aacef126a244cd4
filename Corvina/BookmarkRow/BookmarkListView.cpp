#include "Corvina/BookmarkRow/BookmarkListView.h"

#include "platform/Widgets/SystemColors.h"

#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <algorithm>
#include <bit>

namespace {
// Rows past this many are left at their estimate while idle: measuring a
// million rows would keep a core busy for half a minute after every resize.
constexpr int kIdleMeasureLimit = 200'000;
constexpr int kIdleSliceMs = 4;
// A row this far below the top is placed without walking the rows between.
constexpr int kLongWalk = 400;
constexpr int kFallbackEstimate = 56;
constexpr qreal kSelectionInset = 4;
constexpr qreal kSelectionRadius = 6;
} // namespace

BookmarkListView::BookmarkListView(QWidget* parent)
    : QAbstractItemView(parent) {
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectRows);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

BookmarkListView::~BookmarkListView() = default;

void BookmarkListView::setModel(QAbstractItemModel* model) {
    if (this->model())
        disconnect(this->model(), nullptr, this, nullptr);
    QAbstractItemView::setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this,
            &BookmarkListView::rememberPlace);
    // After the selection model's own reset, which clears what this restores.
    connect(model, &QAbstractItemModel::modelReset, this, &BookmarkListView::restorePlace);
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex& parent, int start, int end) {
                if (parent.isValid() || start > end || std::size_t(end) >= m_heights.size())
                    return;
                m_heights.erase(m_heights.begin() + start, m_heights.begin() + end + 1);
                m_measuredAt.erase(m_measuredAt.begin() + start, m_measuredAt.begin() + end + 1);
                m_treeDirty = true;
                if (!m_anchor.isValid() && rowCount() > 0)
                    setAnchor(std::min(start, rowCount() - 1), 0);
                syncScrollBar();
                viewport()->update();
            });
    connect(model, &QAbstractItemModel::rowsMoved, this, &BookmarkListView::rowsMovedInModel);
    connect(model, &QAbstractItemModel::layoutChanged, this,
            &BookmarkListView::layoutChangedInModel);
}

int BookmarkListView::rowCount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

// Heights ------------------------------------------------------------------

int BookmarkListView::measure(int row) const {
    const QModelIndex index = model()->index(row, 0, rootIndex());
    QStyleOptionViewItem option;
    const_cast<BookmarkListView*>(this)->initViewItemOption(&option);
    option.rect = QRect(0, 0, viewport()->width(), 0);
    return std::max(1, itemDelegateForIndex(index)->sizeHint(option, index).height());
}

int BookmarkListView::heightOf(int row) {
    if (row < 0 || std::size_t(row) >= m_heights.size())
        return m_estimate;
    if (!isFresh(row)) {
        setHeight(row, measure(row));
        m_measuredAt[std::size_t(row)] = m_generation;
    }
    return knownHeight(row);
}

void BookmarkListView::setHeight(int row, int height) {
    const int delta = height - m_heights[std::size_t(row)];
    if (delta == 0)
        return;
    m_heights[std::size_t(row)] = height;
    if (m_treeDirty)
        return;
    for (std::size_t i = std::size_t(row) + 1; i < m_tree.size(); i += i & (~i + 1))
        m_tree[i] += delta;
}

void BookmarkListView::rebuildTree() const {
    const std::size_t n = m_heights.size();
    m_tree.assign(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        m_tree[i] += m_heights[i - 1];
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n)
            m_tree[parent] += m_tree[i];
    }
    m_treeDirty = false;
}

qint64 BookmarkListView::top(int row) const {
    if (m_treeDirty)
        rebuildTree();
    qint64 sum = 0;
    for (std::size_t i = std::min(std::size_t(std::max(row, 0)), m_heights.size()); i > 0;
         i -= i & (~i + 1))
        sum += m_tree[i];
    return sum;
}

qint64 BookmarkListView::totalHeight() const {
    return top(int(m_heights.size()));
}

int BookmarkListView::rowAtY(qint64 y) const {
    if (m_treeDirty)
        rebuildTree();
    const std::size_t n = m_heights.size();
    if (n == 0)
        return -1;
    std::size_t position = 0;
    qint64 rest = std::max<qint64>(y, 0);
    for (std::size_t step = std::bit_floor(n); step > 0; step >>= 1) {
        if (position + step <= n && m_tree[position + step] <= rest) {
            position += step;
            rest -= m_tree[position];
        }
    }
    return int(std::min(position, n - 1));
}

// Place --------------------------------------------------------------------

void BookmarkListView::setAnchor(int row, int offset) {
    m_anchor = row >= 0 && row < rowCount() ? model()->index(row, 0, rootIndex()) : QModelIndex();
    m_anchorOffset = m_anchor.isValid() ? std::max(0, offset) : 0;
}

void BookmarkListView::anchorBottom(int row) {
    const int viewHeight = viewport()->height();
    int covered = heightOf(row);
    int first = row;
    while (first > 0 && covered < viewHeight)
        covered += heightOf(--first);
    if (covered >= viewHeight)
        setAnchor(first, covered - viewHeight);
    else
        setAnchor(0, 0);
}

void BookmarkListView::settle() {
    const int count = rowCount();
    if (count == 0)
        return;
    if (!m_anchor.isValid())
        setAnchor(0, 0);
    int row = anchorRow();
    int offset = m_anchorOffset;
    // The anchor row may have shrunk below its offset.
    while (offset >= heightOf(row) && row + 1 < count)
        offset -= heightOf(row++);
    const int viewHeight = viewport()->height();
    qint64 bottom = -offset;
    for (int r = row; r < count && bottom < viewHeight; ++r)
        bottom += heightOf(r);
    if (bottom < viewHeight) {
        offset -= int(viewHeight - bottom);
        while (offset < 0 && row > 0)
            offset += heightOf(--row);
    }
    setAnchor(row, std::max(offset, 0));
}

void BookmarkListView::syncScrollBar() {
    QScrollBar* bar = verticalScrollBar();
    const int viewHeight = viewport()->height();
    m_syncing = true;
    bar->setPageStep(viewHeight);
    bar->setSingleStep(std::max(8, (m_estimate > 0 ? m_estimate : kFallbackEstimate) / 3));
    const qint64 range = std::max<qint64>(0, totalHeight() - viewHeight);
    bar->setRange(0, int(std::min<qint64>(range, INT_MAX)));
    bar->setValue(int(std::min<qint64>(scrollY(), INT_MAX)));
    m_syncing = false;
}

void BookmarkListView::updateGeometries() {
    syncScrollBar();
    QAbstractItemView::updateGeometries();
}

void BookmarkListView::scrollContentsBy(int, int) {
    if (m_syncing)
        return;
    const QScrollBar* bar = verticalScrollBar();
    const int count = rowCount();
    if (count == 0)
        return;
    if (bar->value() >= bar->maximum() && bar->maximum() > 0) {
        // The bottom is exact even where heights are still estimates.
        anchorBottom(count - 1);
    } else {
        const int row = rowAtY(bar->value());
        setAnchor(row, int(bar->value() - top(row)));
    }
    viewport()->update();
}

int BookmarkListView::verticalOffset() const {
    return int(std::min<qint64>(scrollY(), INT_MAX));
}

void BookmarkListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.model() != model() || index.row() >= rowCount())
        return;
    const int row = index.row();
    const int viewHeight = viewport()->height();
    switch (hint) {
    case PositionAtTop:
        setAnchor(row, 0);
        break;
    case PositionAtBottom:
        anchorBottom(row);
        break;
    case PositionAtCenter: {
        const int half = (viewHeight + heightOf(row)) / 2;
        int covered = heightOf(row);
        int first = row;
        while (first > 0 && covered < half)
            covered += heightOf(--first);
        setAnchor(first, std::max(0, covered - half));
        break;
    }
    case EnsureVisible: {
        const int anchor = anchorRow();
        if (row < anchor || (row == anchor && m_anchorOffset > 0)) {
            setAnchor(row, 0);
        } else if (row - anchor > kLongWalk) {
            anchorBottom(row);
        } else {
            qint64 bottom = -m_anchorOffset;
            for (int r = anchor; r <= row; ++r)
                bottom += heightOf(r);
            if (bottom > viewHeight)
                anchorBottom(row);
        }
        break;
    }
    }
    syncScrollBar();
    viewport()->update();
}

// Geometry -----------------------------------------------------------------

QModelIndex BookmarkListView::indexAt(const QPoint& point) const {
    if (rowCount() == 0 || m_heights.empty())
        return {};
    const qint64 y = scrollY() + point.y();
    if (y < 0 || y >= totalHeight() || point.x() < 0 || point.x() >= viewport()->width())
        return {};
    return model()->index(rowAtY(y), 0, rootIndex());
}

QRect BookmarkListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model() || std::size_t(index.row()) >= m_heights.size())
        return {};
    const qint64 y = top(index.row()) - scrollY();
    const qint64 clamped = std::clamp<qint64>(y, -INT_MAX / 2, INT_MAX / 2);
    return {0, int(clamped), viewport()->width(), knownHeight(index.row())};
}

void BookmarkListView::setSelection(const QRect& rect,
                                    QItemSelectionModel::SelectionFlags command) {
    if (!selectionModel() || rowCount() == 0)
        return;
    const qint64 total = totalHeight();
    const qint64 from = scrollY() + rect.top();
    const qint64 to = scrollY() + rect.bottom();
    if (from >= total || to < 0) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    const QModelIndex first = model()->index(rowAtY(from), 0, rootIndex());
    const QModelIndex last = model()->index(rowAtY(std::min(to, total - 1)), 0, rootIndex());
    selectionModel()->select(QItemSelection(first, last), command);
}

QRegion BookmarkListView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    if (m_heights.empty())
        return region;
    const int firstShown = rowAtY(scrollY());
    const int lastShown = rowAtY(scrollY() + viewport()->height());
    for (const QItemSelectionRange& range : selection) {
        const int first = std::max(range.top(), firstShown);
        const int last = std::min(range.bottom(), lastShown);
        if (first > last)
            continue;
        const QRect from = visualRect(model()->index(first, 0, rootIndex()));
        const QRect to = visualRect(model()->index(last, 0, rootIndex()));
        region += from.united(to);
    }
    return region;
}

QModelIndex BookmarkListView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int count = rowCount();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, 0, rootIndex());
    int row = current.row();
    const int viewHeight = viewport()->height();
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row = std::max(0, row - 1);
        break;
    case MoveDown:
    case MoveNext:
        row = std::min(count - 1, row + 1);
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MovePageUp: {
        int covered = heightOf(row);
        while (row > 0 && covered + heightOf(row - 1) <= viewHeight)
            covered += heightOf(--row);
        if (row == current.row())
            row = std::max(0, row - 1);
        break;
    }
    case MovePageDown: {
        int covered = heightOf(row);
        while (row + 1 < count && covered + heightOf(row + 1) <= viewHeight)
            covered += heightOf(++row);
        if (row == current.row())
            row = std::min(count - 1, row + 1);
        break;
    }
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model()->index(row, 0, rootIndex());
}

// Painting -----------------------------------------------------------------

void BookmarkListView::paintEvent(QPaintEvent* event) {
    const int count = rowCount();
    if (count == 0 || m_heights.size() != std::size_t(count))
        return;
    const qint64 scrolledBefore = scrollY();
    const qint64 totalBefore = totalHeight();
    settle();
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus();
    const QColor accent = systemcolors::accent(option.palette);
    const int width = viewport()->width();
    int row = anchorRow();
    int y = -m_anchorOffset;
    while (row < count && y < viewport()->height()) {
        const int height = heightOf(row);
        const QModelIndex index = model()->index(row, 0, rootIndex());
        QStyleOptionViewItem rowOption = option;
        rowOption.rect = QRect(0, y, width, height);
        const bool selected = selectionModel() && selectionModel()->isSelected(index);
        if (selected)
            rowOption.state |= QStyle::State_Selected;
        if (focused && index == current)
            rowOption.state |= QStyle::State_HasFocus;
        if (event->rect().intersects(rowOption.rect)) {
            const QRectF band = QRectF(rowOption.rect).adjusted(kSelectionInset, 1,
                                                                -kSelectionInset, -1);
            if (selected) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(systemcolors::withAlpha(accent, focused ? 0.26 : 0.14));
                painter.drawRoundedRect(band, kSelectionRadius, kSelectionRadius);
            }
            if (rowOption.state & QStyle::State_HasFocus) {
                painter.setPen(QPen(accent, 2));
                painter.setBrush(Qt::NoBrush);
                painter.drawRoundedRect(band.adjusted(1, 1, -1, -1), kSelectionRadius,
                                        kSelectionRadius);
            }
            itemDelegateForIndex(index)->paint(&painter, rowOption, index);
        }
        y += height;
        ++row;
    }
    if (scrollY() != scrolledBefore || totalHeight() != totalBefore)
        syncScrollBar();
}

// Events -------------------------------------------------------------------

void BookmarkListView::resizeEvent(QResizeEvent* event) {
    QAbstractItemView::resizeEvent(event);
    if (viewport()->width() != m_measuredWidth) {
        m_measuredWidth = viewport()->width();
        // Every height is stale; each keeps serving as its row's estimate,
        // and the rows in view are measured again before they are painted.
        ++m_generation;
        restartMeasuring();
    }
    syncScrollBar();
    viewport()->update();
}

void BookmarkListView::doItemsLayout() {
    ++m_generation;
    restartMeasuring();
    QAbstractItemView::doItemsLayout();
    viewport()->update();
}

void BookmarkListView::restartMeasuring() {
    m_measureFrom = 0;
    if (rowCount() > 0 && rowCount() <= kIdleMeasureLimit)
        m_measuring.start(0, this);
    else
        m_measuring.stop();
}

void BookmarkListView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_measuring.timerId()) {
        QAbstractItemView::timerEvent(event);
        return;
    }
    QElapsedTimer slice;
    slice.start();
    const int count = std::min(rowCount(), int(m_heights.size()));
    bool any = false;
    while (m_measureFrom < count && slice.elapsed() < kIdleSliceMs) {
        for (const int end = std::min(count, m_measureFrom + 32); m_measureFrom < end;
             ++m_measureFrom) {
            if (!isFresh(m_measureFrom)) {
                heightOf(m_measureFrom);
                any = true;
            }
        }
    }
    if (m_measureFrom >= count)
        m_measuring.stop();
    if (any)
        syncScrollBar();
}

void BookmarkListView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (event == QKeySequence::Copy) {
        Q_EMIT copyRequested();
    } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        Q_EMIT openRequested();
    } else if (key == Qt::Key_F2 ||
               (key == Qt::Key_E && modifiers == Qt::ControlModifier)) {
        Q_EMIT editRequested();
    } else if (key == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        Q_EMIT deleteRequested();
    } else if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        Q_EMIT leaveRequested();
    } else if (key == Qt::Key_Menu || (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        openContextMenuAtCurrent();
    } else {
        QAbstractItemView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void BookmarkListView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard)
        openContextMenuAtCurrent();
    else
        Q_EMIT customContextMenuRequested(viewport()->mapFrom(this, event->pos()));
    event->accept();
}

void BookmarkListView::openContextMenuAtCurrent() {
    QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    scrollTo(current);
    const QRect rect = visualRect(current);
    Q_EMIT customContextMenuRequested(QPoint(rect.left() + rect.width() / 3, rect.center().y()));
}

// Model changes ------------------------------------------------------------

void BookmarkListView::reset() {
    QAbstractItemView::reset();
    const int count = rowCount();
    m_estimate = count > 0 && viewport()->width() > 0 ? measure(0) : kFallbackEstimate;
    m_heights.assign(std::size_t(count), m_estimate);
    m_measuredAt.assign(std::size_t(count), 0);
    m_treeDirty = true;
    setAnchor(0, 0);
    restartMeasuring();
    syncScrollBar();
}

void BookmarkListView::rowsInserted(const QModelIndex& parent, int start, int end) {
    if (!parent.isValid() && start <= end) {
        const bool atTop = m_anchor.isValid() && m_anchor.row() == end + 1 && start == 0 &&
                           m_anchorOffset == 0;
        const std::size_t count = std::size_t(end - start + 1);
        m_heights.insert(m_heights.begin() + start, count, m_estimate);
        m_measuredAt.insert(m_measuredAt.begin() + start, count, 0);
        m_treeDirty = true;
        // At the very top, new rows above show; anywhere else the view stays
        // on what the user is looking at.
        if (atTop || !m_anchor.isValid())
            setAnchor(0, 0);
        if (m_measuring.isActive() || rowCount() <= kIdleMeasureLimit) {
            m_measureFrom = std::min(m_measureFrom, start);
            m_measuring.start(0, this);
        }
        syncScrollBar();
    }
    QAbstractItemView::rowsInserted(parent, start, end);
    viewport()->update();
}

void BookmarkListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    if (!parent.isValid() && m_anchor.isValid() && m_anchor.row() >= start &&
        m_anchor.row() <= end) {
        // The row in view goes: the one after it takes its place.
        if (end + 1 < rowCount())
            setAnchor(end + 1, 0);
        else
            setAnchor(start - 1, 0);
    }
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
}

void BookmarkListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                   const QList<int>& roles) {
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        if (std::size_t(row) < m_measuredAt.size())
            m_measuredAt[std::size_t(row)] = 0;
    }
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
    viewport()->update();
}

void BookmarkListView::rowsMovedInModel(const QModelIndex& parent, int start, int end,
                                        const QModelIndex& destination, int row) {
    if (parent.isValid() || destination.isValid())
        return;
    const auto move = [&](auto& values) {
        if (row > end)
            std::rotate(values.begin() + start, values.begin() + end + 1, values.begin() + row);
        else
            std::rotate(values.begin() + row, values.begin() + start, values.begin() + end + 1);
    };
    move(m_heights);
    move(m_measuredAt);
    m_treeDirty = true;
    viewport()->update();
}

void BookmarkListView::layoutChangedInModel() {
    // Which row went where is not told: every row is measured anew.
    const std::size_t count = std::size_t(rowCount());
    m_heights.assign(count, m_estimate);
    m_measuredAt.assign(count, 0);
    m_treeDirty = true;
    restartMeasuring();
    syncScrollBar();
    viewport()->update();
}

void BookmarkListView::rememberPlace() {
    m_place = {};
    if (m_identityRole < 0 || !model())
        return;
    m_place.anchor = m_anchor.data(m_identityRole);
    m_place.offset = m_anchorOffset;
    m_place.current = currentIndex().data(m_identityRole);
    if (selectionModel()) {
        for (const QModelIndex& index : selectionModel()->selectedRows())
            m_place.selected.append(index.data(m_identityRole));
    }
}

void BookmarkListView::restorePlace() {
    if (!m_place.anchor.isValid() && !m_place.current.isValid() && m_place.selected.isEmpty())
        return;
    QSet<QString> selected;
    for (const QVariant& id : std::as_const(m_place.selected))
        selected.insert(id.toString());
    const QString anchor = m_place.anchor.toString();
    const QString current = m_place.current.toString();
    QItemSelection selection;
    const int count = rowCount();
    int runStart = -1;
    for (int row = 0; row <= count; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        const QString id = row < count ? index.data(m_identityRole).toString() : QString();
        if (row < count && id == anchor)
            setAnchor(row, m_place.offset);
        if (row < count && id == current)
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        const bool chosen = row < count && selected.contains(id);
        if (chosen && runStart < 0)
            runStart = row;
        if (!chosen && runStart >= 0) {
            selection.append(QItemSelectionRange(model()->index(runStart, 0, rootIndex()),
                                                 model()->index(row - 1, 0, rootIndex())));
            runStart = -1;
        }
    }
    if (!selection.isEmpty())
        selectionModel()->select(selection, QItemSelectionModel::Select);
    m_place = {};
    syncScrollBar();
}
