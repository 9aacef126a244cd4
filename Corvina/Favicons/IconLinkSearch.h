#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace favicon {

// The address of the icon a home page points to, found by searching its
// head for <link> tags: an "apple-touch-icon" first, then "icon", then
// "shortcut icon". A rel list only has to contain the token, so
// rel="shortcut icon" already counts as "icon". nullopt when the page names
// none. The href is taken as written (no entity decoding) and resolved
// against the site's root, never against a page path.
std::optional<QString> findIconLink(QStringView page, QStringView domain);

// An href from a link tag as an absolute address on the site `domain`.
QString resolveIconHref(QStringView href, QStringView domain);

} // namespace favicon
