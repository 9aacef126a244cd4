#include "Corvina/TagSidebar/TagSidebar.h"

#include "Corvina/TagSidebar/TagSidebarModel.h"
#include "Corvina/Tags/TagCounts.h"

#include <QAbstractItemModelTester>
#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Shown {
    QString text;
    qlonglong count;
};

// The rows as the user reads them; the heading shows with count -1.
std::vector<Shown> rows(const TagSidebarModel& model) {
    std::vector<Shown> result;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        const QVariant count = index.data(TagSidebarModel::CountRole);
        result.push_back({index.data().toString(), count.isValid() ? count.toLongLong() : -1});
    }
    return result;
}

bool operator==(const Shown& a, const Shown& b) {
    return a.text == b.text && a.count == b.count;
}

void PrintTo(const Shown& shown, std::ostream* out) {
    *out << shown.text.toStdString() << ":" << shown.count;
}

class TagSidebarTest : public testing::Test {
protected:
    TagSidebarTest() {
        sidebar.resize(240, 400);
        sidebar.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&sidebar));
    }

    // A library of bookmarks with these tags.
    void showLibrary(const QList<QStringList>& tagLists) {
        sidebar.setCounts(tagLists.size(), tagCounts(tagLists));
    }

    void click(int row) {
        const QModelIndex index = sidebar.model()->index(row);
        QTest::mouseClick(sidebar.list()->viewport(), Qt::LeftButton, {},
                          sidebar.list()->visualRect(index).center());
    }

    QModelIndexList selectedRows() const {
        return sidebar.list()->selectionModel()->selectedIndexes();
    }

    std::optional<TagSelection> selection = TagSelection::all();
    TagSidebar sidebar{TagSelectionBinding::to(selection)};
    QAbstractItemModelTester tester{sidebar.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(TagSidebarTest, EmptyLibraryShowsOnlyAllBookmarksWithZero) {
    showLibrary({});
    EXPECT_EQ(rows(*sidebar.model()), (std::vector<Shown>{{QStringLiteral("All Bookmarks"), 0}}));
    EXPECT_EQ(sidebar.windowTitle(), QStringLiteral("Corvina"));
}

TEST_F(TagSidebarTest, TagsSectionListsTagCountsUnderItsHeading) {
    showLibrary({{QStringLiteral("rust"), QStringLiteral("rust")},
                          {QStringLiteral("Rust")}, {}});
    // A tag twice on one bookmark counts twice; the library counts it once.
    EXPECT_EQ(rows(*sidebar.model()), (std::vector<Shown>{{QStringLiteral("All Bookmarks"), 3},
                                                          {QStringLiteral("Tags"), -1},
                                                          {QStringLiteral("Rust"), 1},
                                                          {QStringLiteral("rust"), 2}}));
    EXPECT_EQ(sidebar.model()->flags(sidebar.model()->index(1)), Qt::NoItemFlags);
    EXPECT_TRUE(sidebar.model()->index(1).data(Qt::DecorationRole).isNull());
    EXPECT_FALSE(sidebar.model()->index(2).data(Qt::DecorationRole).value<QIcon>().isNull());
}

TEST_F(TagSidebarTest, ChoosingARowWritesTheBinding) {
    showLibrary({{QStringLiteral("news"), QStringLiteral("video")}});
    QSignalSpy chosen(&sidebar, &TagSidebar::selectionChosen);

    click(3);
    EXPECT_EQ(selection, TagSelection::tag(QStringLiteral("video")));
    EXPECT_EQ(chosen.count(), 1);

    click(1); // the heading
    EXPECT_EQ(selection, TagSelection::tag(QStringLiteral("video")));
    EXPECT_EQ(chosen.count(), 1);

    click(0);
    EXPECT_EQ(selection, TagSelection::all());
    EXPECT_EQ(chosen.count(), 2);

    // The arrow keys step over the heading.
    QTest::keyClick(sidebar.list(), Qt::Key_Down);
    EXPECT_EQ(selection, TagSelection::tag(QStringLiteral("news")));
    EXPECT_EQ(chosen.count(), 3);
}

TEST_F(TagSidebarTest, ShowsTheBoundSelection) {
    showLibrary({{QStringLiteral("news")}});
    ASSERT_EQ(selectedRows().size(), 1);
    EXPECT_EQ(selectedRows().first().row(), 0);

    selection = TagSelection::tag(QStringLiteral("news"));
    sidebar.refreshSelection();
    ASSERT_EQ(selectedRows().size(), 1);
    EXPECT_EQ(selectedRows().first().row(), 2);

    selection.reset();
    sidebar.refreshSelection();
    EXPECT_TRUE(selectedRows().isEmpty());
}

TEST_F(TagSidebarTest, SelectedTagThatDisappearsStaysSelected) {
    showLibrary({{QStringLiteral("gone")}, {QStringLiteral("kept")}});
    click(2);
    ASSERT_EQ(selection, TagSelection::tag(QStringLiteral("gone")));
    QSignalSpy chosen(&sidebar, &TagSidebar::selectionChosen);

    showLibrary({{QStringLiteral("kept")}});
    EXPECT_EQ(selection, TagSelection::tag(QStringLiteral("gone")));
    EXPECT_TRUE(selectedRows().isEmpty());
    EXPECT_EQ(chosen.count(), 0);

    // It comes back highlighted when the tag does.
    showLibrary({{QStringLiteral("gone")}});
    ASSERT_EQ(selectedRows().size(), 1);
    EXPECT_EQ(selectedRows().first().data().toString(), QStringLiteral("gone"));
}

} // namespace
