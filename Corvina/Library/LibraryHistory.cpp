#include "Corvina/Library/LibraryHistory.h"

#include "Corvina/Library/LibraryStore.h"
#include "platform/Core/IsoDate.h"
#include "platform/Store/ModelContext.h"

#include <QLocale>
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

// One bookmark before and after a step; nothing where it did not exist.
struct Change {
    Bookmark bookmark;
    std::optional<Fields> before, after;
};

} // namespace historystep

struct LibraryHistory::Step {
    enum class Kind { remove, add, edit, addTag, removeTag };
    Kind kind;
    std::vector<historystep::Change> changes;
};

namespace {

using historystep::Fields;

Fields storedFields(const Bookmark& bookmark) {
    return {bookmark.id(),      bookmark.urlString(), bookmark.title(),    bookmark.note(),
            bookmark.tags(),    bookmark.createdAt(), bookmark.updatedAt()};
}

Fields payloadFields(const BookmarkPayload& payload) {
    return {payload.id,   payload.url.absoluteString(), payload.title,   payload.description,
            payload.tags, payload.createdAt,            payload.updatedAt};
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

} // namespace

LibraryHistory::LibraryHistory(store::ModelContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context) {}

LibraryHistory::~LibraryHistory() = default;

namespace {

// A bookmark's values while it is in the library, else nothing.
std::optional<Fields> currentFields(const Bookmark& bookmark, const store::ModelContext& context) {
    if (bookmark.object().context() != &context || bookmark.object().isDeleted())
        return std::nullopt;
    return storedFields(bookmark);
}

} // namespace

// Every write begins the store write first: that takes the lock and brings
// in what other programs committed, so the step sees their changes and no
// other program writes between the look and the commit. When the lock cannot
// be had, the step works from what the context knows and its change waits
// in the context for the next save, as any failed save's does.
HistoryOutcome LibraryHistory::remove(std::span<const Bookmark> bookmarks) {
    auto write = m_context.beginWrite();
    Step step{Step::Kind::remove, {}};
    std::vector<store::ModelObject> objects;
    QSet<Bookmark> seen;
    for (const Bookmark& bookmark : bookmarks) {
        std::optional<Fields> fields = currentFields(bookmark, m_context);
        if (!fields || seen.contains(bookmark))
            continue;
        seen.insert(bookmark);
        objects.push_back(bookmark.object());
        step.changes.push_back({bookmark, std::move(fields), std::nullopt});
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
    auto write = m_context.beginWrite();
    Step step{add ? Step::Kind::addTag : Step::Kind::removeTag, {}};
    const QDateTime now = isodate::now();
    // A bookmark listed twice is changed the first time and then no longer
    // needs it.
    for (const Bookmark& bookmark : bookmarks) {
        std::optional<Fields> before = currentFields(bookmark, m_context);
        if (!before || tag.isEmpty())
            continue;
        QStringList tags = before->tags;
        if (add && !tags.contains(tag))
            tags.append(tag);
        else if (add || tags.removeAll(tag) == 0)
            continue;
        Bookmark written = bookmark;
        written.setTags(tags);
        written.setUpdatedAt(now);
        step.changes.push_back({bookmark, std::move(before), storedFields(bookmark)});
    }
    HistoryOutcome outcome = committed(write);
    push(std::move(step));
    return outcome;
}

void LibraryHistory::recordAdd(const Bookmark& bookmark) {
    if (std::optional<Fields> fields = currentFields(bookmark, m_context))
        push(Step{Step::Kind::add, {{bookmark, std::nullopt, std::move(fields)}}});
}

void LibraryHistory::recordEdit(const BookmarkPayload& before, const Bookmark& bookmark) {
    if (std::optional<Fields> fields = currentFields(bookmark, m_context))
        push(Step{Step::Kind::edit, {{bookmark, payloadFields(before), std::move(fields)}}});
}

void LibraryHistory::push(Step step) {
    if (step.changes.empty())
        return;
    m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_done), m_steps.end());
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
                   : tr("Delete %1 Bookmarks").arg(QLocale().toString(qsizetype(step.changes.size())));
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

    // Ids of the library, read only when a bookmark is to come back: one
    // that has come back meanwhile (an import, another window) is not doubled.
    std::optional<QSet<QUuid>> liveIds;
    const auto idIsLive = [&](const QUuid& id) {
        if (!liveIds) {
            liveIds.emplace();
            for (const Bookmark& bookmark : library::allBookmarks(m_context))
                liveIds->insert(bookmark.id());
        }
        return liveIds->contains(id);
    };
    std::vector<historystep::Change> kept;
    std::vector<store::ModelObject> gone, returning;
    for (historystep::Change& change : step.changes) {
        const std::optional<Fields>& expected = back ? change.after : change.before;
        const std::optional<Fields>& target = back ? change.before : change.after;
        if (currentFields(change.bookmark, m_context) != expected ||
            (!expected && idIsLive(target->id)))
            continue;
        if (!target) {
            gone.push_back(change.bookmark.object());
        } else {
            writeFields(change.bookmark, *target);
            if (!expected)
                returning.push_back(change.bookmark.object());
        }
        kept.push_back(std::move(change));
    }
    const auto leftAlone = qsizetype(step.changes.size() - kept.size());
    step.changes = std::move(kept);
    m_context.remove(gone);
    m_context.insert(returning);

    HistoryOutcome outcome = committed(write);
    outcome.leftAlone = leftAlone;
    if (leftAlone == 1)
        outcome.message = tr("One bookmark was changed elsewhere and was left as it is.");
    else if (leftAlone > 1)
        outcome.message = tr("%1 bookmarks were changed elsewhere and were left as they are.")
                              .arg(QLocale().toString(leftAlone));
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
