#include "platform/Regex/Regex.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace regex {

namespace {

// Reads the QString's UTF-16 in place; valid for as long as `text` is.
icu::UnicodeString aliasOf(QStringView text) {
    static_assert(sizeof(QChar) == sizeof(UChar));
    return icu::UnicodeString(false, reinterpret_cast<const UChar*>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

} // namespace

struct Pattern::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;
};

QStringView Match::captured(int group) const {
    const auto [from, to] = span(group);
    return from < 0 ? QStringView() : m_subject.sliced(from, to - from);
}

std::pair<qsizetype, qsizetype> Match::span(int group) const {
    Q_ASSERT(group >= 0 && group < m_spans.size());
    return m_spans.at(group);
}

Pattern::Pattern(std::unique_ptr<Compiled> compiled)
    : m_compiled(std::move(compiled)) {}
Pattern::Pattern(Pattern&&) noexcept = default;
Pattern& Pattern::operator=(Pattern&&) noexcept = default;
Pattern::~Pattern() = default;

std::optional<Pattern> Pattern::compile(QStringView pattern, Options options) {
    // ICU's string lengths are 32-bit.
    if (pattern.size() > INT32_MAX)
        return std::nullopt;
    uint32_t flags = 0;
    if (options.testFlag(Option::caseInsensitive))
        flags |= UREGEX_CASE_INSENSITIVE;
    UErrorCode status = U_ZERO_ERROR;
    UParseError where{};
    auto compiled = std::make_unique<Compiled>();
    compiled->pattern.reset(icu::RegexPattern::compile(aliasOf(pattern), flags, where, status));
    if (U_FAILURE(status) || !compiled->pattern)
        return std::nullopt;
    return Pattern(std::move(compiled));
}

QString Pattern::escaped(QStringView literal) {
    // A backslash before any ASCII character other than a letter or digit
    // makes it literal; letters, digits and non-ASCII characters are literal
    // already (a backslash before a letter would start an escape sequence).
    QString out;
    out.reserve(literal.size() * 2);
    for (const QChar c : literal) {
        const char16_t u = c.unicode();
        const bool plain = u >= 0x80 || (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') ||
                           (u >= u'A' && u <= u'Z');
        if (!plain)
            out += u'\\';
        out += c;
    }
    return out;
}

struct Scanner::State {
    icu::UnicodeString text;
    std::unique_ptr<icu::RegexMatcher> matcher; // null when ICU could not set one up
};

Scanner::Scanner(const Pattern& pattern, QStringView subject)
    : m_subject(subject)
    , m_state(std::make_unique<State>()) {
    if (subject.size() > INT32_MAX)
        return;
    m_state->text = aliasOf(subject);
    UErrorCode status = U_ZERO_ERROR;
    m_state->matcher.reset(pattern.m_compiled->pattern->matcher(m_state->text, status));
    if (U_SUCCESS(status))
        m_state->matcher->setTimeLimit(Pattern::kSearchStepLimit, status);
    if (U_FAILURE(status))
        m_state->matcher.reset();
}

Scanner::Scanner(Scanner&&) noexcept = default;
Scanner::~Scanner() = default;

std::optional<Match> Scanner::firstMatch(qsizetype from) {
    if (!m_state->matcher || from < 0 || from > m_subject.size())
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    m_state->matcher->reset(); // drop a region left by matchAt()
    if (!m_state->matcher->find(static_cast<int64_t>(from), status) || U_FAILURE(status))
        return std::nullopt;
    return current();
}

std::optional<Match> Scanner::matchAt(qsizetype from, qsizetype to) {
    if (!m_state->matcher || from < 0 || from > to || to > m_subject.size())
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    m_state->matcher->region(static_cast<int64_t>(from), static_cast<int64_t>(to), status);
    m_state->matcher->useTransparentBounds(true);
    m_state->matcher->useAnchoringBounds(false);
    if (U_FAILURE(status) || !m_state->matcher->lookingAt(status) || U_FAILURE(status))
        return std::nullopt;
    return current();
}

std::optional<Match> Scanner::current() {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t groups = m_state->matcher->groupCount();
    QList<std::pair<qsizetype, qsizetype>> spans;
    spans.reserve(groups + 1);
    for (int32_t group = 0; group <= groups; ++group) {
        const qsizetype start = m_state->matcher->start64(group, status);
        const qsizetype end = m_state->matcher->end64(group, status);
        if (U_FAILURE(status))
            return std::nullopt;
        spans.append({start, start < 0 ? -1 : end});
    }
    return Match(m_subject, std::move(spans));
}

std::optional<Match> Pattern::firstMatch(QStringView subject, qsizetype from) const {
    return Scanner(*this, subject).firstMatch(from);
}

QList<Match> Pattern::allMatches(QStringView subject) const {
    Scanner scanner(*this, subject);
    QList<Match> matches;
    qsizetype from = 0;
    while (auto match = scanner.firstMatch(from)) {
        // An empty match must not be found again at the same place.
        from = match->end() > match->start() ? match->end() : match->end() + 1;
        matches.append(std::move(*match));
        if (from > subject.size())
            break;
    }
    return matches;
}

} // namespace regex
