#pragma once

#include <QFont>
#include <QString>

// Widths of the row's small texts, measured once per (style, text) for the
// life of the process, so that scrolling a long list measures each distinct
// tag once. The cache only grows and does not notice later font changes.
// Main thread only: a plain map without locking.
namespace TextWidthCache {

enum class Style { caption1, caption2, caption2Medium };

// The font each style is drawn with; the row paints with exactly these.
QFont font(Style style);

// The single-line advance of `text` in the style's font, unrounded.
qreal width(const QString& text, Style style);

} // namespace TextWidthCache
