#include "Corvina/BookmarkRow/BookmarkRowDelegate.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "platform/Notifications/NotificationCenter.h"
#include "shared/Preferences.h"
#include "tests/Corvina/BookmarkRow/RowFixtureModel.h"
#include "tests/support/Testing.h"

#include <QImage>
#include <QListView>
#include <QNetworkAccessManager>
#include <QPainter>

namespace {

class BookmarkRowDelegateTest : public testing::Test {
protected:
    void SetUp() override { Preferences::shared().setShowDescriptions(false); }

    int height(const QModelIndex& index) {
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 480, 0);
        return delegate.sizeHint(option, index).height();
    }

    QNetworkAccessManager network;
    FaviconStore icons{network};
    BookmarkRowDelegate delegate{icons, Preferences::shared()};
};

// Long titles and many tags stay within two lines each; the description line
// follows the preference.
TEST_F(BookmarkRowDelegateTest, RowHeights) {
    rowfixture::RowModel model({{u"Title"_s, u"A note worth reading"_s, u"a.example"_s, {}},
                                {u"Title"_s, u"  \n \n "_s, u"a.example"_s, {}},
                                {QString(40, u'W') + u" words "_s.repeated(40),
                                 {},
                                 u"a.example"_s,
                                 QStringList(30, u"a-longer-tag"_s)}});
    const int plain = height(model.index(0));
    EXPECT_EQ(height(model.index(1)), plain);
    EXPECT_GT(height(model.index(2)), plain);
    EXPECT_LT(height(model.index(2)), plain * 3); // two title lines and two flow lines at most
    QSignalSpy relayout(&delegate, &BookmarkRowDelegate::rowHeightsChanged);
    Preferences::shared().setShowDescriptions(true);
    EXPECT_EQ(relayout.size(), 1);
    EXPECT_GT(height(model.index(0)), plain);
    EXPECT_EQ(height(model.index(1)), plain); // white space only: no line
}

TEST_F(BookmarkRowDelegateTest, IconsComeFromTheDiskCacheOnceAndOnReady) {
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    ASSERT_TRUE(icon.save(icons.cacheFilePath(u"cached.example"_s), "PNG"));
    rowfixture::RowModel model({{u"T"_s, {}, u"cached.example"_s, {}}});
    QSignalSpy arrived(&delegate, &BookmarkRowDelegate::iconArrived);
    QImage frame(480, 60, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&frame);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 480, 60);
    delegate.paint(&painter, option, model.index(0));
    delegate.paint(&painter, option, model.index(0));
    ASSERT_TRUE(arrived.wait(testenv::kPatience));
    EXPECT_EQ(arrived.size(), 1);
    EXPECT_TRUE(icons.memoryIcon(u"cached.example"_s).has_value());

    NotificationCenter::defaultCenter().post(appnotification::kFaviconReady, {},
                                             {{u"host"_s, u"other.example"_s}});
    ASSERT_EQ(arrived.size(), 2);
    EXPECT_EQ(arrived.last().first().toString(), u"other.example"_s);
}

TEST_F(BookmarkRowDelegateTest, EditButtonShowsOnHoverAndReportsClicks) {
    rowfixture::RowModel model(rowfixture::sampleRows(3));
    QListView view;
    view.setModel(&model);
    view.setItemDelegate(&delegate);
    delegate.attach(view);
    view.resize(480, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QModelIndex first = model.index(0);
    EXPECT_EQ(delegate.editButtonOpacity(first), 0);

    delegate.setHoveredIndex(first); // fades in
    EXPECT_LT(delegate.editButtonOpacity(first), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return delegate.editButtonOpacity(first) == 1; }, 5000));
    delegate.setReduceMotion(true);
    delegate.setHoveredIndex(model.index(1)); // at once
    EXPECT_EQ(delegate.editButtonOpacity(first), 0);
    EXPECT_EQ(delegate.editButtonOpacity(model.index(1)), 1);

    QSignalSpy edits(&delegate, &BookmarkRowDelegate::editRequested);
    const QPoint button =
        BookmarkRowDelegate::editButtonRect(QRectF(view.visualRect(first))).center().toPoint();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, button);
    ASSERT_EQ(edits.size(), 1);
    EXPECT_EQ(edits.first().first().toModelIndex(), first);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(first).center());
    EXPECT_EQ(edits.size(), 1); // elsewhere in the row: no edit
}

} // namespace
