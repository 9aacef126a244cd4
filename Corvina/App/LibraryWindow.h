#pragma once

#include <QMainWindow>

class QLabel;
class SearchField;
class WindowCoordinator;
namespace store {
class ModelContext;
}

// One library window of the "main" group. It keeps the coordinator's window
// count, takes a pending new-bookmark request when it opens, and runs the
// start work once and the activation work whenever the application becomes
// active.
class LibraryWindow : public QMainWindow {
    Q_OBJECT
public:
    LibraryWindow(store::ModelContext& context, WindowCoordinator& coordinator,
                  QWidget* parent = nullptr);
    ~LibraryWindow() override;

    SearchField* searchField() const { return m_searchField; }

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

private:
    void refreshPlaceholder();
    void leaveCount();

    store::ModelContext& m_context;
    WindowCoordinator& m_coordinator;
    SearchField* m_searchField = nullptr;
    QLabel* m_placeholder = nullptr;
    bool m_counted = false;
    bool m_startWorkDone = false;
};
