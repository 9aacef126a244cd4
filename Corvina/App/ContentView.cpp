#include "Corvina/App/ContentView.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/App/EmptyStateView.h"
#include "Corvina/BookmarkEditor/BookmarkEditor.h"
#include "Corvina/BookmarkEditor/TagCompletion.h"
#include "Corvina/BookmarkRow/BookmarkRowDelegate.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "Corvina/LibraryList/DroppedLink.h"
#include "Corvina/LibraryList/OpenAddress.h"
#include "Corvina/TagSidebar/TagSidebar.h"
#include "platform/Notifications/NotificationCenter.h"
#include "platform/Store/ModelContext.h"
#include "platform/Symbols/Symbols.h"
#include "platform/Widgets/Alert.h"
#include "shared/Preferences.h"

#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

static_assert(int(BookmarkListModel::NoteRole) == int(BookmarkRowDelegate::NoteRole) &&
              int(BookmarkListModel::DomainRole) == int(BookmarkRowDelegate::DomainRole) &&
              int(BookmarkListModel::TagsRole) == int(BookmarkRowDelegate::TagsRole));

constexpr int kSidebarMinimum = 180;
constexpr int kSidebarIdeal = 220;
constexpr int kSidebarMaximum = 320;
// Rows measured per turn of the event loop while the list is laid out.
constexpr int kListLayoutBatch = 200;

// The accent-coloured outline shown while a drag the window accepts hovers over the list.
class DropOutline : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        constexpr qreal kLine = 3;
        constexpr qreal kPadding = 4;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(palette().color(QPalette::Highlight), kLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const qreal inset = kPadding + kLine / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 8, 8);
    }
};

} // namespace

ContentView::ContentView(ContentServices services, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_model(new BookmarkListModel(services.context, this)) {
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    layout->addWidget(split);

    m_sidebar = new TagSidebar(TagSelectionBinding::to(m_selection), split);
    m_sidebar->setColumnWidths(kSidebarMinimum, kSidebarIdeal, kSidebarMaximum);
    split->addWidget(m_sidebar);

    m_list = new QListView(split);
    m_list->setObjectName(u"bookmarkList"_s);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Rows differ in height, so laying out a list means measuring every row:
    // in batches, the first screenful shows at once and the rest is measured
    // while the window is idle.
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(kListLayoutBatch);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setFrameShape(QFrame::NoFrame);
    m_delegate = new BookmarkRowDelegate(services.favicons, services.preferences, m_list);
    m_list->setItemDelegate(m_delegate);
    m_delegate->attach(*m_list);
    // Last, so that the rows are measured once, in batches, by the final delegate.
    m_list->setModel(m_model);
    split->addWidget(m_list);
    split->setStretchFactor(1, 1);
    split->setSizes({m_sidebar->sizeHint().width(), 680});

    m_emptyState = new EmptyStateView(m_list);
    m_dropOutline = new DropOutline(m_list);
    m_dropOutline->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_dropOutline->hide();
    m_list->installEventFilter(this);

    connect(m_sidebar, &TagSidebar::selectionChosen, this, [this] {
        m_model->setSelection(m_selection);
        Q_EMIT windowTitleChanged(windowTitle());
    });
    connect(m_model, &BookmarkListModel::identityChanged, m_list, &QListView::scrollToTop);
    connect(m_model, &BookmarkListModel::libraryChanged, this, &ContentView::libraryChanged);
    connect(m_list, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (const auto bookmark = m_model->bookmarkFor(index))
            openInBrowser(*bookmark);
    });
    connect(m_delegate, &BookmarkRowDelegate::editRequested, this,
            [this](const QModelIndex& index) {
                if (const auto bookmark = m_model->bookmarkFor(index))
                    edit(*bookmark);
            });
    connect(m_list, &QListView::customContextMenuRequested, this, &ContentView::showContextMenu);
    observeRequests();
    libraryChanged();
}

ContentView::~ContentView() = default;

BookmarkEditor* ContentView::addSheet() const {
    return m_addSheet;
}

BookmarkEditor* ContentView::editSheet() const {
    return m_editSheet;
}

void ContentView::observeRequests() {
    auto& centre = NotificationCenter::defaultCenter();
    using namespace appnotification;
    centre.observe(kAddBookmarkRequested, this, [this](const Notification&) { showAdd(); });
    centre.observe(kPrefillBookmarkRequested, this, [this](const Notification& notification) {
        if (notification.object.metaType() == QMetaType::fromType<PrefillBookmark>())
            showAdd(notification.object.value<PrefillBookmark>());
    });
    centre.observe(kImportRequested, this, [this](const Notification&) {
        if (m_services.flows)
            m_services.flows->startImport(*window());
    });
    centre.observe(kExportRequested, this, [this](const Notification& notification) {
        const ExportFormat format =
            notification.object.metaType() == QMetaType::fromType<ExportFormat>()
                ? notification.object.value<ExportFormat>()
                : ExportFormat::json;
        if (m_services.flows)
            m_services.flows->startExport(*window(), format);
    });
    centre.observe(kFaviconsFetchRequested, this,
                   [this](const Notification&) { fetchAllFavicons(); });
}

void ContentView::libraryChanged() {
    const std::vector<Bookmark>& library = m_model->library();
    m_sidebar->setCounts(qsizetype(library.size()), m_tagCounter.update(library, m_services.context));
    m_emptyState->setVisible(m_model->libraryIsEmpty());
}

void ContentView::setSidebarVisible(bool visible) {
    m_sidebar->setVisible(visible);
}

bool ContentView::isSidebarVisible() const {
    return !m_sidebar->isHidden();
}

