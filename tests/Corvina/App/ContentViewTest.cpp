#include "Corvina/App/ContentView.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/App/EmptyStateView.h"
#include "Corvina/App/PassingNotice.h"
#include "Corvina/BookmarkEditor/BookmarkEditor.h"
#include "Corvina/BookmarkRow/BookmarkListView.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "Corvina/TagSidebar/TagSidebar.h"
#include "platform/Defaults/UserDefaults.h"
#include "platform/Notifications/NotificationCenter.h"
#include "shared/Preferences.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QMimeData>
#include <QPushButton>
#include <QNetworkAccessManager>

namespace {

// Stands in for the browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url.toString(); }
};

class ContentViewTest : public testing::Test {
protected:
    ContentViewTest() {
        // No fetches or clipboard: the sheet shows exactly what it was handed.
        preferences.setAutoFetchMetadata(false);
        preferences.setAutofillFromClipboard(false);
        view = std::make_unique<ContentView>(
            ContentServices{lib.context(), preferences, network, favicons});
        view->resize(900, 600);
        view->show();
    }

    TestLibrary lib;
    QNetworkAccessManager network;
    QTemporaryDir cache;
    Preferences preferences{UserDefaults::openSuite(u"test.contentview"_s)};
    FaviconStore favicons{network, {cache.path(), {}}};
    std::unique_ptr<ContentView> view;
};

TEST_F(ContentViewTest, RequestsAndDropsOpenTheAddSheetPrefilled) {
    auto& centre = NotificationCenter::defaultCenter();
    centre.post(appnotification::kPrefillBookmarkRequested, u"not a prefill"_s);
    EXPECT_FALSE(view->addSheet());
    centre.post(appnotification::kPrefillBookmarkRequested,
                QVariant::fromValue(PrefillBookmark{u"https://a.test/"_s, u"A page"_s}));
    ASSERT_TRUE(view->addSheet());
    EXPECT_EQ(view->addSheet()->linkField()->text(), u"https://a.test/");
    EXPECT_EQ(view->addSheet()->titleField()->text(), u"A page");
    view->addSheet()->reject();
    QCoreApplication::processEvents();
    ASSERT_FALSE(view->addSheet());

    QMimeData text;
    text.setText(u"  https://dropped.test/page \n"_s);
    EXPECT_TRUE(view->acceptDrop(text));
    ASSERT_TRUE(view->addSheet());
    EXPECT_EQ(view->addSheet()->linkField()->text(), u"https://dropped.test/page");
    EXPECT_TRUE(view->addSheet()->titleField()->text().isEmpty());
    view->addSheet()->reject();
    QCoreApplication::processEvents();

    // The pending prefill went with the sheet: a plain add starts empty.
    centre.post(appnotification::kAddBookmarkRequested);
    ASSERT_TRUE(view->addSheet());
    EXPECT_TRUE(view->addSheet()->linkField()->text().isEmpty());
    view->addSheet()->reject();
}

// The placeholder shows only while the library is empty; a deletion is saved
// at once; the title follows the tag chosen.
TEST_F(ContentViewTest, PlaceholderDeletionAndTitle) {
    EXPECT_TRUE(view->emptyState()->isVisible());
    EXPECT_EQ(view->emptyState()->titleLabel()->text(), u"No bookmarks yet");
    lib.add(u"Keep"_s, u"https://keep.test/"_s, {u"Rust"_s});
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->emptyState()->isVisible());
    lib.add(u"Drop"_s, u"https://drop.test/"_s, {u"rust"_s});
    QCoreApplication::processEvents();
    ASSERT_EQ(view->model().rowCount(), 2);
    view->remove(*view->model().bookmarkAt(0));
    QCoreApplication::processEvents();
    EXPECT_EQ(view->model().rowCount(), 1);
    EXPECT_FALSE(lib.context().hasChanges()) << "the deletion is saved at once";

    QSignalSpy title(view.get(), &ContentView::windowTitleChanged);
    EXPECT_EQ(view->windowTitle(), u"All Bookmarks");
    QListView* tags = view->sidebar()->list();
    for (int row = 0; row < tags->model()->rowCount(); ++row) {
        const QModelIndex index = tags->model()->index(row, 0);
        if (index.data().toString() == u"Rust") {
            QTest::mouseClick(tags->viewport(), Qt::LeftButton, {},
                              tags->visualRect(index).center());
        }
    }
    ASSERT_EQ(title.size(), 1);
    EXPECT_EQ(title.first().first().toString(), u"Rust");
    EXPECT_EQ(view->model().rowCount(), 1);
    view->setQuery(u"nothing matches this"_s);
    EXPECT_EQ(view->list()->model()->rowCount(), 0);
    EXPECT_FALSE(view->emptyState()->isVisible()) << "a search that matches nothing is not empty";
    EXPECT_EQ(view->findChild<QLabel*>(u"noMatch"_s)->text(),
              u"No bookmarks match \u201Cnothing matches this\u201D");
}

