#include "Corvina/App/ContentView.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/App/EmptyStateView.h"
#include "Corvina/BookmarkEditor/BookmarkEditor.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "Corvina/TagSidebar/TagSidebar.h"
#include "platform/Defaults/UserDefaults.h"
#include "platform/Notifications/NotificationCenter.h"
#include "shared/Preferences.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QNetworkAccessManager>

namespace {

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
}

} // namespace
