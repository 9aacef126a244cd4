#include "Corvina/App/QuillanApp.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/App/CorvinaAppDelegate.h"
#include "Corvina/App/LibraryWindow.h"
#include "Corvina/App/SearchField.h"
#include "Corvina/App/UpdateAlert.h"
#include "Corvina/App/UrlEvents.h"
#include "Corvina/App/WindowCoordinator.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "Corvina/ImportExport/ExportFormat.h"
#include "Corvina/Inbox/LibraryKeeper.h"
#include "Corvina/Library/LegacyMigration.h"
#include "Corvina/Library/LibraryHistory.h"
#include "Corvina/Library/LibraryStore.h"
#include "Corvina/Settings/SettingsWindow.h"
#include "Corvina/Settings/SyncStatus.h"
#include "platform/Core/LocaleNumbers.h"
#include "platform/Core/SystemLog.h"
#include "platform/Notifications/NotificationCenter.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/StoreWatcher.h"
#include "platform/Updater/UpdaterController.h"
#include "platform/Widgets/Alert.h"
#include "shared/Preferences.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBar>
#include <QUrl>

QuillanApp::QuillanApp() = default;
QuillanApp::~QuillanApp() {
    // Windows hold references into the container; they go first.
    for (const QPointer<LibraryWindow>& window : std::as_const(m_windows))
        delete window.data();
    delete m_settingsWindow.data();
    // The last chance for changes nobody was asked about (the session
    // ending, say): one more save, and a line in the log if it fails.
    if (m_keeper && m_keeper->unsavedChanges() > 0) {
        const qsizetype unsaved = m_keeper->unsavedChanges();
        if (const auto error = m_keeper->saveNow())
            systemLog(QStringLiteral("Corvina: %1 unsaved changes lost at exit: %2")
                          .arg(unsaved)
                          .arg(error->message));
    }
}

FaviconStore& QuillanApp::faviconStore() {
    if (!m_faviconStore)
        m_faviconStore = std::make_unique<FaviconStore>(*m_network);
    return *m_faviconStore;
}

Result<std::unique_ptr<QuillanApp>, QString> QuillanApp::start(const AppLocations& locations) {
    std::unique_ptr<QuillanApp> app(new QuillanApp());

    // 1. The Show Descriptions preference (opens the shared suite on first use).
    app->m_preferences = &Preferences::shared();
    // 2.
    app->m_windowCoordinator = std::make_unique<WindowCoordinator>();
    // 3. The updater is ready at once; it checks only when asked.
    app->m_network = std::make_unique<QNetworkAccessManager>();
    app->m_updaterController = std::make_unique<UpdaterController>(*app->m_network);
    app->m_updatePresenter = std::make_unique<UpdateAlert>();
    app->m_updaterController->setPresenter(app->m_updatePresenter.get());
    // 4. No cloud service here: the status is local-only.
    app->m_syncStatus = std::make_unique<SyncStatus>(SyncStatus::Mode::localOnly);

    // 5.–7. The schema is the bookmark's; the file lives in the "Quillan" folder.
    const QString storeFile =
        locations.storeFile.isEmpty() ? library::storeFilePath() : locations.storeFile;
    auto container = library::openStore(storeFile);
    if (!container)
        return Failure{library::openFailureMessage(container.error())};
    app->m_container = std::move(container).value();
    if (const QString& reason = app->m_container->readOnlyReason(); !reason.isEmpty())
        standardErrorLine(library::readOnlyMessage(reason));
    app->m_keeper = std::make_unique<LibraryKeeper>(app->m_container->mainContext());
    app->m_storeWatcher =
        std::make_unique<store::StoreWatcher>(app->m_container->mainContext(), storeFile);

    // 8.
    const std::optional<QString> legacyFolder =
        locations.useStandardLegacyFolder ? library::legacyFolder() : locations.legacyFolder;
    library::migrateLegacyBookmarks(app->m_container->mainContext(), legacyFolder);

    // 9. Only the first URL of an event is used.
    app->m_appDelegate = std::make_unique<CorvinaAppDelegate>();
    app->m_appDelegate->onOpenURLs = [](const QList<Url>& urls) {
        if (!urls.isEmpty())
            handleCorvinaURL(urls.first());
    };
    return app;
}

bool QuillanApp::showDescriptions() const {
    return m_preferences->showDescriptions();
}

