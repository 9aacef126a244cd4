#include "Corvina/Library/LibraryHistory.h"

#include "Corvina/Library/LibraryStore.h"
#include "platform/Core/IsoDate.h"
#include "platform/Core/LocaleNumbers.h"
#include "platform/Store/ModelContext.h"

#include <QSet>

// Named rather than anonymous: the history's steps hold them.
namespace historystep {

// A bookmark's seven values as the store holds them. The address stays text:
// parsing it, as BookmarkPayload does, for every bookmark of a large selection
// would cost most of the step.
struct Fields {
    QUuid id;
    QString url, title, note;
    QStringList tags;
    QDateTime createdAt, updatedAt;
    bool operator==(const Fields&) const = default;
};

// One bookmark before and after a step. Where the step leaves it out of the
// library, no values are kept: a deleted record is written by nothing, so it
// still holds them, and its revision, unchanged, shows that nothing did.
// Where it is in the library, its values are compared: a later step undone
// puts the same values back under a new revision.
struct Change {
    Bookmark bookmark;
    std::unique_ptr<const Fields> before, after;
    quint64 revision = 0; // as the step, or its last undo or redo, left it
};

} // namespace historystep

struct LibraryHistory::Step {
    enum class Kind { remove, add, edit, addTag, removeTag };
    Kind kind;
    std::vector<historystep::Change> changes;
    quint64 changeCount = 0; // the context's, once the step, its undo or redo was done
    bool inLibraryBefore() const { return kind != Kind::add; }
    bool inLibraryAfter() const { return kind != Kind::remove; }
};

namespace {

using historystep::Change;
using historystep::Fields;

Fields storedFields(const Bookmark& bookmark) {
    return {bookmark.id(),   bookmark.urlString(), bookmark.title(),    bookmark.note(),
            bookmark.tags(), bookmark.createdAt(), bookmark.updatedAt()};
}

Fields payloadFields(const BookmarkPayload& payload) {
    return {payload.id,       payload.url.absoluteString(),
            payload.title,    payload.description,
            payload.tags,     payload.createdAt,
            payload.updatedAt};
}

// Only the values that differ are written, so a bookmark that comes back
// from a deletion, already as it was, is not marked changed for nothing.
void writeFields(Bookmark bookmark, const Fields& fields) {
    const Fields now = storedFields(bookmark);
    if (now.id != fields.id)
        bookmark.setId(fields.id);
    if (now.url != fields.url) {
        // Back as it was stored, without parsing it again.
        store::ModelObject object = bookmark.object();
        object.setValue(Bookmark::kUrl, fields.url);
    }
    if (now.title != fields.title)
        bookmark.setTitle(fields.title);
    if (now.note != fields.note)
        bookmark.setNote(fields.note);
    if (now.tags != fields.tags)
        bookmark.setTags(fields.tags);
    if (now.createdAt != fields.createdAt)
        bookmark.setCreatedAt(fields.createdAt);
    if (now.updatedAt != fields.updatedAt)
        bookmark.setUpdatedAt(fields.updatedAt);
}

// The store write of a step, begun before the step looked at anything.
HistoryOutcome committed(Result<store::StoreWrite, store::StoreError>& write) {
    HistoryOutcome outcome;
    if (!write) {
        outcome.saveError = write.error();
    } else if (auto done = write->commit(); !done) {
        outcome.saveError = done.error();
    }
    return outcome;
}

bool inLibrary(const Bookmark& bookmark, const store::ModelContext& context) {
    return bookmark.object().context() == &context && !bookmark.object().isDeleted();
}

std::unique_ptr<const Fields> fieldsOf(const Bookmark& bookmark) {
    return std::make_unique<const Fields>(storedFields(bookmark));
}

} // namespace

LibraryHistory::LibraryHistory(store::ModelContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context) {}

LibraryHistory::~LibraryHistory() = default;

