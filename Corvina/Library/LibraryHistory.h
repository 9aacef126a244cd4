#pragma once

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Store/StoreError.h"

#include <QObject>
#include <QString>
#include <optional>
#include <span>
#include <vector>

namespace store {
class ModelContext;
}

// What an operation, an undo or a redo did, for the window to tell the user.
struct HistoryOutcome {
    // Bookmarks left as they are because another window or program changed
    // or deleted them (or brought their id back) since the step, and the
    // sentence that says so; empty when there were none.
    qsizetype leftAlone = 0;
    QString message;
    // The store write failed; the change stays in the context, where the
    // next successful save writes it.
    std::optional<store::StoreError> saveError;
};

// The library's undo history. Each operation is one store write and one step;
// undoing or redoing a step is one write again. A step only ever touches a
// bookmark that is still as the step left it: before writing, it catches up
// with other programs under the store's write lock and leaves alone whatever
// changed meanwhile. Deleted bookmarks come back as the same records, so a
// deletion that was never saved is dropped rather than doubled. Main thread.
class LibraryHistory : public QObject {
    Q_OBJECT
public:
    explicit LibraryHistory(store::ModelContext& context, QObject* parent = nullptr);
    ~LibraryHistory() override;

    HistoryOutcome remove(std::span<const Bookmark> bookmarks);
    // Tags compare as exact strings. Adding appends the tag where it is
    // missing; removing drops every copy. Only the bookmarks that change are
    // written, each with updatedAt now.
    HistoryOutcome addTag(std::span<const Bookmark> bookmarks, const QString& tag);
    HistoryOutcome removeTag(std::span<const Bookmark> bookmarks, const QString& tag);
    // The editor has written these already; the steps only remember them.
    void recordAdd(const Bookmark& bookmark);
    void recordEdit(const BookmarkPayload& before, const Bookmark& bookmark);

    bool canUndo() const;
    bool canRedo() const;
    // "Undo Delete 3 Bookmarks", "Redo Add Tag"; plain "Undo" and "Redo"
    // when there is nothing to undo or redo.
    QString undoText() const;
    QString redoText() const;
    HistoryOutcome undo();
    HistoryOutcome redo();

Q_SIGNALS:
    // canUndo(), canRedo() or the texts may read differently now.
    void historyChanged();

private:
    struct Step;
    enum class Direction { back, forward };
    HistoryOutcome changeTags(std::span<const Bookmark> bookmarks, const QString& tag, bool add);
    HistoryOutcome replay(Direction direction);
    void push(Step step);
    QString stepName(const Step& step) const;

    store::ModelContext& m_context;
    std::vector<Step> m_steps;
    std::size_t m_done = 0; // the steps before this one can be undone
};
