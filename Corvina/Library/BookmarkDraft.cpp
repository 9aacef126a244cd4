#include "Corvina/Library/BookmarkDraft.h"

#include "platform/Core/IsoDate.h"
#include "platform/Store/ModelContext.h"

namespace draft {
namespace {
bool isSpaceOrTab(QChar c) {
    return c == u' ' || c == u'\t';
}
} // namespace

QString trimSpacesAndTabs(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text.at(begin)))
        ++begin;
    while (end > begin && isSpaceOrTab(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QStringList parsedTags(const QString& tagsField) {
    QStringList tags;
    for (const QString& piece : tagsField.split(u',')) {
        QString tag = trimSpacesAndTabs(piece);
        if (!tag.isEmpty())
            tags.append(std::move(tag));
    }
    return tags;
}

bool canSave(const BookmarkDraft& draft) {
    return Url::parse(trimSpacesAndTabs(draft.url)).has_value() &&
           !trimSpacesAndTabs(draft.title).isEmpty();
}

std::optional<Bookmark> write(store::ModelContext& context, const BookmarkDraft& draft,
                              const std::optional<Bookmark>& existing) {
    const std::optional<Url> url = Url::parse(trimSpacesAndTabs(draft.url));
    if (!url)
        return std::nullopt;
    const QString title = trimSpacesAndTabs(draft.title);
    const QStringList tags = parsedTags(draft.tagsField);

    std::optional<Bookmark> written = existing;
    if (written) {
        written->setUrl(*url);
        written->setTitle(title);
        written->setNote(draft.description);
        written->setTags(tags);
        written->setUpdatedAt(isodate::now());
    } else {
        written.emplace(QUuid::createUuid(), *url, title, draft.description, tags, isodate::now());
        context.insert(written->object());
    }
    return written;
}

std::optional<Bookmark> save(store::ModelContext& context, const BookmarkDraft& draft,
                             const std::optional<Bookmark>& existing) {
    std::optional<Bookmark> written = write(context, draft, existing);
    if (written)
        (void)context.save();
    return written;
}

} // namespace draft
