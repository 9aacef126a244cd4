#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// A URL value: an RFC 3986 URI reference kept exactly as written.
// Components are reported as written (percent-encoded, case preserved);
// the *Decoded accessors percent-decode them as UTF-8.
//
// This is the value type of the logic layer; QUrl appears only at the
// network boundary.
class Url {
public:
    struct QueryItem {
        QString name;                 // percent-decoded; '+' stays '+'
        std::optional<QString> value; // absent for "name" without '='
        bool operator==(const QueryItem&) const = default;
    };

    // nullopt for the empty string, strings containing whitespace or control
    // characters, and anything that is not an RFC 3986 URI reference.
    static std::optional<Url> parse(const QString& text);

    // The text the value was parsed from.
    const QString& absoluteString() const { return m_text; }

    std::optional<QString> scheme() const;
    // nullopt when there is no authority; may be empty ("file:///x"). IP
    // literals come without their brackets: "http://[::1]/" gives "::1".
    std::optional<QString> host() const;
    // Percent-decoded host; nullopt also when decoding gives invalid UTF-8.
    std::optional<QString> hostDecoded() const;
    // nullopt when absent, empty ("http://h:/") or too large for an int.
    std::optional<int> port() const;
    QString path() const;
    // The raw path when it does not decode to valid UTF-8.
    QString pathDecoded() const;
    // The raw query after '?', nullopt when there is no '?'.
    std::optional<QString> query() const;
    // Query split on '&' then on the first '='; nullopt when there is no query
    // or it is empty. Empty pieces between '&' give items with empty names.
    // A name or value that does not decode to valid UTF-8 is kept as written.
    std::optional<std::vector<QueryItem>> queryItems() const;
    std::optional<QString> fragment() const;
    bool isAbsolute() const { return scheme().has_value(); }

    bool operator==(const Url& other) const { return m_text == other.m_text; }

private:
    struct Range {
        qsizetype start = -1; // -1: component absent
        qsizetype length = 0;
    };
    explicit Url(QString text)
        : m_text(std::move(text)) {}
    std::optional<QString> component(const Range& range) const;

    QString m_text;
    Range m_scheme, m_host, m_port, m_path, m_query, m_fragment;
};

// Percent-decodes as UTF-8; nullopt if the bytes are not valid UTF-8 or a '%'
// is not followed by two hex digits.
std::optional<QString> percentDecoded(QStringView text);
