#pragma once

#include <QString>
#include <QStringView>
#include <span>
#include <string_view>
#include <utility>

namespace netscape {

// The entity decoding of bookmark files, for titles, addresses, tags and
// folder names. Two passes: first every numeric reference ("&#65;",
// "&#x1F600;", "&#X41;") that names a Unicode scalar value becomes that
// character, then 22 named references, each replaced over the whole text in
// a fixed order starting with "&amp;". A pass never looks at its own output,
// so "&amp;lt;" ends as "<" but "&amp;amp;amp;" as "&amp;amp;". Unknown names,
// surrogates and values past 32 bits stay as written. Linear in the text.
QString decodeEntities(QStringView text);

// The 22 named references and their characters, in replacement order.
std::span<const std::pair<std::u16string_view, char16_t>> namedEntities();

} // namespace netscape
