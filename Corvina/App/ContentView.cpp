#include "Corvina/App/ContentView.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/App/EmptyStateView.h"
#include "Corvina/App/PassingNotice.h"
#include "Corvina/BookmarkEditor/BookmarkEditor.h"
#include "Corvina/BookmarkEditor/TagCompletion.h"
#include "Corvina/BookmarkRow/BookmarkListView.h"
#include "Corvina/BookmarkRow/BookmarkRowDelegate.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "Corvina/LibraryList/DroppedLink.h"
#include "Corvina/LibraryList/OpenAddress.h"
#include "Corvina/TagSidebar/TagSidebar.h"
#include "platform/Core/LocaleNumbers.h"
#include "platform/Notifications/NotificationCenter.h"
#include "platform/Store/ModelContext.h"
#include "platform/Symbols/Symbols.h"
#include "platform/Widgets/Alert.h"
#include "shared/Preferences.h"

#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
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
// Opening more than this many pages at once is asked first.
constexpr qsizetype kOpenWithoutAsking = 10;

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
    , m_model(new BookmarkListModel(services.context, this))
    , m_history(new LibraryHistory(services.context, this)) {
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    layout->addWidget(split);

    m_sidebar = new TagSidebar(TagSelectionBinding::to(m_selection), split);
    m_sidebar->setColumnWidths(kSidebarMinimum, kSidebarIdeal, kSidebarMaximum);
    split->addWidget(m_sidebar);

    m_list = new BookmarkListView(split);
    m_list->setObjectName(u"bookmarkList"_s);
    m_list->setIdentityRole(BookmarkListModel::IdRole);
    m_delegate = new BookmarkRowDelegate(services.favicons, services.preferences, m_list);
    m_list->setItemDelegate(m_delegate);
    m_delegate->attach(*m_list);
    m_list->setModel(m_model);
    split->addWidget(m_list);
    split->setStretchFactor(1, 1);
    split->setSizes({m_sidebar->sizeHint().width(), 680});

    m_emptyState = new EmptyStateView(m_list);
    m_noMatch = new QLabel(m_list);
    m_noMatch->setObjectName(u"noMatch"_s);
    m_noMatch->setAlignment(Qt::AlignCenter);
    m_noMatch->setWordWrap(true);
    m_noMatch->setTextFormat(Qt::PlainText);
    m_noMatch->setForegroundRole(QPalette::PlaceholderText);
    m_noMatch->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_noMatch->hide();
    m_notice = new PassingNotice(m_list);
    connect(m_notice, &PassingNotice::actionTriggered, this, &ContentView::undo);
    m_dropOutline = new DropOutline(m_list);
    m_dropOutline->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_dropOutline->hide();
    m_list->installEventFilter(this);

    connect(m_sidebar, &TagSidebar::selectionChosen, this, [this] {
        m_model->setSelection(m_selection);
        Q_EMIT windowTitleChanged(windowTitle());
    });
    connect(m_model, &BookmarkListModel::identityChanged, m_list, [this] {
        m_list->selectionModel()->clear();
        m_list->scrollToTop();
    });
    connect(m_model, &BookmarkListModel::libraryChanged, this, &ContentView::libraryChanged);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, signal, this, &ContentView::listChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ContentView::listChanged);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (const auto bookmark = m_model->bookmarkFor(index))
            openInBrowser(*bookmark);
    });
    connect(m_list, &BookmarkListView::openRequested, this, &ContentView::openSelected);
    connect(m_list, &BookmarkListView::editRequested, this, &ContentView::editCurrent);
    connect(m_list, &BookmarkListView::deleteRequested, this, &ContentView::removeSelected);
    connect(m_list, &BookmarkListView::copyRequested, this, &ContentView::copySelected);
    connect(m_list, &BookmarkListView::leaveRequested, this, &ContentView::leaveListRequested);
    connect(m_delegate, &BookmarkRowDelegate::editRequested, this,
            [this](const QModelIndex& index) {
                if (const auto bookmark = m_model->bookmarkFor(index))
                    edit(*bookmark);
            });
    connect(m_list, &QWidget::customContextMenuRequested, this, &ContentView::showContextMenu);
    observeRequests();
    libraryChanged();
    listChanged();
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

