#include "Corvina/App/WindowCoordinator.h"

void WindowCoordinator::setOpenWindowCount(int count) {
    if (count == m_openWindowCount)
        return;
    m_openWindowCount = count;
    Q_EMIT openWindowCountChanged(count);
}

void WindowCoordinator::setPendingNewBookmark(bool pending) {
    if (pending == m_pendingNewBookmark)
        return;
    m_pendingNewBookmark = pending;
    Q_EMIT pendingNewBookmarkChanged(pending);
}
