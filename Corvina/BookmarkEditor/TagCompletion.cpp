#include "Corvina/BookmarkEditor/TagCompletion.h"

#include "Corvina/Library/BookmarkDraft.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace tagcompletion {
namespace {

QCollator caseInsensitiveCollator() {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

void sortCaseInsensitively(QStringList& tags) {
    const QCollator collator = caseInsensitiveCollator();
    std::stable_sort(tags.begin(), tags.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
}

} // namespace

QString folded(const QString& tag) {
    return QLocale().toLower(tag).normalized(QString::NormalizationForm_C);
}

QSet<QString> foldedSet(const QStringList& tags) {
    QSet<QString> set;
    set.reserve(tags.size());
    for (const QString& tag : tags)
        set.insert(folded(tag));
    return set;
}

QString currentFragment(const QString& tagsField) {
    const qsizetype comma = tagsField.lastIndexOf(u',');
    return comma < 0 ? tagsField : tagsField.mid(comma + 1);
}

QStringList committedTags(const QString& tagsField) {
    const qsizetype comma = tagsField.lastIndexOf(u',');
    return comma < 0 ? QStringList() : draft::parsedTags(tagsField.left(comma));
}

// "Typed" tags leave out the fragment being typed: counting it would hide the
// fragment's own new-tag chip, which is how a new tag is offered at all.
QStringList completions(const QStringList& allTags, const QString& tagsField) {
    const QString fragment = folded(draft::trimSpacesAndTabs(currentFragment(tagsField)));
    if (fragment.isEmpty())
        return {};
    const QSet<QString> typed = foldedSet(committedTags(tagsField));
    QStringList prefixed;
    QStringList containing;
    for (const QString& tag : allTags) {
        const QString lower = folded(tag);
        if (lower == fragment || typed.contains(lower) || !lower.contains(fragment))
            continue;
        (lower.startsWith(fragment) ? prefixed : containing).append(tag);
    }
    sortCaseInsensitively(prefixed);
    sortCaseInsensitively(containing);
    return prefixed + containing;
}

QStringList railSuggestions(const QStringList& suggestedTags, const QStringList& allTags,
                            const QString& tagsField) {
    const QSet<QString> typed = foldedSet(committedTags(tagsField));
    const QString fragment = draft::trimSpacesAndTabs(currentFragment(tagsField));
    QStringList chips;
    if (fragment.isEmpty()) {
        for (const QString& tag : suggestedTags) {
            if (!typed.contains(folded(tag)))
                chips.append(tag);
        }
        return chips;
    }
    chips = completions(allTags, tagsField);
    const QString lower = folded(fragment);
    if (!typed.contains(lower) && !foldedSet(allTags).contains(lower))
        chips.prepend(fragment);
    if (chips.size() > kMaxRailChips)
        chips.resize(kMaxRailChips);
    return chips;
}

QString applyTag(const QString& tagsField, const QString& tag) {
    QStringList pieces = tagsField.split(u',');
    pieces.last() = tag;
    QStringList kept;
    QSet<QString> seen;
    for (const QString& piece : std::as_const(pieces)) {
        const QString trimmed = draft::trimSpacesAndTabs(piece);
        if (trimmed.isEmpty())
            continue;
        const QString lower = folded(trimmed);
        if (seen.contains(lower))
            continue;
        seen.insert(lower);
        kept.append(trimmed);
    }
    return kept.join(QStringLiteral(", ")) + QStringLiteral(", ");
}

QStringList libraryTags(const std::vector<Bookmark>& bookmarks) {
    QStringList tags;
    QSet<QString> seen;
    for (const Bookmark& bookmark : bookmarks) {
        for (const QString& tag : bookmark.tags()) {
            const QString lower = folded(tag);
            if (!seen.contains(lower)) {
                seen.insert(lower);
                tags.append(tag);
            }
        }
    }
    sortCaseInsensitively(tags);
    return tags;
}

} // namespace tagcompletion
