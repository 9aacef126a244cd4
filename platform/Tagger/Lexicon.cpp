#include "platform/Tagger/Lexicon.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <unordered_set>

#ifndef CORVINA_WORDNET_DIR
#define CORVINA_WORDNET_DIR "/usr/share/wordnet"
#endif
#ifndef CORVINA_ISO_CODES_DIR
#define CORVINA_ISO_CODES_DIR "/usr/share/iso-codes/json"
#endif

namespace nl {
namespace {

// WordNet's lexicographer files that hold people, groups, places, natural
// objects (mountains, rivers) and artefacts (buildings, bridges, dams).
constexpr int kArtifactFile = 6;
constexpr int kGroupFile = 14;
constexpr int kLocationFile = 15;
constexpr int kObjectFile = 17;
constexpr int kPersonFile = 18;

// Words that open many full names without being given names.
constexpr std::array<std::string_view, 24> kNotGivenNames = {
    "saint",  "st.",      "king",    "queen",   "sir",     "lord",      "lady",    "pope",
    "prince", "princess", "emperor", "empress", "general", "president", "captain", "mother",
    "father", "brother",  "sister",  "uncle",   "aunt",    "john_the",  "el",      "al"};

int rank(NameKind kind) {
    switch (kind) {
    case NameKind::none:
        return 0;
    case NameKind::other:
        return 1;
    case NameKind::organization:
        return 2;
    case NameKind::person:
        return 3;
    case NameKind::place:
        return 4;
    }
    return 0;
}

void addName(LexiconEntry& entry, NameKind kind) {
    if (rank(kind) > rank(entry.name))
        entry.name = kind;
}

// A view over a memory-mapped (or read) file, split into lines and fields
// without copying.
class Cursor {
public:
    Cursor(const char* begin, const char* end)
        : m_at(begin)
        , m_end(end) {}
    bool atEnd() const { return m_at >= m_end; }
    std::string_view field() {
        while (m_at < m_end && *m_at == ' ')
            ++m_at;
        const char* start = m_at;
        while (m_at < m_end && *m_at != ' ' && *m_at != '\n')
            ++m_at;
        return {start, static_cast<std::size_t>(m_at - start)};
    }
    void skipLine() {
        const void* newline = std::memchr(m_at, '\n', static_cast<std::size_t>(m_end - m_at));
        m_at = newline ? static_cast<const char*>(newline) + 1 : m_end;
    }
    char peek() const { return atEnd() ? '\0' : *m_at; }

private:
    const char* m_at;
    const char* m_end;
};

int number(std::string_view text, int base = 10) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, base);
    return value;
}

std::uint16_t saturated(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xffff));
}

bool isAsciiUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

// "US", "NASA", "G20": looked up exactly, never folded into "us".
bool isAbbreviation(std::string_view word) {
    int letters = 0;
    for (const char c : word) {
        if (isAsciiUpper(c))
            ++letters;
        else if (!(c >= '0' && c <= '9'))
            return false;
    }
    return letters >= 2;
}

