#pragma once

#include "platform/Core/Result.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <array>
#include <compare>
#include <optional>

// A release number: up to four dotted non-negative integers. Missing trailing
// components are zero, so "1.2" and "1.2.0" are the same version.
struct VersionNumber {
    std::array<quint32, 4> components{};
    auto operator<=>(const VersionNumber&) const = default;
};

// nullopt unless the text is 1-4 dot-separated runs of ASCII digits, each
// fitting 32 bits: no signs, spaces, empty components or suffixes.
std::optional<VersionNumber> parseVersion(QStringView text);

// Unordered when either side is not a version.
std::partial_ordering compareVersions(QStringView a, QStringView b);

// What the update feed announces about the newest release.
struct UpdateFeed {
    QString version; // as written in the feed, valid for parseVersion()
    QUrl url;        // the download page; empty when the feed names none
    QString notes;
};

struct UpdateFeedError {
    QString message; // what is wrong with the feed, for the failure details
};

// The feed is a JSON object: "version" (string, required), "url" and "notes"
// (strings, optional). Other keys are ignored, so the feed can grow.
Result<UpdateFeed, UpdateFeedError> parseUpdateFeed(const QByteArray& json);
