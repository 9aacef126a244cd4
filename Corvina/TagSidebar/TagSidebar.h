#pragma once

#include "Corvina/Tags/TagCounts.h"
#include "Corvina/Tags/TagSelection.h"

#include <QWidget>
#include <functional>
#include <optional>

class QListView;
class TagSidebarModel;

// Reads and writes a selection that someone else owns (the library window).
struct TagSelectionBinding {
    std::function<std::optional<TagSelection>()> get;
    std::function<void(const std::optional<TagSelection>&)> set;

    // Binds to `storage`, which must outlive the binding's users.
    static TagSelectionBinding to(std::optional<TagSelection>& storage);
};

// The library window's left column: "All Bookmarks" with the size of the
// library and, under "Tags", every tag in use with its count. Choosing an
// entry writes the bound selection. The sidebar keeps no selection of its
// own: a selected tag that disappears from the library stays selected in the
// binding, and then no row is highlighted.
class TagSidebar : public QWidget {
    Q_OBJECT
public:
    explicit TagSidebar(TagSelectionBinding selection, QWidget* parent = nullptr);
    ~TagSidebar() override;

    // The whole library's size and tag counts (tagCounts() or a
    // TagCounter's); call again whenever the library changes.
    void setCounts(qsizetype bookmarkCount, const std::vector<TagCount>& counts);
    // Call after changing the bound selection from elsewhere.
    void refreshSelection();

    QListView* list() const { return m_list; }
    TagSidebarModel* model() const { return m_model; }

    // The column's widths as laid out for the reference body size; the
    // sidebar scales them with the font in use, so a larger desktop font
    // widens the column instead of clipping the names and counts.
    void setColumnWidths(int minimum, int ideal, int maximum);
    // Its width is the ideal one.
    QSize sizeHint() const override;

Q_SIGNALS:
    // The user chose an entry; the binding already holds it.
    void selectionChosen();

protected:
    void changeEvent(QEvent* event) override;

private:
    void choose(const QModelIndex& index);
    void applyColumnWidths();
    int scaled(int width) const;

    TagSelectionBinding m_selection;
    TagSidebarModel* m_model = nullptr;
    QListView* m_list = nullptr;
    bool m_applying = false;
    int m_minimumWidth = 160;
    int m_idealWidth = 220;
    int m_maximumWidth = QWIDGETSIZE_MAX;
};
