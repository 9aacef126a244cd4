#pragma once

#include "Corvina/App/ContentView.h"

#include <QMainWindow>
#include <functional>

class ImportExportFlows;
class LibraryKeeper;
class QLabel;
class SearchField;
class WindowCoordinator;
namespace store {
class ModelContext;
}

// One library window of the "main" group: the library's content under a
// tool bar with the "Add Bookmark" button and the search field. It keeps the
// coordinator's window count, takes a pending new-bookmark request when it
// opens, and runs the start work once and the activation work whenever the
// application becomes active.
class LibraryWindow : public QMainWindow {
    Q_OBJECT
public:
    // `services.flows` is ignored: each window has import and export flows of its own.
    LibraryWindow(ContentServices services, WindowCoordinator& coordinator,
                  QWidget* parent = nullptr);
    ~LibraryWindow() override;

    SearchField* searchField() const { return m_searchField; }
    ContentView* content() const { return m_content; }
    ImportExportFlows* flows() const { return m_flows; }
    // Shows in the status bar while changes wait for the store to take them.
    void watchSaving(LibraryKeeper& keeper);
    // Asked before the window closes; false keeps it open.
    void setCloseGuard(std::function<bool()> mayClose) { m_mayClose = std::move(mayClose); }

Q_SIGNALS:
    // The window wants its add-bookmark form.
    void addBookmarkRequested();
    // Run once, after the window is first shown.
    void startWorkRequested();
    // Run each time the application becomes active while the window is open.
    void activationWorkRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void leaveCount();
    void startWorkOnce();
    void followFaviconFetch(FaviconPrefetch* job);

    WindowCoordinator& m_coordinator;
    ImportExportFlows* m_flows = nullptr;
    ContentView* m_content = nullptr;
    SearchField* m_searchField = nullptr;
    QLabel* m_fetchStatus = nullptr;
    QLabel* m_saveStatus = nullptr;
    QLabel* m_listedCount = nullptr;
    std::function<bool()> m_mayClose;
    bool m_counted = false;
    bool m_startWorkDone = false;
    bool m_startWorkPending = false;
};
