#pragma once

#include "platform/Url/Url.h"

#include <QMetaType>
#include <QString>

// A link and a title handed to the add form by another program or a bookmarklet.
struct PrefillBookmark {
    QString url;   // as received, not validated
    QString title; // empty when the request carried none
    bool operator==(const PrefillBookmark&) const = default;
};
Q_DECLARE_METATYPE(PrefillBookmark)

// "corvina://add?url=…&title=…" → posts the prefill notification. Anything
// else is dropped silently.
void handleCorvinaURL(const Url& url);
