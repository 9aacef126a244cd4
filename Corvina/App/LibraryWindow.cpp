#include "Corvina/App/LibraryWindow.h"

#include "Corvina/App/ImportExportFlows.h"
#include "Corvina/App/SearchField.h"
#include "Corvina/App/WindowCoordinator.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "Corvina/Inbox/LibraryKeeper.h"
#include "platform/Core/LocaleNumbers.h"
#include "platform/Store/ModelContext.h"
#include "platform/Symbols/Symbols.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int kStartWorkLatest = 500; // ms after the window is first shown
constexpr int kFetchSummaryShown = 6000; // ms
}

LibraryWindow::LibraryWindow(ContentServices services, WindowCoordinator& coordinator,
                             QWidget* parent)
    : QMainWindow(parent)
    , m_coordinator(coordinator)
    , m_flows(new ImportExportFlows(services.context, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(u"main"_s);
    resize(900, 600);
    services.flows = m_flows;
    m_content = new ContentView(services, this);
    setCentralWidget(m_content);
    setWindowTitle(m_content->windowTitle());
    connect(m_content, &ContentView::windowTitleChanged, this, &QWidget::setWindowTitle);

    QToolBar* toolBar = addToolBar(tr("Toolbar"));
    toolBar->setObjectName(u"mainToolBar"_s);
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* add = toolBar->addAction(symbols::icon(u"plus"_s), tr("Add Bookmark"));
    add->setObjectName(u"addBookmark"_s);
    connect(add, &QAction::triggered, m_content, [this] { m_content->showAdd(); });
    QWidget* spacer = new QWidget(toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar->addWidget(spacer);
    m_searchField = new SearchField(toolBar);
    m_searchField->setPlaceholderText(tr("Search title, URL, tag"));
    m_searchField->setMaximumWidth(260);
    toolBar->addWidget(m_searchField);
    connect(m_searchField, &QLineEdit::textChanged, m_content, &ContentView::setQuery);
    // Down leaves the search for the list; Escape in the list comes back.
    m_searchField->installEventFilter(this);
    connect(m_content, &ContentView::leaveListRequested, m_searchField,
            &SearchField::beginSearchInteraction);

    m_saveStatus = new QLabel(this);
    m_saveStatus->setObjectName(u"saveStatus"_s);
    m_saveStatus->setTextFormat(Qt::PlainText);
    m_saveStatus->hide();
    statusBar()->addWidget(m_saveStatus, 1);
    m_fetchStatus = new QLabel(this);
    m_fetchStatus->hide();
    statusBar()->addPermanentWidget(m_fetchStatus);
    m_listedCount = new QLabel(this);
    m_listedCount->setObjectName(u"listedCount"_s);
    statusBar()->addPermanentWidget(m_listedCount);
    const auto showCount = [this](int count) {
        m_listedCount->setText(count == 1 ? tr("1 bookmark")
                                          : tr("%1 bookmarks").arg(localenumbers::count(count)));
    };
    showCount(m_content->model().rowCount());
    connect(m_content, &ContentView::listedCountChanged, this, showCount);
    connect(m_content, &ContentView::faviconFetchStarted, this, &LibraryWindow::followFaviconFetch);
    connect(this, &LibraryWindow::addBookmarkRequested, m_content,
            [this] { m_content->showAdd(); });

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                // The start work does the same once the window has painted.
                if (state == Qt::ApplicationActive && m_startWorkDone)
                    Q_EMIT activationWorkRequested();
            });
}

LibraryWindow::~LibraryWindow() {
    leaveCount();
}

void LibraryWindow::followFaviconFetch(FaviconPrefetch* job) {
    const auto show = [this](int completed, int total) {
        m_fetchStatus->setText(
            tr("Fetching site icons\u2026 %1 of %2")
                .arg(localenumbers::count(completed), localenumbers::count(total)));
    };
    show(0, job->total());
    m_fetchStatus->show();
    connect(job, &FaviconPrefetch::progress, this, show);
    connect(job, &FaviconPrefetch::finished, this, [this, job] {
        const QString summary = job->summary();
        m_fetchStatus->setText(summary);
        // Unless another fetch has taken the place by then.
        QTimer::singleShot(kFetchSummaryShown, m_fetchStatus, [this, summary] {
            if (m_fetchStatus->text() == summary)
                m_fetchStatus->hide();
        });
    });
}

void LibraryWindow::watchSaving(LibraryKeeper& keeper) {
    const auto show = [this, &keeper] {
        const auto& failure = keeper.failure();
        m_saveStatus->setVisible(failure.has_value());
        if (failure)
            m_saveStatus->setText(
                tr("Changes could not be saved yet: %1. Corvina keeps trying.")
                    .arg(failure->message));
    };
    connect(&keeper, &LibraryKeeper::failureChanged, this, show);
    show();
}

bool LibraryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_searchField && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier &&
            m_content->model().rowCount() > 0) {
            m_content->focusList();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void LibraryWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_counted) {
        m_counted = true;
        m_coordinator.setOpenWindowCount(m_coordinator.openWindowCount() + 1);
        if (m_coordinator.pendingNewBookmark()) {
            m_coordinator.setPendingNewBookmark(false);
            Q_EMIT addBookmarkRequested();
        }
    }
    if (!m_startWorkDone && !m_startWorkPending) {
        // After the window has painted, so a slow drain never delays the
        // first sight of the library; a window that is never painted (shown
        // minimised, say) still gets its work soon after.
        m_startWorkPending = true;
        QTimer::singleShot(kStartWorkLatest, this, &LibraryWindow::startWorkOnce);
    }
}

bool LibraryWindow::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::Paint && m_startWorkPending)
        QTimer::singleShot(0, this, &LibraryWindow::startWorkOnce);
    return handled;
}

void LibraryWindow::startWorkOnce() {
    if (m_startWorkDone)
        return;
    m_startWorkDone = true;
    m_startWorkPending = false;
    Q_EMIT startWorkRequested();
}

void LibraryWindow::closeEvent(QCloseEvent* event) {
    if (m_mayClose && !m_mayClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        leaveCount();
}

void LibraryWindow::leaveCount() {
    if (!m_counted)
        return;
    m_counted = false;
    const int count = std::max(0, m_coordinator.openWindowCount() - 1);
    m_coordinator.setOpenWindowCount(count);
}