void ContentView::setQuery(const QString& query) {
    m_model->setQuery(query);
}

QString ContentView::windowTitle() const {
    if (m_selection && m_selection->tagName())
        return *m_selection->tagName();
    return tr("All Bookmarks");
}

BookmarkEditor* ContentView::openEditor(std::optional<Bookmark> bookmark,
                                        const PrefillBookmark& prefill) {
    BookmarkEditorInput input{std::move(bookmark), prefill.url, prefill.title,
                              tagcompletion::libraryTags(m_model->library()), m_model->library()};
    BookmarkEditorServices services{m_services.context, m_services.preferences, m_services.network,
                                    &m_services.favicons};
    auto* editor = new BookmarkEditor(std::move(input), services, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setWindowModality(Qt::WindowModal);
    editor->open();
    return editor;
}

void ContentView::showAdd(std::optional<PrefillBookmark> prefill) {
    if (prefill)
        m_pendingPrefill = std::move(prefill);
    if (m_addSheet) {
        m_addSheet->raise();
        return;
    }
    m_addSheet = openEditor(std::nullopt, m_pendingPrefill.value_or(PrefillBookmark{}));
    connect(m_addSheet, &QDialog::finished, this, [this] { m_pendingPrefill.reset(); });
}

void ContentView::edit(const Bookmark& bookmark) {
    if (m_editSheet) {
        m_editSheet->raise();
        return;
    }
    m_editSheet = openEditor(bookmark, {});
}

void ContentView::openInBrowser(const Bookmark& bookmark) {
    const QUrl url(bookmark.urlString(), QUrl::TolerantMode);
    switch (openaddress::decide(url)) {
    case openaddress::Decision::refuse:
        return;
    case openaddress::Decision::ask: {
        Alert box(Alert::Icon::warning, tr("Open This Address?"),
                  tr("\u201C%1\u201D is not a web address. Opening it may start a program "
                     "on this computer.")
                      .arg(bookmark.urlString()),
                  window());
        QPushButton* open = box.addButton(tr("Open"));
        box.setDefaultButton(box.addButton(tr("Cancel"), Alert::ButtonRole::cancel));
        box.exec();
        if (box.clickedButton() != open)
            return;
        break;
    }
    case openaddress::Decision::open:
        break;
    }
    QDesktopServices::openUrl(url);
}

void ContentView::remove(const Bookmark& bookmark) {
    if (bookmark.object().isDeleted())
        return;
    m_services.context.remove(bookmark.object());
    // The store has no saving of its own; a deletion that only sat in the
    // context would come back at the next start. A failed save keeps it
    // there for the next one.
    (void)m_services.context.save();
}

void ContentView::fetchAllFavicons() {
    QStringList domains;
    for (const Bookmark& bookmark : m_model->library())
        domains << bookmark.domain();
    if (FaviconPrefetch* job = m_services.favicons.prefetch(domains, 6))
        Q_EMIT faviconFetchStarted(job);
}

void ContentView::showContextMenu(const QPoint& position) {
    const QModelIndex index = m_list->indexAt(position);
    const std::optional<Bookmark> bookmark = m_model->bookmarkFor(index);
    if (!bookmark)
        return;
    // The row is looked up again when an action runs: the store may have
    // changed while the menu was open.
    const QUuid id = bookmark->id();
    const auto current = [this, id]() -> std::optional<Bookmark> {
        for (const Bookmark& candidate : m_model->library()) {
            if (candidate.id() == id && !candidate.object().isDeleted())
                return candidate;
        }
        return std::nullopt;
    };
    QMenu menu(this);
    menu.addAction(symbols::icon(u"safari"_s), tr("Open in Browser"), this, [this, current] {
        if (const auto b = current())
            openInBrowser(*b);
    });
    menu.addAction(symbols::icon(u"pencil"_s), tr("Edit\u2026"), this, [this, current] {
        if (const auto b = current())
            edit(*b);
    });
    menu.addSeparator();
    menu.addAction(symbols::icon(u"trash"_s), tr("Delete"), this, [this, current] {
        if (const auto b = current())
            remove(*b);
    });
    menu.exec(m_list->viewport()->mapToGlobal(position));
}

bool ContentView::acceptDrop(const QMimeData& data) {
    const std::optional<QString> address = droppedlink::webAddress(data);
    if (!address)
        return false;
    showAdd(PrefillBookmark{*address, QString()});
    return true;
}

void ContentView::setDropTargeted(bool targeted) {
    m_dropTargeted = targeted;
    m_dropOutline->setVisible(targeted);
    if (targeted)
        m_dropOutline->raise();
}

void ContentView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData() && droppedlink::offersLink(*event->mimeData())) {
        event->acceptProposedAction();
        setDropTargeted(true);
    }
}

void ContentView::dragMoveEvent(QDragMoveEvent* event) {
    if (m_dropTargeted)
        event->acceptProposedAction();
}

void ContentView::dragLeaveEvent(QDragLeaveEvent*) {
    setDropTargeted(false);
}

void ContentView::dropEvent(QDropEvent* event) {
    setDropTargeted(false);
    if (!event->mimeData())
        return;
    // Accepted at once; an address that is not http(s) is dropped silently.
    event->acceptProposedAction();
    acceptDrop(*event->mimeData());
}

bool ContentView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::Resize)
        placeOverlays();
    return QWidget::eventFilter(watched, event);
}

void ContentView::placeOverlays() {
    m_emptyState->setGeometry(m_list->rect());
    m_dropOutline->setGeometry(m_list->rect());
}
