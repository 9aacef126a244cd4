#pragma once

#include <QString>
#include <QStringList>

// What a screen reader says for a bookmark's row: the title, "from " and the
// domain, and the tags when there are any ("Docs, from D, tags: a, b").
QString bookmarkAccessibilityLabel(const QString& title, const QString& domain,
                                   const QStringList& tags);

// The spoken form of the row's "+N" counter.
QString overflowAccessibilityLabel(int overflow);