void ContentView::listChanged() {
    const QString query = m_model->query().trimmed();
    const bool noMatch = m_model->rowCount() == 0 && !m_model->libraryIsEmpty() && !query.isEmpty();
    if (noMatch)
        m_noMatch->setText(tr("No bookmarks match \u201C%1\u201D").arg(query));
    m_noMatch->setVisible(noMatch);
    Q_EMIT listedCountChanged(m_model->rowCount());
}

void ContentView::setSidebarVisible(bool visible) {
    m_sidebar->setVisible(visible);
}

bool ContentView::isSidebarVisible() const {
    return !m_sidebar->isHidden();
}

void ContentView::setQuery(const QString& query) {
    m_model->setQuery(query);
    listChanged();
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
    connect(editor, &BookmarkEditor::bookmarkAdded, m_history, &LibraryHistory::recordAdd);
    connect(editor, &BookmarkEditor::bookmarkEdited, m_history, &LibraryHistory::recordEdit);
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
    removeBookmarks({bookmark});
}

void ContentView::removeBookmarks(const std::vector<Bookmark>& bookmarks) {
    std::vector<Bookmark> live;
    for (const Bookmark& bookmark : bookmarks) {
        if (!bookmark.object().isDeleted())
            live.push_back(bookmark);
    }
    if (live.empty())
        return;
    // Saved at once, in one change: a deletion that only sat in the context
    // would come back at the next start. A failed save keeps it there for
    // the next one.
    const QString done = live.size() == 1
                             ? tr("Deleted \u201C%1\u201D").arg(live.front().title())
                             : tr("Deleted %1 bookmarks").arg(localenumbers::count(qsizetype(live.size())));
    tell(m_history->remove(live), done, true);
}

void ContentView::tell(const HistoryOutcome& outcome, const QString& done, bool undoable) {
    // Something left alone matters more than what was done.
    if (!outcome.message.isEmpty())
        m_notice->showText(outcome.message);
    else if (!done.isEmpty())
        m_notice->showText(done, undoable && m_history->canUndo() ? tr("Undo") : QString());
}

void ContentView::undo() {
    step(true);
}

void ContentView::redo() {
    step(false);
}

void ContentView::step(bool back) {
    if (back ? !m_history->canUndo() : !m_history->canRedo())
        return;
    const QString what = back ? m_history->undoText() : m_history->redoText();
    tell(back ? m_history->undo() : m_history->redo(), what, false);
    // An address may have come back or gone: Dropslip's duplicate warning
    // reads the index, not the store.
    (void)rebuildDuplicateIndex(m_services.context);
}

void ContentView::addTagToSelected() {
    const std::vector<Bookmark> bookmarks = selectedBookmarks();
    if (bookmarks.empty())
        return;
    bool ok = false;
    const QString tag =
        QInputDialog::getText(window(), tr("Add Tag"),
                              bookmarks.size() == 1
                                  ? tr("Tag to add to this bookmark:")
                                  : tr("Tag to add to %1 bookmarks:")
                                        .arg(localenumbers::count(qsizetype(bookmarks.size()))),
                              QLineEdit::Normal, {}, &ok)
            .trimmed();
    if (!ok || tag.isEmpty())
        return;
    tell(m_history->addTag(bookmarks, tag), tr("Added the tag \u201C%1\u201D").arg(tag), true);
}

void ContentView::removeTagFromSelected() {
    const std::vector<Bookmark> bookmarks = selectedBookmarks();
    QStringList tags;
    for (const Bookmark& bookmark : bookmarks) {
        for (const QString& tag : bookmark.storedTags()) {
            if (!tags.contains(tag))
                tags << tag;
        }
    }
    if (tags.isEmpty())
        return;
    bool ok = false;
    const QString tag = QInputDialog::getItem(window(), tr("Remove Tag"), tr("Tag to remove:"),
                                              tags, 0, false, &ok);
    if (!ok || tag.isEmpty())
        return;
    tell(m_history->removeTag(bookmarks, tag), tr("Removed the tag \u201C%1\u201D").arg(tag),
         true);
}

QModelIndexList ContentView::selectedRows() const {
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return rows;
}

std::vector<Bookmark> ContentView::selectedBookmarks() const {
    return bookmarksAt(selectedRows());
}

std::vector<Bookmark> ContentView::bookmarksAt(const QModelIndexList& rows) const {
    std::vector<Bookmark> bookmarks;
    bookmarks.reserve(std::size_t(rows.size()));
    for (const QModelIndex& index : std::as_const(rows)) {
        if (auto bookmark = m_model->bookmarkFor(index))
            bookmarks.push_back(std::move(*bookmark));
    }
    return bookmarks;
}

