#pragma once

#include "platform/Url/Url.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// One page queued by the share sheet for the app: the whole content of one
// inbox file. Immutable once made; any thread.
class PendingBookmark {
public:
    PendingBookmark(Url url, QString title, QString description, QStringList tags,
                    QDateTime receivedAt);

    const Url& url() const { return m_url; }
    const QString& title() const { return m_title; }
    // Free text, possibly empty; becomes the bookmark's note.
    const QString& description() const { return m_description; }
    const QStringList& tags() const { return m_tags; }
    // When the user pressed Save; becomes both dates of the bookmark.
    const QDateTime& receivedAt() const { return m_receivedAt; }

    // Field by field; dates compare as instants.
    bool operator==(const PendingBookmark& other) const = default;

private:
    Url m_url;
    QString m_title;
    QString m_description;
    QStringList m_tags;
    QDateTime m_receivedAt;
};

// One JSON object with exactly the keys "url", "title", "description", "tags"
// and "receivedAt", in the compact exchange form. The date loses its fraction
// of a second.
QByteArray encodePendingBookmark(const PendingBookmark& entry);

// nullopt unless the bytes are one JSON object holding all five keys with
// values of the right type: a "url" string that parses as a URL, string
// "title" and "description", an array of strings for "tags", and a
// "receivedAt" of the form 2025-03-01T12:34:56Z exactly (no fraction, no
// offset). Other keys are ignored.
std::optional<PendingBookmark> decodePendingBookmark(const QByteArray& bytes);
