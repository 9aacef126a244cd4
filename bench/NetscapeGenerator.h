#pragma once

#include <QByteArray>

namespace benchdata {

// A Netscape bookmark file of `count` links shaped like browsers' exports:
// folders nested up to six deep (toolbar flag, "&amp;" in names), ADD_DATE
// and LAST_MODIFIED, TAGS on some links, ICON data URIs of real favicon size
// and ICON_URI on others, SHORTCUTURL, <DD> descriptions, <HR>, entities and
// non-ASCII titles. The same count and seed always give the same bytes.
QByteArray netscapeFile(int count, quint32 seed = 20240501);

} // namespace benchdata
