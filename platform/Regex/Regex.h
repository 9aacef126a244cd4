#pragma once

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>
#include <utility>

namespace regex {

enum class Option {
    none = 0,
    caseInsensitive = 1, // Unicode case folding, as ICU's UREGEX_CASE_INSENSITIVE
};
Q_DECLARE_FLAGS(Options, Option)
Q_DECLARE_OPERATORS_FOR_FLAGS(Options)

// One successful match. Offsets are UTF-16 indices into the subject it was
// found in; captured() returns views into that subject, so the subject must
// outlive the match.
class Match {
public:
    Match(QStringView subject, QList<std::pair<qsizetype, qsizetype>> spans)
        : m_subject(subject)
        , m_spans(std::move(spans)) {}

    // Group 0 is the whole match. -1 for a group that took no part.
    qsizetype start(int group = 0) const { return span(group).first; }
    qsizetype end(int group = 0) const { return span(group).second; }
    bool hasCaptured(int group) const { return start(group) >= 0; }
    // Empty for a group that took no part; check hasCaptured() to tell that
    // apart from an empty capture.
    QStringView captured(int group = 0) const;
    int groupCount() const { return int(m_spans.size()) - 1; }

private:
    std::pair<qsizetype, qsizetype> span(int group) const;

    QStringView m_subject;
    QList<std::pair<qsizetype, qsizetype>> m_spans;
};

// A compiled ICU pattern; immutable, so one instance may serve any number of
// searches, also from several threads.
class Pattern {
public:
    // nullopt when ICU rejects the pattern text.
    static std::optional<Pattern> compile(QStringView pattern, Options options = Option::none);
    // `literal` escaped so that, as part of a pattern, each of its characters
    // matches itself and nothing else.
    static QString escaped(QStringView literal);

    Pattern(Pattern&&) noexcept;
    Pattern& operator=(Pattern&&) noexcept;
    ~Pattern();

    // The leftmost match that starts at or after `from`.
    std::optional<Match> firstMatch(QStringView subject, qsizetype from = 0) const;
    // Every non-overlapping match, left to right.
    QList<Match> allMatches(QStringView subject) const;

    // A backstop for the thread that searches: ICU counts its work in steps
    // of 10 000 engine operations, and a single search that needs more than
    // this many is abandoned as if nothing matched. Linear scans of many MiB
    // stay far below it; lazy loops over text without their closing
    // delimiter grow quadratically and would otherwise run for minutes.
    // Callers that search untrusted text should still keep each search small.
    static constexpr int kSearchStepLimit = 1000;

private:
    friend class Scanner;
    struct Compiled;
    explicit Pattern(std::unique_ptr<Compiled> compiled);

    std::unique_ptr<Compiled> m_compiled;
};

// Several searches of one pattern over one subject, without setting up the
// engine each time. Both must outlive the scanner.
class Scanner {
public:
    Scanner(const Pattern& pattern, QStringView subject);
    Scanner(Scanner&&) noexcept;
    ~Scanner();

    // The leftmost match that starts at or after `from`.
    std::optional<Match> firstMatch(qsizetype from = 0);
    // A match that starts exactly at `from` and ends by `to` (exclusive).
    // Look-arounds and \b still see the text on either side.
    std::optional<Match> matchAt(qsizetype from, qsizetype to);

private:
    struct State;
    std::optional<Match> current();

    QStringView m_subject;
    std::unique_ptr<State> m_state;
};

} // namespace regex