// Whatever changes, the row at the top stays at the top and the selection
// stays selected; at any width the rows neither overlap nor leave gaps.
TEST_F(ContentViewTest, ListKeepsItsPlaceAndLaysOutAtEveryWidth) {
    for (int i = 0; i < 300; ++i)
        lib.add(u"Page %1 %2"_s.arg(i).arg(QString(i % 7 * 12, u'w')), u"https://p.example/"_s,
                {u"t%1"_s.arg(i % 5), u"another tag"_s, u"third"_s});
    QCoreApplication::processEvents();
    BookmarkListView* list = view->list();
    list->scrollTo(view->model().index(150), QAbstractItemView::PositionAtTop);
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->value() + 13);
    list->selectionModel()->select(QItemSelection(view->model().index(152), view->model().index(154)),
                                   QItemSelectionModel::Select);
    const auto place = [&] {
        QStringList seen{list->topIndex().data().toString(), QString::number(list->topOffset())};
        for (const Bookmark& b : view->selectedBookmarks())
            seen << b.title();
        return seen;
    };
    const auto checkRows = [&] {
        list->grab(); // paints, measuring the rows in view
        QRect previous;
        for (QModelIndex index = list->topIndex(); index.isValid();
             index = index.siblingAtRow(index.row() + 1)) {
            const QRect rect = list->visualRect(index);
            if (rect.top() >= list->viewport()->height())
                break;
            QStyleOptionViewItem option;
            option.rect = QRect(0, 0, list->viewport()->width(), 0);
            EXPECT_EQ(rect.height(), list->itemDelegate()->sizeHint(option, index).height());
            if (previous.isValid()) {
                EXPECT_EQ(rect.top(), previous.bottom() + 1) << "row " << index.row();
            }
            previous = rect;
        }
    };
    checkRows();
    const QStringList before = place();
    const auto row = [&](int r) { return *view->model().bookmarkAt(r); };
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"a row above deleted", [&] { view->remove(row(20)); }},
        {"the top row deleted elsewhere", [&] {}},
        {"a bookmark added", [&] { lib.add(u"New"_s, u"https://new.example/"_s); }},
        {"a row above edited taller", [&] { Bookmark(row(3)).setTitle(QString(400, u'x')); }},
        {"narrower", [&] { view->resize(640, 600); }},
        {"wider", [&] { view->resize(1400, 600); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        (void)lib.context().save();
        QCoreApplication::processEvents();
        const QStringList now = place();
        EXPECT_EQ(now.mid(2), before.mid(2)) << "the selection";
        EXPECT_EQ(now.first(), before.first()) << "the top row";
        checkRows();
    }
}

// The list from the keyboard: each step presses a key in the list and checks
// the current row, the selection and what the key did.
TEST_F(ContentViewTest, KeyboardDrivesTheList) {
    for (int i = 0; i < 30; ++i)
        lib.add(u"Page %1"_s.arg(i), u"https://p%1.example/"_s.arg(i));
    QCoreApplication::processEvents();
    UrlCatcher opened;
    QDesktopServices::setUrlHandler(u"https"_s, &opened, "open");
    BookmarkListView* list = view->list();
    QSignalSpy leave(view.get(), &ContentView::leaveListRequested);
    view->focusList();
    const auto selectedRows = [&] {
        QList<int> rows;
        for (const QModelIndex& index : list->selectionModel()->selectedRows())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int current;
        QList<int> selected;
    } steps[] = {
        {Qt::Key_Down, {}, 1, {1}},
        {Qt::Key_Down, Qt::ShiftModifier, 2, {1, 2}},
        {Qt::Key_Down, Qt::ControlModifier, 3, {1, 2}},
        {Qt::Key_Space, Qt::ControlModifier, 3, {1, 2, 3}},
        {Qt::Key_C, Qt::ControlModifier, 3, {1, 2, 3}},
        {Qt::Key_End, {}, 29, {29}},
        {Qt::Key_Home, {}, 0, {0}},
        {Qt::Key_PageDown, {}, -1, {}},
        {Qt::Key_A, Qt::ControlModifier, -2, {}},
        {Qt::Key_Home, {}, 0, {0}},
        {Qt::Key_Return, {}, 0, {0}},
        {Qt::Key_Escape, {}, 0, {0}},
        {Qt::Key_Delete, {}, 0, {0}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(QKeySequence(step.key | step.modifiers).toString().toStdString());
        QTest::keyClick(list, Qt::Key(step.key), step.modifiers);
        QCoreApplication::processEvents();
        if (step.current >= 0) {
            EXPECT_EQ(list->currentIndex().row(), step.current);
            EXPECT_EQ(selectedRows(), step.selected);
        } else if (step.current == -1) {
            EXPECT_GT(list->currentIndex().row(), 5) << "a page down moves by a screenful";
        } else {
            EXPECT_EQ(selectedRows().size(), view->model().rowCount());
        }
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              u"https://p28.example/\nhttps://p27.example/\nhttps://p26.example/");
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->urls().size(), 3);
    EXPECT_EQ(opened.urls, QStringList{u"https://p29.example/"_s});
    EXPECT_EQ(leave.size(), 1);
    EXPECT_EQ(view->model().rowCount(), 29) << "Delete removed the row";
    EXPECT_EQ(view->model().index(0).data().toString(), u"Page 28");
    EXPECT_EQ(view->notice()->text(), u"Deleted \u201CPage 29\u201D");
    view->notice()->actionButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->model().index(0).data().toString(), u"Page 29") << "undone from the notice";
    QTest::keyClick(list, Qt::Key_F2);
    EXPECT_TRUE(view->editSheet());
    QDesktopServices::unsetUrlHandler(u"https"_s);
}

} // namespace

#include "ContentViewTest.moc"