// "New_York" -> "new york".
std::string wordNetKey(std::string_view lemma) {
    std::string key(lemma);
    for (char& c : key) {
        if (c == '_')
            c = ' ';
        else if (isAsciiUpper(c))
            c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

class MappedFile {
public:
    explicit MappedFile(const QString& path)
        : m_file(path) {
        if (!m_file.open(QIODevice::ReadOnly) || m_file.size() == 0)
            return;
        m_data = m_file.map(0, m_file.size());
        if (!m_data) {
            m_copy = m_file.readAll();
            m_data = reinterpret_cast<uchar*>(m_copy.data());
        }
    }
    ~MappedFile() {
        if (m_data && m_copy.isEmpty())
            m_file.unmap(m_data);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool isOpen() const { return m_data != nullptr; }
    Cursor cursor() const {
        const char* begin = reinterpret_cast<const char*>(m_data);
        return {begin, begin + m_file.size()};
    }

private:
    QFile m_file;
    QByteArray m_copy;
    uchar* m_data = nullptr;
};

} // namespace

class LexiconReader {
public:
    explicit LexiconReader(Lexicon& lexicon)
        : m_lexicon(lexicon) {}

    void readNounData(const QString& path) {
        MappedFile file(path);
        if (!file.isOpen())
            return;
        Cursor cursor = file.cursor();
        std::vector<std::string_view> words;
        while (!cursor.atEnd()) {
            // The licence header lines start with spaces.
            if (cursor.peek() == ' ') {
                cursor.skipLine();
                continue;
            }
            cursor.field(); // synset offset
            const int lexFile = number(cursor.field());
            cursor.field(); // synset type
            const int wordCount = number(cursor.field(), 16);
            words.clear();
            for (int i = 0; i < wordCount; ++i) {
                words.push_back(cursor.field());
                cursor.field(); // lex id
            }
            const int pointerCount = number(cursor.field());
            bool instance = false;
            for (int i = 0; i < pointerCount; ++i) {
                instance = instance || cursor.field() == "@i";
                cursor.field();
                cursor.field();
                cursor.field();
            }
            cursor.skipLine();
            for (const std::string_view word : words)
                addNoun(word, lexFile, instance);
        }
    }

    void readIndex(const QString& path, LexiconEntry::Class wordClass) {
        MappedFile file(path);
        if (!file.isOpen())
            return;
        Cursor cursor = file.cursor();
        while (!cursor.atEnd()) {
            if (cursor.peek() == ' ') {
                cursor.skipLine();
                continue;
            }
            const std::string_view lemma = cursor.field();
            cursor.field(); // part of speech
            cursor.field(); // synset count
            const int pointerKinds = number(cursor.field());
            for (int i = 0; i < pointerKinds; ++i)
                cursor.field();
            cursor.field(); // sense count
            const std::uint16_t uses = saturated(number(cursor.field()));
            cursor.skipLine();
            if (isAbbreviation(lemma))
                continue;
            LexiconEntry& entry = m_lexicon.m_words[wordNetKey(lemma)];
            switch (wordClass) {
            case LexiconEntry::commonNoun:
                entry.nounUses = uses;
                if (!entry.has(LexiconEntry::commonNoun) && !entry.has(LexiconEntry::properNoun))
                    entry.classes |= LexiconEntry::commonNoun;
                break;
            case LexiconEntry::verb:
                entry.verbUses = uses;
                break;
            case LexiconEntry::adjective:
                entry.adjectiveUses = uses;
                break;
            case LexiconEntry::adverb:
                entry.adverbUses = uses;
                break;
            case LexiconEntry::properNoun:
            case LexiconEntry::personNoun:
            case LexiconEntry::otherProper:
                break;
            }
            // Nouns got their classes, with their case, from the data file.
            if (wordClass != LexiconEntry::commonNoun)
                entry.classes |= wordClass;
        }
    }

    void readIrregulars(const QString& path, Lexicon::Irregulars& into) {
        MappedFile file(path);
        if (!file.isOpen())
            return;
        Cursor cursor = file.cursor();
        while (!cursor.atEnd()) {
            const std::string_view inflected = cursor.field();
            const std::string_view base = cursor.field();
            cursor.skipLine();
            if (!inflected.empty() && !base.empty())
                into.emplace(wordNetKey(inflected), wordNetKey(base));
        }
    }

    void readCountries(const QString& path) {
        for (const QJsonValue& item : isoList(path, QStringLiteral("3166-1"))) {
            const QJsonObject country = item.toObject();
            for (const QString& field : {QStringLiteral("name"), QStringLiteral("common_name"),
                                         QStringLiteral("official_name")})
                addPlace(country.value(field).toString());
        }
    }

    void readRegions(const QString& path) {
        for (const QJsonValue& item : isoList(path, QStringLiteral("3166-2")))
            addPlace(item.toObject().value(QStringLiteral("name")).toString());
    }

    void finish() {
        // "French" and "Swiss" are groups of people in the dictionary, not
        // organisations; telling them apart needs only their adjectives.
        for (const std::string& key : m_groupWords) {
            LexiconEntry& entry = m_lexicon.m_words[key];
            if (entry.name == NameKind::organization && entry.has(LexiconEntry::adjective) &&
                !m_organizationInstances.contains(key)) {
                entry.name = NameKind::none;
                entry.classes |= LexiconEntry::otherProper;
            }
        }
        for (const auto& [first, count] : m_givenNameCounts) {
            if (count >= 2)
                m_lexicon.m_words[first].givenName = true;
        }
        std::size_t names = 0;
        for (const auto& [key, entry] : m_lexicon.m_words)
            names += entry.name != NameKind::none ? 1 : 0;
        m_lexicon.m_statistics.entries =
            m_lexicon.m_words.size() + m_lexicon.m_abbreviations.size();
        m_lexicon.m_statistics.names = names;
    }

private:
    void addNoun(std::string_view word, int lexFile, bool instance) {
        if (word.empty())
            return;
        const bool proper = instance || isAsciiUpper(word.front());
        NameKind kind = NameKind::none;
        if (proper) {
            if (lexFile == kPersonFile)
                kind = instance ? NameKind::person : NameKind::none;
            else if (lexFile == kLocationFile || lexFile == kObjectFile ||
                     (lexFile == kArtifactFile && instance))
                kind = NameKind::place;
            else if (lexFile == kGroupFile)
                kind = NameKind::organization;
            else if (instance)
                kind = NameKind::other;
        }
        const bool abbreviation = isAbbreviation(word);
        const std::string key = abbreviation ? std::string(word) : wordNetKey(word);
        LexiconEntry& entry =
            abbreviation ? m_lexicon.m_abbreviations[key] : m_lexicon.m_words[key];
        entry.classes |= proper ? LexiconEntry::properNoun : LexiconEntry::commonNoun;
        // An abbreviation with any sense that is not a name ("AI", "CEO")
        // says "not a name" by its common-noun class.
        if (abbreviation && kind == NameKind::none)
            entry.classes |= LexiconEntry::commonNoun;
        if (proper && kind == NameKind::none)
            entry.classes |= LexiconEntry::otherProper;
        if (!abbreviation && kind == NameKind::organization)
            (instance ? m_organizationInstances : m_groupWords).insert(key);
        if (!proper && lexFile == kPersonFile)
            entry.classes |= LexiconEntry::personNoun;
        addName(entry, kind);
        if (kind == NameKind::none)
            return;
        const int wordsInName = 1 + static_cast<int>(std::count(word.begin(), word.end(), '_'));
        m_lexicon.m_longestName = std::max(m_lexicon.m_longestName, std::min(wordsInName, 8));
        if (kind == NameKind::person && wordsInName > 1 && isAsciiUpper(word.front())) {
            const std::string first = wordNetKey(word.substr(0, word.find('_')));
            if (first.size() >= 2 && first.find('.') == std::string::npos &&
                std::find(kNotGivenNames.begin(), kNotGivenNames.end(), first) ==
                    kNotGivenNames.end())
                ++m_givenNameCounts[first];
        }
    }

    void addPlace(QString name) {
        // "Korea, Republic of" is known as "Korea".
        if (const qsizetype comma = name.indexOf(u','); comma >= 0)
            name.truncate(comma);
        name = name.trimmed();
        if (name.isEmpty() || name.contains(u'('))
            return;
        LexiconEntry& entry = m_lexicon.m_words[lexiconKey(name)];
        entry.classes |= LexiconEntry::properNoun;
        addName(entry, NameKind::place);
        const int wordsInName = 1 + static_cast<int>(name.count(u' '));
        m_lexicon.m_longestName = std::max(m_lexicon.m_longestName, std::min(wordsInName, 8));
    }

    static QJsonArray isoList(const QString& path, const QString& key) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object().value(key).toArray();
    }

    Lexicon& m_lexicon;
    std::unordered_map<std::string, int> m_givenNameCounts;
    std::unordered_set<std::string> m_groupWords;
    std::unordered_set<std::string> m_organizationInstances;
};

Lexicon::Sources Lexicon::systemSources() {
    return {QStringLiteral(CORVINA_WORDNET_DIR), QStringLiteral(CORVINA_ISO_CODES_DIR)};
}

std::unique_ptr<Lexicon> Lexicon::load(const Sources& sources) {
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<Lexicon> lexicon(new Lexicon);
    lexicon->m_words.reserve(200'000);
    LexiconReader reader(*lexicon);
    const QString wordNet = sources.wordNetDirectory + u'/';
    reader.readNounData(wordNet + QStringLiteral("data.noun"));
    reader.readIndex(wordNet + QStringLiteral("index.noun"), LexiconEntry::commonNoun);
    reader.readIndex(wordNet + QStringLiteral("index.verb"), LexiconEntry::verb);
    reader.readIndex(wordNet + QStringLiteral("index.adj"), LexiconEntry::adjective);
    reader.readIndex(wordNet + QStringLiteral("index.adv"), LexiconEntry::adverb);
    reader.readIrregulars(wordNet + QStringLiteral("noun.exc"), lexicon->m_irregularNouns);
    reader.readIrregulars(wordNet + QStringLiteral("verb.exc"), lexicon->m_irregularVerbs);
    reader.readIrregulars(wordNet + QStringLiteral("adj.exc"), lexicon->m_irregularAdjectives);
    const QString isoCodes = sources.isoCodesDirectory + u'/';
    reader.readCountries(isoCodes + QStringLiteral("iso_3166-1.json"));
    reader.readRegions(isoCodes + QStringLiteral("iso_3166-2.json"));
    reader.finish();
    lexicon->m_statistics.milliseconds = timer.elapsed();
    return lexicon;
}

const Lexicon& Lexicon::shared() {
    static const std::unique_ptr<Lexicon> lexicon = load(systemSources());
    return *lexicon;
}

const LexiconEntry* Lexicon::find(std::string_view lowerKey) const {
    const auto found = m_words.find(lowerKey);
    return found == m_words.end() ? nullptr : &found->second;
}

const LexiconEntry* Lexicon::findAbbreviation(std::string_view key) const {
    const auto found = m_abbreviations.find(key);
    return found == m_abbreviations.end() ? nullptr : &found->second;
}

namespace {
std::string_view lookUp(const Lexicon::Irregulars& map, std::string_view key) {
    const auto found = map.find(key);
    return found == map.end() ? std::string_view() : std::string_view(found->second);
}
} // namespace

std::string_view Lexicon::irregularNoun(std::string_view lowerKey) const {
    return lookUp(m_irregularNouns, lowerKey);
}
std::string_view Lexicon::irregularVerb(std::string_view lowerKey) const {
    return lookUp(m_irregularVerbs, lowerKey);
}
std::string_view Lexicon::irregularAdjective(std::string_view lowerKey) const {
    return lookUp(m_irregularAdjectives, lowerKey);
}

std::string lexiconKey(QStringView text) {
    QString lower;
    lower.reserve(text.size());
    bool space = false;
    bool ascii = true;
    for (const QChar c : text) {
        if (c.isSpace()) {
            space = !lower.isEmpty();
            continue;
        }
        if (space)
            lower += u' ';
        space = false;
        ascii = ascii && c.unicode() < 0x80;
        lower += c == u'\u2019' ? QChar(u'\'') : c;
    }
    if (!ascii)
        lower = lower.normalized(QString::NormalizationForm_C);
    return lower.toLower().toStdString();
}

} // namespace nl
