#include "platform/Widgets/Typography.h"

#include "tests/support/Testing.h"

#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <cmath>
#include <memory>

using typography::TextStyle;

namespace {

qreal contrast(const QColor& a, const QColor& b) {
    const auto lum = [](const QColor& c) {
        const auto ch = [](qreal v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const qreal x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

QPalette darkPalette() {
    QPalette palette(QColor(0x30, 0x30, 0x30), QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    palette.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    return palette;
}

} // namespace

TEST(TypographyTest, StylesScaleWithTheFontAndSecondaryTextIsDimmedButReadable) {
    QFont body(u"DejaVu Sans"_s);
    body.setPointSizeF(9.75);
    EXPECT_DOUBLE_EQ(typography::font(TextStyle::body, body).pointSizeF(), 9.75);
    EXPECT_DOUBLE_EQ(typography::font(TextStyle::largeTitle, body).pointSizeF(), 19.5);
    EXPECT_DOUBLE_EQ(typography::font(TextStyle::caption, body).pointSizeF(), 7.5);
    EXPECT_TRUE(typography::font(TextStyle::headline, body).bold());
    EXPECT_FALSE(typography::font(TextStyle::body, body).bold());
    EXPECT_EQ(typography::font(TextStyle::caption, body).family(), body.family());

    QFont pixels = body;
    pixels.setPixelSize(26);
    EXPECT_EQ(typography::font(TextStyle::caption, pixels).pixelSize(), 20);
    // Lengths laid out for the 13-point body grow with the font and its resolution.
    EXPECT_DOUBLE_EQ(typography::scale(body, 96), 1.0); // 9.75 pt at 96 dpi: 13 pixels
    EXPECT_DOUBLE_EQ(typography::scale(body, 192), 2.0);
    EXPECT_DOUBLE_EQ(typography::scale(pixels, 96), 2.0);

    // Secondary text is dimmed but readable in light and dark.
    QPalette unreadablePlaceholder = darkPalette();
    unreadablePlaceholder.setColor(QPalette::PlaceholderText, QColor(0x1e, 0x1e, 0x1e));
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(u"Fusion"_s));
    for (const QPalette& palette :
         {fusion->standardPalette(), darkPalette(), unreadablePlaceholder}) {
        const QColor window = palette.color(QPalette::Window);
        const QColor text = palette.color(QPalette::WindowText);
        const QColor secondary = typography::secondaryTextColor(palette);
        EXPECT_EQ(secondary.alpha(), 255);
        EXPECT_GE(contrast(secondary, window), 2.5);
        EXPECT_LT(contrast(secondary, window), contrast(text, window));
    }
}