void ContentView::focusList() {
    if (m_model->rowCount() == 0)
        return;
    QItemSelectionModel* selection = m_list->selectionModel();
    if (!m_list->currentIndex().isValid() || !selection->hasSelection())
        selection->setCurrentIndex(m_model->index(0), QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(m_list->currentIndex());
    m_list->setFocus(Qt::TabFocusReason);
}

void ContentView::openSelected() {
    openAll(selectedBookmarks());
}

void ContentView::openAll(const std::vector<Bookmark>& bookmarks) {
    if (qsizetype(bookmarks.size()) > kOpenWithoutAsking) {
        Alert box(Alert::Icon::question,
                  tr("Open %1 Bookmarks?").arg(localenumbers::count(qsizetype(bookmarks.size()))),
                  tr("Each opens in your browser."), window());
        QPushButton* open = box.addButton(tr("Open All"));
        box.setDefaultButton(box.addButton(tr("Cancel"), Alert::ButtonRole::cancel));
        box.exec();
        if (box.clickedButton() != open)
            return;
    }
    for (const Bookmark& bookmark : bookmarks)
        openInBrowser(bookmark);
}

void ContentView::editCurrent() {
    if (const auto bookmark = m_model->bookmarkFor(m_list->currentIndex()))
        edit(*bookmark);
}

void ContentView::removeSelected() {
    const QModelIndexList rows = selectedRows();
    if (rows.isEmpty())
        return;
    const int first = rows.front().row();
    removeBookmarks(bookmarksAt(rows));
    m_model->catchUp();
    // The row that takes the place of the first one deleted is next in line.
    if (const int count = m_model->rowCount(); count > 0)
        m_list->selectionModel()->setCurrentIndex(m_model->index(std::min(first, count - 1)),
                                                  QItemSelectionModel::ClearAndSelect);
}

void ContentView::copySelected() {
    const std::vector<Bookmark> bookmarks = selectedBookmarks();
    if (bookmarks.empty())
        return;
    QStringList lines;
    QList<QUrl> urls;
    for (const Bookmark& bookmark : bookmarks) {
        lines << bookmark.urlString();
        urls << QUrl(bookmark.urlString());
    }
    auto* data = new QMimeData;
    data->setUrls(urls); // text/uri-list
    data->setText(lines.join(u'\n'));
    QApplication::clipboard()->setMimeData(data);
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
    if (!m_model->bookmarkFor(index))
        return;
    // The menu acts on the selection; a row outside it becomes the selection.
    QItemSelectionModel* selection = m_list->selectionModel();
    if (!selection->isSelected(index))
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    // The store may change while the menu is open: an action takes the
    // chosen bookmarks that are still there, as they are then.
    const std::vector<Bookmark> chosen = selectedBookmarks();
    const auto current = [chosen]() {
        std::vector<Bookmark> found;
        std::copy_if(chosen.begin(), chosen.end(), std::back_inserter(found),
                     [](const Bookmark& b) { return !b.object().isDeleted(); });
        return found;
    };
    QMenu menu(this);
    menu.addAction(symbols::icon(u"safari"_s), tr("Open in Browser"), this,
                   [this, current] { openAll(current()); });
    menu.addAction(symbols::icon(u"link"_s), tr("Copy Link"), this, &ContentView::copySelected);
    QAction* editAction =
        menu.addAction(symbols::icon(u"pencil"_s), tr("Edit\u2026"), this, [this, current] {
            if (const auto found = current(); found.size() == 1)
                edit(found.front());
        });
    editAction->setEnabled(chosen.size() == 1);
    menu.addAction(symbols::icon(u"tag"_s), tr("Add Tag\u2026"), this,
                   &ContentView::addTagToSelected);
    menu.addAction(tr("Remove Tag\u2026"), this, &ContentView::removeTagFromSelected);
    menu.addSeparator();
    menu.addAction(symbols::icon(u"trash"_s), tr("Delete"), this,
                   [this, current] { removeBookmarks(current()); });
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
    m_noMatch->setGeometry(m_list->rect().adjusted(24, 0, -24, 0));
    m_dropOutline->setGeometry(m_list->rect());
}