LibraryWindow* QuillanApp::openWindow() {
    auto* window = new LibraryWindow(
        ContentServices{m_container->mainContext(), *m_preferences, *m_network, faviconStore()},
        *m_windowCoordinator);
    m_windows.removeAll(nullptr);
    m_windows.append(window);
    buildMenuBar(*window->menuBar(), *this);
    connect(window, &LibraryWindow::startWorkRequested, this, [this] { runWindowWork(false); });
    connect(window, &LibraryWindow::activationWorkRequested, this, [this] { runWindowWork(true); });
    window->watchSaving(*m_keeper);
    window->setCloseGuard(
        [this, window] { return anyWindowShown(window) || mayCloseLastWindow(window); });
    Q_EMIT windowOpened(window);
    window->show();
    return window;
}

void QuillanApp::bringToFront() {
    m_windows.removeAll(nullptr);
    LibraryWindow* window = m_windows.isEmpty() ? openWindow() : m_windows.last().data();
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void QuillanApp::runWindowWork(bool activation) {
    // The index write runs on in the background; nobody waits for it. A
    // failed save is the keeper's to try again.
    m_keeper->runInboxWork();
    if (activation) {
        m_syncStatus->refreshAccountStatus();
        m_storeWatcher->lookSoon();
    }
}

bool QuillanApp::anyWindowShown(const LibraryWindow* except) {
    m_windows.removeAll(nullptr);
    return std::any_of(m_windows.cbegin(), m_windows.cend(),
                       [except](const QPointer<LibraryWindow>& window) {
                           return window != except && window->isVisible();
                       });
}

bool QuillanApp::mayCloseLastWindow(QWidget* window) {
    while (m_keeper->unsavedChanges() > 0) {
        const qsizetype unsaved = m_keeper->unsavedChanges();
        const std::optional<store::StoreError> error = m_keeper->saveNow();
        if (!error)
            return true;
        const QString what =
            unsaved == 1 ? tr("1 change to the library could not be saved. If you quit now, it "
                              "will be lost.")
                         : tr("%1 changes to the library could not be saved. If you quit now, "
                              "they will be lost.")
                               .arg(localenumbers::count(unsaved));
        Alert box(Alert::Icon::warning, tr("Corvina could not save your changes"), what, window);
        box.setInformativeText(tr("Reason: %1.").arg(error->message));
        QPushButton* again = box.addButton(tr("Try Again"));
        QPushButton* drop = box.addButton(tr("Quit Anyway"), Alert::ButtonRole::destructive);
        box.addButton(tr("Cancel"), Alert::ButtonRole::cancel);
        box.setDefaultButton(again);
        box.exec();
        if (box.clickedButton() == drop) {
            systemLog(QStringLiteral("Corvina: %1 unsaved changes dropped at the user's request: %2")
                          .arg(unsaved)
                          .arg(error->message));
            return true;
        }
        if (box.clickedButton() != again)
            return false;
    }
    return true;
}

void QuillanApp::quit() {
    QApplication::closeAllWindows();
    // A window that kept its changes by refusing to close keeps the program.
    if (!anyWindowShown())
        QApplication::quit();
}

void QuillanApp::openSettings() {
    if (!m_settingsWindow)
        m_settingsWindow = new SettingsWindow(*m_preferences, *m_syncStatus);
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

void QuillanApp::newBookmark() {
    if (m_windowCoordinator->openWindowCount() < 1) {
        m_windowCoordinator->setPendingNewBookmark(true);
        openWindow();
        return;
    }
    NotificationCenter::defaultCenter().post(appnotification::kAddBookmarkRequested);
}

void QuillanApp::focusSearch() {
    QWidget* window = QApplication::activeWindow();
    if (!window)
        return;
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window)) {
        const QList<QToolBar*> toolBars =
            mainWindow->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
        for (QToolBar* toolBar : toolBars) {
            for (QAction* action : toolBar->actions()) {
                if (auto* field = qobject_cast<SearchField*>(toolBar->widgetForAction(action))) {
                    field->beginSearchInteraction();
                    return;
                }
            }
        }
    }
    // No tool bar search item: the first search field of the window, depth first.
    const std::function<QLineEdit*(QWidget*)> firstField = [&](QWidget* widget) -> QLineEdit* {
        if (auto* field = qobject_cast<SearchField*>(widget))
            return field;
        for (QObject* child : widget->children()) {
            if (auto* childWidget = qobject_cast<QWidget*>(child)) {
                if (QLineEdit* found = firstField(childWidget))
                    return found;
            }
        }
        return nullptr;
    };
    if (QLineEdit* field = firstField(window)) {
        field->setFocus(Qt::ShortcutFocusReason);
        field->selectAll();
    }
}

void QuillanApp::openHelpPage(const QString& page) {
    // Installed next to the program, or still in the source tree when run from a build.
    const QStringList candidates = {
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/corvina/pages/") + page,
        QStringLiteral(CORVINA_SOURCE_DIR "/packaging/pages/") + page,
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            QDesktopServices::openUrl(
                QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath()));
            return;
        }
    }
}

