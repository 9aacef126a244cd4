#pragma once

#include <QFont>
#include <QRectF>

// Where a soft field puts its one line of text: `hInset` in from the left
// and right edges, one line high, centred vertically. The same rectangle
// serves drawing and editing, so the text does not move when the field
// takes focus.
class SoftFieldCell {
public:
    static constexpr qreal kDefaultHInset = 8;

    qreal hInset() const { return m_hInset; }

    // For a frame (x, y, w, h): x + hInset, y + (h - lh) / 2, w - 2 hInset,
    // lh, where lh is the font's line height rounded up to a whole point
    // (the application font's when `font` is null).
    QRectF textRect(const QRectF& frame, const QFont* font) const;

private:
    qreal m_hInset = kDefaultHInset;
};
