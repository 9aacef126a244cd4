#include "Corvina/Favicons/FaviconBadge.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "platform/Notifications/NotificationCenter.h"
#include "tests/support/Testing.h"

#include <QImage>
#include <QNetworkAccessManager>
#include <QPainter>

TEST(FaviconBadgeTest, LetterAndColourComeFromTheDomain) {
    // Colours: blue, purple, pink, orange, green, teal, indigo, red, brown, mint.
    const struct {
        QString domain;
        int colour; // -1: not checked
        QString letter;
    } cases[] = {
        {u""_s, 1, u"?"_s},
        {u"example.com"_s, 0, u"E"_s},
        {u"github.com"_s, 5, u"G"_s},
        {u"b\u00fccher.de"_s, 2, u"B"_s},
        {u"\U0001F44D.ws"_s, 6, u"\U0001F44D"_s},
        {u"n\u0303andu.test"_s, -1, u"N\u0303"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.domain.toStdString());
        if (c.colour >= 0) {
            EXPECT_EQ(FaviconBadge::colorIndex(c.domain), c.colour);
        }
        EXPECT_EQ(FaviconBadge::letter(c.domain), c.letter);
    }
    EXPECT_EQ(FaviconBadge::tileColor(u""), FaviconBadge::tileColor(u"x"_s.left(0)));
}

TEST(FaviconBadgeTest, PicksUpTheIconWhenItsDomainIsAnnounced) {
    QTemporaryDir cache;
    QNetworkAccessManager network;
    FaviconStore store(network, {cache.path(), {}});
    FaviconBadge badge(store);
    QSignalSpy changed(&badge, &FaviconBadge::iconChanged);
    // The store joins this look-up to the badge's own, if that is still
    // reading: once it answers, the badge has had its answer too.
    const auto lookedUp = [&] {
        std::optional<std::optional<QImage>> icon;
        store.cachedIcon(u"site.test"_s, &badge, [&](std::optional<QImage> i) { icon = i; });
        return testenv::awaited(icon).has_value();
    };
    badge.setDomain(u"site.test"_s);
    ASSERT_TRUE(lookedUp());
    EXPECT_FALSE(badge.icon());

    // The icon lands in the disk cache, as a fetch would leave it.
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(store.cacheFilePath(u"site.test"_s), "PNG"));
    auto& centre = NotificationCenter::defaultCenter();
    centre.post(appnotification::kFaviconReady, {}, {{u"host"_s, u"other.test"_s}});
    centre.post(appnotification::kFaviconReady, {}, {{u"host"_s, QVariant(42)}});
    ASSERT_TRUE(lookedUp()); // and any look-up those started
    EXPECT_TRUE(changed.isEmpty()) << "only its own domain's announcement counts";
    centre.post(appnotification::kFaviconReady, {}, {{u"host"_s, u"site.test"_s}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return changed.size() == 1; }, 5000));
    ASSERT_TRUE(badge.icon());
    EXPECT_EQ(badge.icon()->size(), QSize(16, 16));

    // Painting either form of the tile stays inside its 32-point square.
    QImage canvas(40, 40, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    const QRectF tile(4, 4, FaviconBadge::kSide, FaviconBadge::kSide);
    badge.paint(painter, tile, QPalette());
    FaviconBadge::paintTile(painter, tile.translated(0, 0), u"example.com", nullptr, QPalette());
    painter.end();
    EXPECT_EQ(canvas.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(canvas.pixelColor(20, 20).alpha(), 255);
}
