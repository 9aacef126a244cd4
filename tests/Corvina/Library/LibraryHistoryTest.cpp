#include "Corvina/Library/LibraryHistory.h"

#include "Corvina/Library/BookmarkDraft.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

namespace {

using Step = std::function<HistoryOutcome(LibraryHistory&, std::vector<Bookmark>&)>;

// Bookmarks in one list and not in the other; an edited one counts twice.
int differing(const std::vector<BookmarkPayload>& a, const std::vector<BookmarkPayload>& b) {
    int count = 0;
    for (const auto& [from, to] : {std::pair{&a, &b}, std::pair{&b, &a}})
        for (const BookmarkPayload& payload : *from)
            count += std::find(to->begin(), to->end(), payload) == to->end();
    return count;
}

class LibraryHistoryTest : public testing::Test {
protected:
    // A fresh store file of three bookmarks, two of them tagged "y".
    std::vector<Bookmark> fill() {
        folder = std::make_unique<QTemporaryDir>();
        path = folder->filePath(u"Quillan.store"_s);
        lib.open(path);
        history = std::make_unique<LibraryHistory>(lib.context());
        lib.add(u"A"_s, u"https://a.test/"_s, {u"y"_s, u"x"_s}, u"note a"_s);
        lib.add(u"B"_s, u"https://b.test/"_s, {u"y"_s});
        lib.add(u"C"_s, u"https://c.test/"_s);
        return lib.all();
    }
    // What the file holds, read through a connection of its own.
    std::vector<BookmarkPayload> stored() {
        return library::allPayloads(library::openStore(path).value()->mainContext());
    }
    // Another program's context on the same file.
    store::ModelContext& other() {
        otherStore = library::openStore(path).value();
        return otherStore->mainContext();
    }

