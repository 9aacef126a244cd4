#include "Corvina/Tags/TagSuggester.h"

#include "Corvina/Tags/StringOrder.h"
#include "platform/Tagger/NaturalLanguageTagger.h"

#include <QHash>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <unicode/uchar.h>
#include <vector>

namespace {

constexpr int kNameScore = 3;
constexpr int kNounScore = 1;
constexpr int kSiteScore = 1;

const nl::TextTagger& applicationTagger() {
    static const nl::NaturalLanguageTagger tagger;
    return tagger;
}

bool isTrimmed(QChar c) {
    switch (c.unicode()) {
    case u'.':
    case u',':
    case u';':
    case u':':
    case u'!':
    case u'?':
    case u'"':
    case u'\'':
    case u'(':
    case u')':
    case u'[':
    case u']':
    case u'{':
    case u'}':
    case u'<':
    case u'>':
        return true;
    default:
        return c.isSpace();
    }
}

char32_t firstScalar(QStringView text) {
    if (text.isEmpty())
        return 0;
    if (text[0].isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return text[0].unicode();
}

bool isUpperCaseLetter(char32_t scalar) {
    const QChar::Category category = QChar::category(scalar);
    return category == QChar::Letter_Uppercase || category == QChar::Letter_Titlecase;
}

// Fewer than two user-perceived characters, or only numerals ("2024", "Ⅻ"),
// make no tag.
bool isAcceptable(const QString& candidate) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, candidate);
    int characters = 0;
    bool allNumeric = true;
    qsizetype start = 0;
    for (qsizetype end = graphemes.toNextBoundary(); end > 0; end = graphemes.toNextBoundary()) {
        ++characters;
        const char32_t scalar = firstScalar(QStringView(candidate).mid(start, end - start));
        allNumeric = allNumeric && u_getIntPropertyValue(static_cast<UChar32>(scalar),
                                                         UCHAR_NUMERIC_TYPE) != U_NT_NONE;
        start = end;
    }
    return characters >= 2 && !allNumeric;
}

// Scores in the order candidates were first seen, so that equal strings under
// canonical equivalence keep a fixed order.
class Counts {
public:
    void add(const QString& candidate, int score) {
        auto found = m_index.constFind(candidate);
        if (found == m_index.constEnd()) {
            found = m_index.insert(candidate, m_entries.size());
            m_entries.push_back({candidate, tags::ScalarOrderKey(candidate), 0});
        }
        m_entries[*found].score += score;
    }

    QStringList best(int limit) && {
        std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
            if (a.score != b.score)
                return a.score > b.score;
            return b.key < a.key;
        });
        QStringList result;
        const auto count =
            std::min<std::size_t>(static_cast<std::size_t>(std::max(limit, 0)), m_entries.size());
        for (std::size_t i = 0; i < count; ++i)
            result.append(m_entries[i].candidate);
        return result;
    }

private:
    struct Entry {
        QString candidate;
        tags::ScalarOrderKey key;
        int score;
    };
    QHash<QString, std::size_t> m_index;
    std::vector<Entry> m_entries;
};

} // namespace

TagSuggester::TagSuggester()
    : m_tagger(&applicationTagger()) {}

TagSuggester::TagSuggester(const nl::TextTagger& tagger)
    : m_tagger(&tagger) {}

QStringList TagSuggester::suggest(const QString& title, const QString& description,
                                  const std::optional<QString>& domain, int limit) const {
    QStringList parts;
    for (const QString& part : {title, description}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    const QString text = parts.join(QStringLiteral(". "));
    // An empty domain would give an empty tag; it is treated as no domain.
    const bool hasSite = domain.has_value() && !domain->isEmpty();
    if (text.isEmpty())
        return hasSite ? QStringList{siteTag(*domain)} : QStringList{};

    using nl::Tag;
    using nl::TagOption;
    const nl::TagOptions omit =
        TagOption::omitPunctuation | TagOption::omitWhitespace | TagOption::omitOther;
    Counts counts;
    for (const nl::TaggedToken& token :
         m_tagger->tags(text, nl::TagScheme::nameType, omit | TagOption::joinNames)) {
        if (token.tag != Tag::personalName && token.tag != Tag::placeName &&
            token.tag != Tag::organizationName)
            continue;
        const QString candidate = clean(text.mid(token.start, token.length));
        if (isAcceptable(candidate))
            counts.add(candidate, kNameScore);
    }
    for (const nl::TaggedToken& token : m_tagger->tags(text, nl::TagScheme::lexicalClass, omit)) {
        if (token.tag != Tag::noun)
            continue;
        const QStringView word = QStringView(text).mid(token.start, token.length);
        if (word.isEmpty() || !isUpperCaseLetter(firstScalar(word)))
            continue;
        const QString candidate = clean(word.toString());
        if (isAcceptable(candidate))
            counts.add(candidate, kNounScore);
    }
    if (hasSite)
        counts.add(siteTag(*domain), kSiteScore);
    return std::move(counts).best(limit);
}

QString TagSuggester::clean(const QString& token) {
    qsizetype start = 0;
    qsizetype end = token.size();
    while (start < end && isTrimmed(token[start]))
        ++start;
    while (end > start && isTrimmed(token[end - 1]))
        --end;
    QString result = token.mid(start, end - start);
    if (result.endsWith(u"'s") || result.endsWith(u"\u2019s"))
        result.chop(2);
    return result;
}

QString TagSuggester::siteTag(const QString& domain) {
    const QString label = domain.split(u'.', Qt::SkipEmptyParts).value(0, domain);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, label);
    const qsizetype first = std::max<qsizetype>(graphemes.toNextBoundary(), 0);
    return label.left(first).toUpper() + label.mid(first);
}
