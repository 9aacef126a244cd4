#include "Corvina/TagSidebar/TagSidebar.h"

#include "Corvina/TagSidebar/TagSidebarDelegate.h"
#include "Corvina/TagSidebar/TagSidebarModel.h"
#include "platform/Widgets/Typography.h"

#include <QEvent>
#include <QListView>
#include <QVBoxLayout>

TagSelectionBinding TagSelectionBinding::to(std::optional<TagSelection>& storage) {
    return {[&storage] { return storage; },
            [&storage](const std::optional<TagSelection>& value) { storage = value; }};
}

TagSidebar::TagSidebar(TagSelectionBinding selection, QWidget* parent)
    : QWidget(parent)
    , m_selection(std::move(selection))
    , m_model(new TagSidebarModel(this))
    , m_list(new QListView(this)) {
    setWindowTitle(tr("Corvina"));
    setAccessibleName(tr("Corvina"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(new TagSidebarDelegate(m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setMouseTracking(true);
    m_list->setAttribute(Qt::WA_Hover);
    m_list->setSpacing(0);
    // A sidebar sits on the window's colour, not on a white list.
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    m_list->setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 6);
    layout->addWidget(m_list);
    applyColumnWidths();

    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { choose(current); });
    connect(m_list, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { choose(index); });
    refreshSelection();
}

TagSidebar::~TagSidebar() = default;

void TagSidebar::setCounts(qsizetype bookmarkCount, const std::vector<TagCount>& counts) {
    m_applying = true;
    m_model->setCounts(bookmarkCount, counts);
    m_applying = false;
    refreshSelection();
}

void TagSidebar::refreshSelection() {
    const std::optional<TagSelection> selection = m_selection.get();
    const QModelIndex index = selection ? m_model->indexOf(*selection) : QModelIndex();
    m_applying = true;
    if (index.isValid()) {
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    } else {
        m_list->selectionModel()->clearSelection();
        m_list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    m_applying = false;
}

void TagSidebar::choose(const QModelIndex& index) {
    if (m_applying)
        return;
    const std::optional<TagSelection> chosen = m_model->selectionAt(index);
    if (!chosen)
        return;
    const bool changed = m_selection.get() != chosen;
    m_selection.set(chosen);
    // A click on the entry already chosen changes nothing.
    if (changed)
        Q_EMIT selectionChosen();
}

void TagSidebar::setColumnWidths(int minimum, int ideal, int maximum) {
    m_minimumWidth = minimum;
    m_idealWidth = ideal;
    m_maximumWidth = maximum;
    applyColumnWidths();
}

int TagSidebar::scaled(int width) const {
    if (width >= QWIDGETSIZE_MAX)
        return width;
    // Never below the widths given: a smaller font leaves the column as designed.
    return qRound(width * std::max(1.0, typography::scale(font(), logicalDpiY())));
}

void TagSidebar::applyColumnWidths() {
    setMinimumWidth(scaled(m_minimumWidth));
    setMaximumWidth(scaled(m_maximumWidth));
    updateGeometry();
}

QSize TagSidebar::sizeHint() const {
    return {scaled(m_idealWidth), QWidget::sizeHint().height()};
}

void TagSidebar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyColumnWidths();
}
