#pragma once

#include "Corvina/App/Commands.h"
#include "Corvina/App/LibraryWindow.h"
#include "Corvina/Settings/SettingsWindow.h"
#include "platform/Core/Result.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

class CorvinaAppDelegate;
class FaviconStore;
class LibraryKeeper;

class Preferences;
class QNetworkAccessManager;

class SyncStatus;
class UpdaterController;
struct UpdateAlertPresenter;
class WindowCoordinator;
namespace store {
class ModelContainer;
class StoreWatcher;
}

// Where the application keeps its data; tests point these elsewhere.
struct AppLocations {
    QString storeFile;                   // empty: the standard "Quillan.store"
    std::optional<QString> legacyFolder; // unset: the standard "Quillan" folder
    bool useStandardLegacyFolder = true;
};

// The application value: created once per process, it opens the store,
// moves the legacy file in, and owns the shared objects, the windows'
// commands and the settings window.
class QuillanApp : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // Runs the start-up sequence. On failure the error is the line to print.
    static Result<std::unique_ptr<QuillanApp>, QString> start(const AppLocations& locations = {});
    ~QuillanApp() override;

    store::ModelContainer& container() { return *m_container; }
    SyncStatus& syncStatus() { return *m_syncStatus; }
    WindowCoordinator& windowCoordinator() { return *m_windowCoordinator; }
    CorvinaAppDelegate& appDelegate() { return *m_appDelegate; }
    Preferences& preferences() { return *m_preferences; }
    QNetworkAccessManager& network() { return *m_network; }
    // The process's one favicon store, made on first use.
    FaviconStore& faviconStore();
    bool showDescriptions() const;

    // A new window of the "main" group, shown.
    LibraryWindow* openWindow();
    // Raises the newest library window, or opens one when none is left:
    // what starting the program again by hand does.
    void bringToFront();
    void openSettings();
    SettingsWindow* settingsWindow() const { return m_settingsWindow; }

    // CommandTarget
    void runCommand(CommandId id) override;
    bool isCommandChecked(CommandId id) const override;
    QString commandTitle(CommandId id) const override;
    bool isCommandEnabled(CommandId id) const override;

    void newBookmark();
    static void focusSearch();
    // The library window the user works in, also under one of its sheets.
    static LibraryWindow* activeLibraryWindow();
    LibraryKeeper& keeper() { return *m_keeper; }
    // Whether a library window other than `except` is on screen.
    bool anyWindowShown(const LibraryWindow* except = nullptr);
    // Whether the last library window may close now: true when nothing
    // unsaved would be lost, or the user chose to drop it. Asks over
    // `window` when a save fails.
    bool mayCloseLastWindow(QWidget* window);
    // Quits once every window agreed to close.
    void quit();

Q_SIGNALS:
    void windowOpened(LibraryWindow* window);

private:
    QuillanApp();
    void runWindowWork(bool activation);
    void openHelpPage(const QString& page);

    Preferences* m_preferences = nullptr;
    std::unique_ptr<WindowCoordinator> m_windowCoordinator;
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::unique_ptr<FaviconStore> m_faviconStore;
    std::unique_ptr<UpdaterController> m_updaterController;
    std::unique_ptr<UpdateAlertPresenter> m_updatePresenter;
    std::unique_ptr<SyncStatus> m_syncStatus;
    std::unique_ptr<store::ModelContainer> m_container;
    std::unique_ptr<LibraryKeeper> m_keeper;
    std::unique_ptr<store::StoreWatcher> m_storeWatcher; // other processes' commits
    std::unique_ptr<CorvinaAppDelegate> m_appDelegate;
    QPointer<SettingsWindow> m_settingsWindow;
    QList<QPointer<LibraryWindow>> m_windows;
};
