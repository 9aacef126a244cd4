#include "Corvina/App/LibraryWindow.h"

#include "Corvina/App/SearchField.h"
#include "Corvina/App/WindowCoordinator.h"
#include "platform/Store/ModelContext.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

LibraryWindow::LibraryWindow(store::ModelContext& context, WindowCoordinator& coordinator,
                             QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_coordinator(coordinator) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("main"));
    setWindowTitle(tr("All Bookmarks"));
    resize(900, 600);

    QToolBar* toolBar = addToolBar(tr("Toolbar"));
    toolBar->setObjectName(QStringLiteral("mainToolBar"));
    toolBar->setMovable(false);
    QWidget* spacer = new QWidget(toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar->addWidget(spacer);
    m_searchField = new SearchField(toolBar);
    m_searchField->setPlaceholderText(tr("Search title, URL, tag"));
    m_searchField->setMaximumWidth(260);
    toolBar->addWidget(m_searchField);

    // The list arrives in a later version; until then the window says plainly
    // what the library holds.
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    m_placeholder = new QLabel(central);
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_placeholder->setWordWrap(true);
    layout->addWidget(m_placeholder);
    setCentralWidget(central);
    refreshPlaceholder();
    connect(&m_context, &store::ModelContext::changed, this, &LibraryWindow::refreshPlaceholder);

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    Q_EMIT activationWorkRequested();
            });
}

LibraryWindow::~LibraryWindow() {
    leaveCount();
}

void LibraryWindow::refreshPlaceholder() {
    const qsizetype count = m_context.count();
    if (count == 0) {
        m_placeholder->setText(tr("No bookmarks yet"));
    } else {
        m_placeholder->setText(count == 1 ? tr("1 bookmark in your library.")
                                          : tr("%1 bookmarks in your library.").arg(count));
    }
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
    if (!m_startWorkDone) {
        m_startWorkDone = true;
        // After the window is on screen, so a slow drain never delays its first paint.
        QTimer::singleShot(0, this, [this] { Q_EMIT startWorkRequested(); });
    }
}

void LibraryWindow::closeEvent(QCloseEvent* event) {
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
