#include "Corvina/Library/LibraryHistory.h"

#include "Corvina/Library/BookmarkDraft.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

namespace {

using Bookmarks = std::vector<Bookmark>;
using Payloads = std::vector<BookmarkPayload>;

// Bookmarks in one list and not in the other; an edited one counts twice.
int differing(const Payloads& a, const Payloads& b) {
    const auto missing = [](const Payloads& from, const Payloads& in) {
        return std::ranges::count_if(from, [&](auto& p) { return std::ranges::count(in, p) == 0; });
    };
    return int(missing(a, b) + missing(b, a));
}

class LibraryHistoryTest : public testing::Test {
protected:
    // A fresh store file of three bookmarks, newest first C, B (tagged y), A (y, x).
    Bookmarks fill() {
        path = folder.filePath(QString::number(++files));
        lib.open(path);
        history = std::make_unique<LibraryHistory>(lib.context());
        lib.add(u"A"_s, u"https://a.test/"_s, {u"y"_s, u"x"_s}, u"note a"_s);
        lib.add(u"B"_s, u"https://b.test/"_s, {u"y"_s});
        lib.add(u"C"_s, u"https://c.test/"_s);
        return lib.all();
    }
    // What the file holds, read as another program would.
    Payloads stored() {
        return library::allPayloads(library::openStore(path).value()->mainContext());
    }
    // Another program (or this window) retitles or deletes the newest `count`.
    void meddle(bool here, std::size_t count, bool remove = false) {
        auto program = library::openStore(path).value();
        store::ModelContext& context = here ? lib.context() : program->mainContext();
        Bookmarks all = library::allBookmarks(context);
        for (std::size_t i = 0; i < count; ++i)
            remove ? context.remove(all[i].object()) : all[i].setTitle(u"Theirs"_s);
        EXPECT_TRUE(context.save().ok());
    }

    TestLibrary lib;
    QTemporaryDir folder;
    QString path;
    int files = 0;
    std::unique_ptr<LibraryHistory> history;
};

// Undone and redone, a step gives back exactly the library before and
// after it. Once another program or this window has changed some of its
// bookmarks, the undo leaves those alone and says so. Saves that fail (`locks`
// bit 0: the step's, bit 1: the undo's; bit 2: a redo follows) leave their
// change in the context, and the next save writes the end result once.
TEST_F(LibraryHistoryTest, StepsUndoAndRedoWhatNobodyElseChanged) {
    const auto bringBack = [&](Bookmarks& b) { // as an import would
        auto program = library::openStore(path).value();
        (void)library::insertPayloads(program->mainContext(), std::vector{b[0].toPayload()});
    };
    const auto removeOldest = [&](Bookmarks& b) { history->remove({&b.back(), 1}); };
    const struct {
        QString name;
        std::function<void(Bookmarks&)> step;
        int differing; // by the step; with failed saves, by the end
        std::function<void(Bookmarks&)> meddle = {};
        qsizetype leftAlone = 0;
        int undone = 0; // by the undo after meddling
        QString redoText = {};
        int locks = 0;
    } cases[] = {
        {u"Delete Bookmark"_s,
         [&](auto& b) {
             history->remove({b.data(), 1});
         },
         1, [&](auto&) { meddle(false, 1); }, 0, 1, u"Redo Delete Bookmark"_s},
        {u"Delete 3 Bookmarks"_s, [&](auto& b) { history->remove(b); }, 3, bringBack, 1, 2,
         u"Redo Delete 2 Bookmarks"_s},
        {u"Add Tag"_s, [&](auto& b) { history->addTag(b, u"y"_s); }, 2,
         [&](auto&) { meddle(false, 1, true); }, 1, 0, u"Redo"_s},
        {u"Remove Tag"_s, [&](auto& b) { history->removeTag(b, u"y"_s); }, 4,
         [&](auto&) { meddle(true, 3); }, 2, 0, u"Redo"_s},
        {u"Add Bookmark"_s,
         [&](auto&) { history->recordAdd(lib.add(u"D"_s, u"https://d.test/"_s)); }, 1,
         [&](auto&) { meddle(false, 1); }, 1, 0, u"Redo"_s},
        // A later step undone puts back what this one left, under a new revision.
        {u"Edit Bookmark"_s,
         [&](auto& b) {
             const BookmarkPayload before = b[1].toPayload();
             draft::save(lib.context(), {u"e:"_s, u"E"_s, u"n"_s, u"q, y"_s}, b[1]);
             history->recordEdit(before, b[1]);
         },
         2, [&](auto& b) { history->removeTag(b, u"y"_s), history->undo(); }, 0, 2,
         u"Redo Edit Bookmark"_s},
        {u"Delete Bookmark"_s, removeOldest, 2, {}, 0, 0, {}, 3},
        {u"Delete Bookmark"_s, removeOldest, 2, {}, 0, 0, {}, 1},
        {u"Delete Bookmark"_s, removeOldest, 2, {}, 0, 0, {}, 2},
        {u"Delete Bookmark"_s, removeOldest, 3, {}, 0, 0, {}, 7},
    };
    const QString said[] = {{},
                            u"One bookmark was changed elsewhere and was left as it is."_s,
                            u"2 bookmarks were changed elsewhere and were left as they are."_s};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString() + " locks " + std::to_string(c.locks));
        Bookmarks bookmarks = fill();
        const Payloads before = stored();
        std::optional<teststore::StoreWriteLock> lock;
        if (c.locks & 1)
            lock.emplace(path);
        c.step(bookmarks);
        lock.reset();
        EXPECT_EQ(lib.context().hasChanges(), bool(c.locks & 1));
        if (c.locks) {
            if (c.locks & 2)
                lock.emplace(path);
            EXPECT_EQ(history->undo().saveError.has_value(), bool(c.locks & 2));
            if (c.locks & 4)
                history->redo();
            lock.reset();
            meddle(false, 1);
            EXPECT_TRUE(lib.context().save().ok());
            EXPECT_EQ(differing(before, stored()), c.differing);
            EXPECT_EQ(stored().size() + (c.locks & 4 ? 1 : 0), before.size());
            EXPECT_EQ(lib.all().size(), stored().size());
            continue;
        }
        const Payloads after = stored();
        EXPECT_EQ(differing(before, after), c.differing);
        EXPECT_EQ(history->undoText(), u"Undo "_s + c.name);
        history->undo();
        EXPECT_EQ(stored(), before);
        EXPECT_EQ(history->redoText(), u"Redo "_s + c.name);
        history->redo();
        EXPECT_EQ(stored(), after);
        // Undone again, after the meddling.
        c.meddle(bookmarks);
        const Payloads meddled = stored();
        const HistoryOutcome undone = history->undo();
        EXPECT_EQ(undone.leftAlone, c.leftAlone);
        EXPECT_EQ(undone.message, said[c.leftAlone]);
        EXPECT_EQ(differing(meddled, stored()), c.undone);
        EXPECT_EQ(history->redoText(), c.redoText);
    }
}

} // namespace
