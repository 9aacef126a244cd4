#include "platform/Widgets/SystemColors.h"

namespace systemcolors {

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor orange(const QPalette& palette) {
    return isDark(palette) ? QColor(0xff, 0x9f, 0x0a) : QColor(0xff, 0x95, 0x00);
}

QColor red(const QPalette& palette) {
    return isDark(palette) ? QColor(0xff, 0x45, 0x3a) : QColor(0xff, 0x3b, 0x30);
}

QColor green(const QPalette& palette) {
    return isDark(palette) ? QColor(0x30, 0xd1, 0x58) : QColor(0x28, 0xa7, 0x45);
}

QColor accent(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor withAlpha(QColor colour, qreal alpha) {
    colour.setAlphaF(static_cast<float>(alpha));
    return colour;
}

QPalette prominentButton(const QPalette& palette) {
    QPalette prominent = palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        prominent.setColor(group, QPalette::Button, accent(palette));
        prominent.setColor(group, QPalette::ButtonText,
                           palette.color(QPalette::Active, QPalette::HighlightedText));
    }
    // Hand-made palettes often give the disabled group the active text colour.
    const QColor text = palette.color(QPalette::Active, QPalette::ButtonText);
    const QColor button = palette.color(QPalette::Disabled, QPalette::Button);
    prominent.setColor(QPalette::Disabled, QPalette::ButtonText,
                       QColor::fromRgbF((text.redF() + button.redF()) / 2,
                                        (text.greenF() + button.greenF()) / 2,
                                        (text.blueF() + button.blueF()) / 2));
    return prominent;
}

} // namespace systemcolors