// Every write begins the store write first: that takes the lock and brings
// in what other programs committed, so the step sees their changes and no
// other program writes between the look and the commit. When the lock cannot
// be had, the step works from what the context knows and its change waits
// in the context for the next save, as any failed save's does.
HistoryOutcome LibraryHistory::remove(std::span<const Bookmark> bookmarks) {
    auto write = m_context.beginWrite();
    Step step{Step::Kind::remove, {}};
    step.changes.reserve(bookmarks.size());
    std::vector<store::ModelObject> objects;
    objects.reserve(bookmarks.size());
    QSet<Bookmark> seen;
    seen.reserve(qsizetype(bookmarks.size()));
    for (const Bookmark& bookmark : bookmarks) {
        if (!inLibrary(bookmark, m_context) || seen.contains(bookmark))
            continue;
        seen.insert(bookmark);
        objects.push_back(bookmark.object());
        step.changes.push_back({bookmark, nullptr, nullptr, bookmark.object().revision()});
    }
    m_context.remove(objects);
    HistoryOutcome outcome = committed(write);
    push(std::move(step));
    return outcome;
}

HistoryOutcome LibraryHistory::addTag(std::span<const Bookmark> bookmarks, const QString& tag) {
    return changeTags(bookmarks, tag, true);
}

HistoryOutcome LibraryHistory::removeTag(std::span<const Bookmark> bookmarks, const QString& tag) {
    return changeTags(bookmarks, tag, false);
}

HistoryOutcome LibraryHistory::changeTags(std::span<const Bookmark> bookmarks, const QString& tag,
                                          bool add) {
    if (tag.isEmpty())
        return {};
    auto write = m_context.beginWrite();
    Step step{add ? Step::Kind::addTag : Step::Kind::removeTag, {}};
    const QDateTime now = isodate::now();
    // A bookmark listed twice is changed the first time and then no longer
    // needs it.
    for (const Bookmark& bookmark : bookmarks) {
        if (!inLibrary(bookmark, m_context))
            continue;
        QStringList tags = bookmark.tags();
        if (add && !tags.contains(tag))
            tags.append(tag);
        else if (add || tags.removeAll(tag) == 0)
            continue;
        std::unique_ptr<const Fields> before = fieldsOf(bookmark);
        Bookmark written = bookmark;
        written.setTags(tags);
        written.setUpdatedAt(now);
        step.changes.push_back({bookmark, std::move(before), fieldsOf(bookmark)});
    }
    HistoryOutcome outcome = committed(write);
    push(std::move(step));
    return outcome;
}

void LibraryHistory::recordAdd(const Bookmark& bookmark) {
    if (!inLibrary(bookmark, m_context))
        return;
    Step step{Step::Kind::add, {}};
    step.changes.push_back({bookmark, nullptr, fieldsOf(bookmark)});
    push(std::move(step));
}

void LibraryHistory::recordEdit(const BookmarkPayload& before, const Bookmark& bookmark) {
    if (!inLibrary(bookmark, m_context))
        return;
    Step step{Step::Kind::edit, {}};
    step.changes.push_back(
        {bookmark, std::make_unique<const Fields>(payloadFields(before)), fieldsOf(bookmark)});
    push(std::move(step));
}

void LibraryHistory::push(Step step) {
    if (step.changes.empty())
        return;
    m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_done), m_steps.end());
    step.changeCount = m_context.changeCount();
    m_steps.push_back(std::move(step));
    m_done = m_steps.size();
    Q_EMIT historyChanged();
}

bool LibraryHistory::canUndo() const {
    return m_done > 0;
}

bool LibraryHistory::canRedo() const {
    return m_done < m_steps.size();
}

QString LibraryHistory::stepName(const Step& step) const {
    switch (step.kind) {
    case Step::Kind::remove:
        return step.changes.size() == 1
                   ? tr("Delete Bookmark")
                   : tr("Delete %1 Bookmarks")
                         .arg(localenumbers::count(qsizetype(step.changes.size())));
    case Step::Kind::add:
        return tr("Add Bookmark");
    case Step::Kind::edit:
        return tr("Edit Bookmark");
    case Step::Kind::addTag:
        return tr("Add Tag");
    case Step::Kind::removeTag:
        return tr("Remove Tag");
    }
    return {};
}

