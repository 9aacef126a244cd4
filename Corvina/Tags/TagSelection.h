#pragma once

#include <QHashFunctions>
#include <QString>
#include <optional>

// What the sidebar has chosen: every bookmark, or the bookmarks carrying one
// tag. Tags compare exactly, case included. A window holds it as an optional;
// no selection means the same as all().
class TagSelection {
public:
    static TagSelection all() { return TagSelection(std::nullopt); }
    static TagSelection tag(const QString& name) { return TagSelection(name); }

    bool isAll() const { return !m_tag.has_value(); }
    // The tag's name, or nothing for all().
    const std::optional<QString>& tagName() const { return m_tag; }

    friend bool operator==(const TagSelection& a, const TagSelection& b) {
        return a.m_tag == b.m_tag;
    }
    friend size_t qHash(const TagSelection& selection, size_t seed = 0) {
        return selection.m_tag ? qHashMulti(seed, 1, *selection.m_tag) : qHashMulti(seed, 0);
    }

private:
    explicit TagSelection(std::optional<QString> tag)
        : m_tag(std::move(tag)) {}

    std::optional<QString> m_tag;
};
