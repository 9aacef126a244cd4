#pragma once

#include "Corvina/App/ContentView.h"

#include <QMainWindow>

class ImportExportFlows;
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

private:
    void leaveCount();
    void startWorkOnce();
    void followFaviconFetch(FaviconPrefetch* job);

    WindowCoordinator& m_coordinator;
    ImportExportFlows* m_flows = nullptr;
    ContentView* m_content = nullptr;
    SearchField* m_searchField = nullptr;
    QLabel* m_fetchStatus = nullptr;
    bool m_counted = false;
    bool m_startWorkDone = false;
    bool m_startWorkPending = false;
};