    TestLibrary lib;
    std::unique_ptr<QTemporaryDir> folder;
    QString path;
    std::unique_ptr<LibraryHistory> history;
    std::unique_ptr<store::ModelContainer> otherStore;
};

const Step kDeleteNewest = [](LibraryHistory& h, std::vector<Bookmark>& b) {
    return h.remove(std::span(b).first(1));
};

TEST_F(LibraryHistoryTest, EveryStepUndoesAndRedoesEveryField) {
    const struct {
        QString name;
        Step step;
        int differing;
    } cases[] = {
        {u"Delete Bookmark"_s, kDeleteNewest, 1},
        {u"Delete 3 Bookmarks"_s, [](auto& h, auto& b) { return h.remove(b); }, 3},
        {u"Add Tag"_s, [](auto& h, auto& b) { return h.addTag(b, u"y"_s); }, 2},
        {u"Remove Tag"_s, [](auto& h, auto& b) { return h.removeTag(b, u"y"_s); }, 4},
        {u"Add Bookmark"_s,
         [this](auto& h, auto&) {
             h.recordAdd(*draft::save(lib.context(), {u"https://d.test/"_s, u"D"_s, {}, u"z"_s}));
             return HistoryOutcome{};
         },
         1},
        {u"Edit Bookmark"_s,
         [this](auto& h, auto& b) {
             const BookmarkPayload before = b[1].toPayload();
             draft::save(lib.context(), {u"https://e.test/"_s, u"E"_s, u"n"_s, u"q, y"_s}, b[1]);
             h.recordEdit(before, b[1]);
             return HistoryOutcome{};
         },
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        std::vector<Bookmark> bookmarks = fill();
        const std::vector<BookmarkPayload> before = stored();
        EXPECT_FALSE(c.step(*history, bookmarks).saveError);
        const std::vector<BookmarkPayload> after = stored();
        EXPECT_EQ(differing(before, after), c.differing);
        EXPECT_FALSE(lib.context().hasChanges());
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(history->undoText(), u"Undo "_s + c.name);
            EXPECT_TRUE(history->undo().message.isEmpty());
            EXPECT_EQ(stored(), before);
            EXPECT_EQ(history->redoText(), u"Redo "_s + c.name);
            history->redo();
            EXPECT_EQ(stored(), after);
        }
    }
    // A later step undone puts back what an earlier one left: that one undoes too.
    std::vector<Bookmark> bookmarks = fill();
    const std::vector<BookmarkPayload> start = stored();
    history->addTag(bookmarks, u"t"_s);
    history->removeTag(bookmarks, u"y"_s);
    EXPECT_EQ(history->undo().leftAlone + history->undo().leftAlone, 0);
    EXPECT_EQ(stored(), start);
}

TEST_F(LibraryHistoryTest, WhatChangedElsewhereIsLeftAlone) {
    const auto retitle = [](store::ModelContext& context, std::size_t count) {
        std::vector<Bookmark> all = library::allBookmarks(context);
        for (std::size_t i = 0; i < count; ++i)
            all[i].setTitle(u"Theirs"_s);
        EXPECT_TRUE(context.save().ok());
    };
    const struct {
        const char* name;
        Step step;
        std::function<void(std::vector<Bookmark>&)> meddle;
        qsizetype leftAlone;
        int differing; // what the undo changed after the meddling
        QString redoText;
    } cases[] = {
        {"EditRetitledByAnotherProgram",
         [this](auto& h, auto& b) {
             const BookmarkPayload before = b[0].toPayload();
             b[0].setTitle(u"Mine"_s);
             EXPECT_TRUE(lib.context().save().ok());
             h.recordEdit(before, b[0]);
             return HistoryOutcome{};
         },
         [&](auto&) { retitle(other(), 1); }, 1, 0, u"Redo"_s},
        {"TaggedOneDeletedByAnotherProgram", [](auto& h, auto& b) { return h.addTag(b, u"t"_s); },
         [this](auto&) {
             store::ModelContext& theirs = other();
             theirs.remove(library::allBookmarks(theirs)[0].object());
             EXPECT_TRUE(theirs.save().ok());
         },
         1, 4, u"Redo Add Tag"_s},
        {"DeletedOneBackFromAnImport",
         [](auto& h, auto& b) { return h.remove(std::span(b).first(2)); },
         [this](auto& b) {
             EXPECT_TRUE(library::insertPayloads(other(), std::vector{b[0].toPayload()}).ok());
         },
         1, 1, u"Redo Delete Bookmark"_s},
        {"TaggedBothRetitledInThisWindow",
         [](auto& h, auto& b) { return h.removeTag(b, u"y"_s); },
         [&](auto&) { retitle(lib.context(), 3); }, 2, 0, u"Redo"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Bookmark> bookmarks = fill();
        c.step(*history, bookmarks);
        c.meddle(bookmarks);
        const std::vector<BookmarkPayload> meddled = stored();
        const HistoryOutcome undone = history->undo();
        EXPECT_EQ(undone.leftAlone, c.leftAlone);
        EXPECT_EQ(undone.message, c.leftAlone == 1
                                      ? u"One bookmark was changed elsewhere and was left as it is."_s
                                      : u"2 bookmarks were changed elsewhere and were left as "
                                        "they are."_s);
        EXPECT_EQ(differing(meddled, stored()), c.differing);
        EXPECT_EQ(history->redoText(), c.redoText);
    }
}

// Saves that fail leave the change in the context; undoing and redoing it
// there, the next save writes the end result once.
TEST_F(LibraryHistoryTest, FailedSavesLoseAndDoubleNothing) {
    const struct {
        bool lockedAtDelete, lockedAtUndo, redo;
    } cases[] = {{true, true, false}, {true, false, false}, {false, true, false}, {true, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lockedAtDelete << c.lockedAtUndo << c.redo);
        std::vector<Bookmark> bookmarks = fill();
        const std::vector<BookmarkPayload> before = stored();
        std::optional<teststore::StoreWriteLock> lock;
        if (c.lockedAtDelete)
            lock.emplace(path);
        EXPECT_EQ(kDeleteNewest(*history, bookmarks).saveError.has_value(), c.lockedAtDelete);
        lock.reset();
        if (c.lockedAtUndo)
            lock.emplace(path);
        EXPECT_EQ(history->undo().saveError.has_value(), c.lockedAtUndo);
        if (c.redo)
            history->redo();
        lock.reset();
        Bookmark theirs = library::allBookmarks(other()).back(); // another program's edit
        theirs.setTitle(u"Theirs"_s);
        EXPECT_TRUE(theirs.object().context()->save().ok());
        EXPECT_TRUE(lib.context().save().ok());
        EXPECT_EQ(differing(before, stored()), c.redo ? 3 : 2);
        EXPECT_EQ(stored().size(), c.redo ? 2u : 3u);
        EXPECT_EQ(lib.all().size(), stored().size());
    }
}

} // namespace
