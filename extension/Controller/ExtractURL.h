#pragma once

#include "platform/Url/Url.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class ItemProvider;

// Longer text is not taken for an address: the Link field holds no more,
// so a longer one would be saved as something other than what is shown.
constexpr qsizetype kMaxSharedURLLength = 32767;

// Whether the scheme, in any letter case, begins with "http": plain and
// secure web addresses pass; file, ftp and scheme-less ones do not.
bool hasWebScheme(const Url& url);

// The web address a piece of text is, when the whole of it (white space and
// line breaks around it aside) is one with a scheme beginning "http".
std::optional<Url> webURLFromText(const QString& text);

// The shared page's URL in one item provider: a URL item as it is, text or
// bytes only when they are a web address, asked for as a URL, a file URL, a
// URL again, then plain text, and at last as a URL object. `done` runs later
// on `receiver`'s thread, not at all once `receiver` is gone. `provider`
// must outlive the search.
void extractURL(const ItemProvider& provider, QObject* receiver,
                std::function<void(std::optional<Url>)> done);
