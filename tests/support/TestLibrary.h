#pragma once

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/LibraryStore.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"

#include <gtest/gtest.h>

// A library in memory, and a quick way to fill it.
class TestLibrary {
public:
    store::ModelContext& context() { return m_container->mainContext(); }
    std::vector<Bookmark> all() { return library::allBookmarks(context()); }

    // Saved at once. Each bookmark is a minute newer than the one before,
    // counted from 1 January 2020, 09:00 UTC.
    Bookmark add(const QString& title, const QString& url, const QStringList& tags = {},
                 const QString& note = {}) {
        const QDateTime when =
            QDateTime(QDate(2020, 1, 1), QTime(9, 0), Qt::UTC).addSecs(60 * m_added++);
        Bookmark bookmark(QUuid::createUuid(), *Url::parse(url), title, note, tags, when);
        context().insert(bookmark.object());
        EXPECT_TRUE(context().save().ok());
        return bookmark;
    }

    // Replaces the library with the store file at `path`.
    void open(const QString& path) {
        m_container.reset();
        m_container = library::openStore(path).value();
    }

private:
    std::unique_ptr<store::ModelContainer> m_container =
        store::ModelContainer::openInMemory(Bookmark::schema()).value();
    int m_added = 0;
};
