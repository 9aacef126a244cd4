#pragma once

#include "platform/Core/Result.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// What a page says about itself. Both strings are trimmed and entity-decoded;
// empty means nothing was found, never an error.
struct PageMetadata {
    QString title;
    QString description;

    friend bool operator==(const PageMetadata&, const PageMetadata&) = default;
};

enum class PageHeadError {
    // Neither strict UTF-8 nor Latin-1. Latin-1 gives every byte a character,
    // so the parser never fails in practice; the case keeps the error set
    // whole for callers that switch over it.
    notHTML,
};

// Whether the bytes are the whole body or only its beginning (the download
// stopped at a size cap). A multi-byte UTF-8 sequence broken off at the end
// of a beginning is not held against the rest.
enum class BodyExtent { whole, beginning };

namespace pagehead {

// Strict UTF-8 (overlong forms, surrogates and stray bytes rejected), else
// Latin-1. No declared charset is consulted.
std::optional<QString> decode(QByteArrayView body, BodyExtent extent = BodyExtent::whole);

// The text before the first "</head>" (ASCII letters in any case), or all of
// it when there is none.
QStringView headOf(QStringView text);

// Byte offset of the first "</head>" (ASCII letters in any case) in `body`,
// or -1. For a body that grows as it arrives, `searched` is the size at the
// previous call that found nothing; only what is new is searched, plus
// enough before it to catch a "</head>" split between the pieces. Byte
// offsets serve both decodings: no byte of a UTF-8 multi-byte sequence is
// ASCII, and Latin-1 gives every byte one character.
qsizetype findHeadEnd(QByteArrayView body, qsizetype searched = 0);

// First <meta> tag in `head` whose `attribute` has exactly the value `key`
// (any case), and that tag's content value. nullopt when there is no such
// tag, the tag has no quoted content, or the pattern does not compile; an
// empty string when the content is empty.
std::optional<QString> metaContent(QStringView head, QStringView attribute, QStringView key);

// Text between the first <title ...> and the following </title>, unchanged.
std::optional<QString> titleElement(QStringView head);

// Trims Unicode white space at both ends, then decodes the few entities
// pages put in titles, in a fixed order ("&amp;lt;" gives "&lt;").
QString clean(QStringView text);

} // namespace pagehead

// Decodes the body, cuts it at "</head>" and reads title and description
// from the Open Graph, Twitter-card and plain HTML fields, in that order.
// Pure and synchronous.
Result<PageMetadata, PageHeadError> extractPageMetadata(QByteArrayView body,
                                                        BodyExtent extent = BodyExtent::whole);
