#pragma once

#include "Corvina/Library/BookmarkPayload.h"

#include <QByteArray>
#include <QStringEncoder>
#include <algorithm>
#include <vector>

// The characters the text fields of `payloads` hold, for writers that reserve
// their whole output at once: growing a buffer of tens of MB by doubling
// copies it several times over.
inline qsizetype textLength(const std::vector<BookmarkPayload>& payloads) {
    qsizetype length = 0;
    for (const BookmarkPayload& payload : payloads) {
        length +=
            payload.url.absoluteString().size() + payload.title.size() + payload.description.size();
        for (const QString& tag : payload.tags)
            length += tag.size() + 12;
    }
    return length;
}

// A file's UTF-8 bytes, written piece by piece. Export files are tens of MB;
// building them as UTF-16 first and converting at the end touches three times
// the memory, and fresh memory is what such a writer spends most time on.
class Utf8Output {
public:
    explicit Utf8Output(qsizetype expectedBytes) { m_bytes.reserve(expectedBytes); }

    void append(QByteArrayView ascii) { m_bytes.append(ascii); }
    void append(QStringView text) {
        // Three bytes per UTF-16 unit at most (a surrogate pair gives four for two).
        const qsizetype needed = m_bytes.size() + text.size() * 3;
        if (needed > m_bytes.capacity())
            m_bytes.reserve(std::max(needed, m_bytes.capacity() * 2));
        char* const start = m_bytes.data();
        char* const end = m_encoder.appendToBuffer(start + m_bytes.size(), text);
        m_bytes.resize(end - start);
    }

    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
};
