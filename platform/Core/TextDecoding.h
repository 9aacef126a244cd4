#pragma once

#include <QByteArrayView>
#include <QString>

// The one rule for text that comes from outside (web pages, bookmark files):
// strict UTF-8, and when that fails, ISO 8859-1. Declared character sets are
// never consulted.
namespace textdecoding {

// Whether the bytes are complete or only a beginning (a download stopped at a
// size cap). A multi-byte UTF-8 sequence broken off at the end of a beginning
// is not held against the rest.
enum class Extent { whole, beginning };

enum class Encoding { utf8, latin1 };

// Strict UTF-8 (overlong forms, surrogates and stray bytes rejected; a
// leading byte order mark dropped), else Latin-1, which gives every byte a
// character and so cannot fail.
QString utf8OrLatin1(QByteArrayView bytes, Extent extent = Extent::whole);

// The same rule in two steps, for readers of large files that decide once
// for the whole file and then decode it piece by piece instead of holding
// the whole text at once. Pieces must be cut at ASCII bytes, which no UTF-8
// sequence contains. `decodePiece` keeps a byte order mark as a character;
// a reader drops the one at the very start with `withoutByteOrderMark`.
Encoding encodingOf(QByteArrayView bytes, Extent extent = Extent::whole);
QString decodePiece(QByteArrayView piece, Encoding encoding);
QByteArrayView withoutByteOrderMark(QByteArrayView bytes, Encoding encoding);

} // namespace textdecoding