bool QuillanApp::isCommandChecked(CommandId id) const {
    switch (id) {
    case CommandId::showDescriptions:
        return showDescriptions();
    case CommandId::toggleSidebar: {
        const LibraryWindow* window = activeLibraryWindow();
        return !window || window->content()->isSidebarVisible();
    }
    default:
        return false;
    }
}

LibraryWindow* QuillanApp::activeLibraryWindow() {
    // A sheet or alert over a library window speaks for it.
    for (QWidget* window = QApplication::activeWindow(); window;
         window = window->parentWidget() ? window->parentWidget()->window() : nullptr) {
        if (auto* library = qobject_cast<LibraryWindow*>(window))
            return library;
    }
    return nullptr;
}

namespace {
// Undo and Redo go to the text field being typed in, if any; otherwise to the
// library of the window in front.
bool textHasFocus() {
    QWidget* focus = QApplication::focusWidget();
    return qobject_cast<QLineEdit*>(focus) || qobject_cast<QTextEdit*>(focus) ||
           qobject_cast<QPlainTextEdit*>(focus);
}

// Unlike activeLibraryWindow(), a sheet over the window keeps Undo to
// itself: the library's step is not what the user is looking at.
ContentView* frontLibrary() {
    auto* window = qobject_cast<LibraryWindow*>(QApplication::activeWindow());
    return window && !textHasFocus() ? window->content() : nullptr;
}
} // namespace

QString QuillanApp::commandTitle(CommandId id) const {
    ContentView* library = frontLibrary();
    if (!library || (id != CommandId::undo && id != CommandId::redo))
        return {};
    const LibraryHistory& history = library->history();
    return id == CommandId::undo ? history.undoText() : history.redoText();
}

bool QuillanApp::isCommandEnabled(CommandId id) const {
    ContentView* library = frontLibrary();
    if (!library || (id != CommandId::undo && id != CommandId::redo))
        return true;
    const LibraryHistory& history = library->history();
    return id == CommandId::undo ? history.canUndo() : history.canRedo();
}

void QuillanApp::runCommand(CommandId id) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    const auto onFocus = [](const char* method) {
        if (QWidget* focus = QApplication::focusWidget())
            QMetaObject::invokeMethod(focus, method);
    };
    switch (id) {
    case CommandId::newBookmark:
        newBookmark();
        break;
    case CommandId::newWindow:
        openWindow();
        break;
    case CommandId::importBookmarks:
        center.post(appnotification::kImportRequested);
        break;
    case CommandId::exportJSON:
        center.post(appnotification::kExportRequested, QVariant::fromValue(ExportFormat::json));
        break;
    case CommandId::exportNetscapeHTML:
        center.post(appnotification::kExportRequested,
                    QVariant::fromValue(ExportFormat::netscapeHTML));
        break;
    case CommandId::fetchFavicons:
        center.post(appnotification::kFaviconsFetchRequested);
        break;
    case CommandId::closeWindow:
        if (QWidget* window = QApplication::activeWindow())
            window->close();
        break;
    case CommandId::quit:
        quit();
        break;
    case CommandId::undo:
        if (ContentView* library = frontLibrary())
            library->undo();
        else
            onFocus("undo");
        break;
    case CommandId::redo:
        if (ContentView* library = frontLibrary())
            library->redo();
        else
            onFocus("redo");
        break;
    case CommandId::cut:
        onFocus("cut");
        break;
    case CommandId::copy:
        onFocus("copy");
        break;
    case CommandId::paste:
        onFocus("paste");
        break;
    case CommandId::selectAll:
        onFocus("selectAll");
        break;
    case CommandId::find:
        focusSearch();
        break;
    case CommandId::settings:
        openSettings();
        break;
    case CommandId::showDescriptions:
        m_preferences->setShowDescriptions(!m_preferences->showDescriptions());
        break;
    case CommandId::toggleSidebar:
        if (LibraryWindow* window = activeLibraryWindow())
            window->content()->setSidebarVisible(!window->content()->isSidebarVisible());
        break;
    case CommandId::help:
        openHelpPage(QStringLiteral("help.html"));
        break;
    case CommandId::bookmarklet:
        openHelpPage(QStringLiteral("bookmarklet.html"));
        break;
    case CommandId::checkForUpdates:
        m_updaterController->checkForUpdates();
        break;
    case CommandId::about:
        QMessageBox::about(QApplication::activeWindow(), tr("About Corvina"),
                           tr("<b>Corvina</b> %1<br>A library for the pages you want to keep.")
                               .arg(QCoreApplication::applicationVersion()));
        break;
    }
}