QString LibraryHistory::undoText() const {
    return canUndo() ? tr("Undo %1").arg(stepName(m_steps[m_done - 1])) : tr("Undo");
}

QString LibraryHistory::redoText() const {
    return canRedo() ? tr("Redo %1").arg(stepName(m_steps[m_done])) : tr("Redo");
}

HistoryOutcome LibraryHistory::undo() {
    return canUndo() ? replay(Direction::back) : HistoryOutcome{};
}

HistoryOutcome LibraryHistory::redo() {
    return canRedo() ? replay(Direction::forward) : HistoryOutcome{};
}

HistoryOutcome LibraryHistory::replay(Direction direction) {
    const bool back = direction == Direction::back;
    const std::size_t index = back ? m_done - 1 : m_done;
    Step& step = m_steps[index];
    auto write = m_context.beginWrite();

    // A bookmark comes back only while no other in the library has its id
    // (an import, another window may have brought it back). Only what
    // changed since the step can have, so only that is looked at, while the
    // context still remembers it.
    std::optional<QSet<QUuid>> liveIds;
    const auto idIsLive = [&](const QUuid& id) {
        if (!liveIds) {
            liveIds.emplace();
            std::vector<Bookmark> candidates;
            if (auto changed = m_context.changedSince(step.changeCount)) {
                for (store::ModelObject& object : *changed)
                    candidates.emplace_back(std::move(object));
            } else {
                candidates = library::allBookmarks(m_context);
            }
            for (const Bookmark& bookmark : candidates) {
                if (inLibrary(bookmark, m_context))
                    liveIds->insert(bookmark.id());
            }
        }
        return liveIds->contains(id);
    };
    const bool expectedInLibrary = back ? step.inLibraryAfter() : step.inLibraryBefore();
    const bool targetInLibrary = back ? step.inLibraryBefore() : step.inLibraryAfter();
    std::vector<Change> kept;
    std::vector<store::ModelObject> gone, returning;
    for (Change& change : step.changes) {
        const Bookmark& bookmark = change.bookmark;
        const Fields* expected = (back ? change.after : change.before).get();
        const Fields* target = (back ? change.before : change.after).get();
        const bool untouched = inLibrary(bookmark, m_context) == expectedInLibrary &&
                               (expected ? storedFields(bookmark) == *expected
                                         : bookmark.object().revision() == change.revision) &&
                               (expectedInLibrary || !idIsLive(bookmark.id()));
        if (!untouched)
            continue;
        if (target)
            writeFields(bookmark, *target);
        if (!targetInLibrary)
            gone.push_back(bookmark.object());
        else if (!expectedInLibrary)
            returning.push_back(bookmark.object());
        kept.push_back(std::move(change));
    }
    const auto leftAlone = qsizetype(step.changes.size() - kept.size());
    step.changes = std::move(kept);
    m_context.remove(gone);
    m_context.insert(returning);
    for (Change& change : step.changes)
        change.revision = change.bookmark.object().revision();

    HistoryOutcome outcome = committed(write);
    step.changeCount = m_context.changeCount();
    outcome.leftAlone = leftAlone;
    if (leftAlone == 1)
        outcome.message = tr("One bookmark was changed elsewhere and was left as it is.");
    else if (leftAlone > 1)
        outcome.message = tr("%1 bookmarks were changed elsewhere and were left as they are.")
                              .arg(localenumbers::count(leftAlone));
    // What is left of a step the others' changes took over is all that
    // later undoing or redoing can touch; a step with nothing left goes.
    if (step.changes.empty()) {
        m_steps.erase(m_steps.begin() + std::ptrdiff_t(index));
        m_done = index;
    } else {
        m_done = back ? m_done - 1 : m_done + 1;
    }
    Q_EMIT historyChanged();
    return outcome;
}
