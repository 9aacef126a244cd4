#include "Corvina/TagSidebar/TagSidebar.h"

#include "Corvina/TagSidebar/TagSidebarModel.h"
#include "Corvina/Tags/TagCounts.h"
#include "tests/support/Testing.h"

#include <QAbstractItemModelTester>
#include <QListView>

namespace {

// The rows as the user reads them, "name:count" with "|" between; the
// heading has no count.
QString rows(const TagSidebarModel& model) {
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        const QVariant count = index.data(TagSidebarModel::CountRole);
        result << index.data().toString() + (count.isValid() ? u':' + count.toString() : QString());
    }
    return result.join(u'|');
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

TEST_F(TagSidebarTest, TagsSectionListsTagCountsUnderItsHeading) {
    // An empty library: only All Bookmarks, with zero.
    showLibrary({});
    EXPECT_EQ(rows(*sidebar.model()), u"All Bookmarks:0"_s);
    EXPECT_EQ(sidebar.windowTitle(), u"Corvina"_s);
    showLibrary({{u"rust"_s, u"rust"_s}, {u"Rust"_s}, {}});
    // A tag twice on one bookmark counts twice; the library counts it once.
    EXPECT_EQ(rows(*sidebar.model()), u"All Bookmarks:3|Tags|Rust:1|rust:2"_s);
    EXPECT_EQ(sidebar.model()->flags(sidebar.model()->index(1)), Qt::NoItemFlags);
    EXPECT_TRUE(sidebar.model()->index(1).data(Qt::DecorationRole).isNull());
    EXPECT_FALSE(sidebar.model()->index(2).data(Qt::DecorationRole).value<QIcon>().isNull());

    // The column's widths follow a font twice the reference body.
    sidebar.setColumnWidths(180, 220, 320);
    QFont font = sidebar.font();
    font.setPixelSize(26);
    sidebar.setFont(font);
    EXPECT_EQ(std::pair(sidebar.minimumWidth(), sidebar.sizeHint().width()), std::pair(360, 440));
}

TEST_F(TagSidebarTest, ChoosingARowWritesTheBinding) {
    showLibrary({{u"news"_s, u"video"_s}});
    QSignalSpy chosen(&sidebar, &TagSidebar::selectionChosen);

    click(3);
    EXPECT_EQ(selection, TagSelection::tag(u"video"_s));
    EXPECT_EQ(chosen.count(), 1);

    click(1); // the heading
    EXPECT_EQ(selection, TagSelection::tag(u"video"_s));
    EXPECT_EQ(chosen.count(), 1);

    click(0);
    EXPECT_EQ(selection, TagSelection::all());
    EXPECT_EQ(chosen.count(), 2);

    // The arrow keys step over the heading.
    QTest::keyClick(sidebar.list(), Qt::Key_Down);
    EXPECT_EQ(selection, TagSelection::tag(u"news"_s));
    EXPECT_EQ(chosen.count(), 3);
}

// The bound selection is shown; a selected tag that disappears stays selected.
TEST_F(TagSidebarTest, ShowsTheBoundSelectionEvenWhenItsTagIsGone) {
    showLibrary({{u"gone"_s}, {u"kept"_s}});
    ASSERT_EQ(selectedRows().size(), 1);
    EXPECT_EQ(selectedRows().first().row(), 0);
    selection.reset();
    sidebar.refreshSelection();
    EXPECT_TRUE(selectedRows().isEmpty());
    selection = TagSelection::tag(u"kept"_s);
    sidebar.refreshSelection();
    ASSERT_EQ(selectedRows().size(), 1);
    EXPECT_EQ(selectedRows().first().row(), 3);

    click(2);
    ASSERT_EQ(selection, TagSelection::tag(u"gone"_s));
    QSignalSpy chosen(&sidebar, &TagSidebar::selectionChosen);

    showLibrary({{u"kept"_s}});
    EXPECT_EQ(selection, TagSelection::tag(u"gone"_s));
    EXPECT_TRUE(selectedRows().isEmpty());
    EXPECT_EQ(chosen.count(), 0);

    // It comes back highlighted when the tag does.
    showLibrary({{u"gone"_s}});
    ASSERT_EQ(selectedRows().size(), 1);
    EXPECT_EQ(selectedRows().first().data().toString(), u"gone"_s);
}

} // namespace
