#pragma once

#include <QObject>

// Shared by the menu commands and every library window: how many library
// windows are open, and whether the next one to open should show the add form.
// Main thread only.
class WindowCoordinator : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    int openWindowCount() const { return m_openWindowCount; }
    void setOpenWindowCount(int count);
    bool pendingNewBookmark() const { return m_pendingNewBookmark; }
    void setPendingNewBookmark(bool pending);

Q_SIGNALS:
    void openWindowCountChanged(int count);
    void pendingNewBookmarkChanged(bool pending);

private:
    int m_openWindowCount = 0;
    bool m_pendingNewBookmark = false;
};
