#include "platform/Store/StringListCodec.h"

#include "platform/Core/AsciiText.h"

#include <QAnyStringView>
#include <QJsonArray>
#include <QJsonDocument>

namespace store {

QByteArray encodeStringList(const QStringList& list) {
    if (list.isEmpty())
        return QByteArrayLiteral("[]");
    return QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact);
}

namespace {

// Reads one JSON string starting after its opening quote; `at` ends after the
// closing quote. Hand-written because loading a large library spends most of
// its time here, and the general JSON parser is several times slower.
std::optional<QString> readString(const QByteArray& json, qsizetype& at) {
    const qsizetype size = json.size();
    const char* data = json.constData();
    const qsizetype start = at;
    // Fast path: no escapes.
    while (at < size && data[at] != '"' && data[at] != '\\')
        ++at;
    if (at < size && data[at] == '"') {
        QString plain = QString::fromUtf8(data + start, at - start);
        ++at;
        return plain;
    }
    QByteArray bytes(data + start, at - start);
    while (at < size) {
        const char c = data[at++];
        if (c == '"')
            return QString::fromUtf8(bytes);
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (at >= size)
            return std::nullopt;
        const char escape = data[at++];
        switch (escape) {
        case '"':
            bytes += '"';
            break;
        case '\\':
            bytes += '\\';
            break;
        case '/':
            bytes += '/';
            break;
        case 'b':
            bytes += '\b';
            break;
        case 'f':
            bytes += '\f';
            break;
        case 'n':
            bytes += '\n';
            break;
        case 'r':
            bytes += '\r';
            break;
        case 't':
            bytes += '\t';
            break;
        case 'u': {
            const auto unit = [&]() -> int {
                if (at + 4 > size)
                    return -1;
                int value = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = asciitext::hexDigit(char16_t(uchar(data[at + i])));
                    if (digit < 0)
                        return -1;
                    value = value * 16 + digit;
                }
                at += 4;
                return value;
            };
            const int first = unit();
            if (first < 0)
                return std::nullopt;
            char32_t codePoint = char32_t(first);
            if (QChar::isHighSurrogate(codePoint) && at + 1 < size && data[at] == '\\' &&
                data[at + 1] == 'u') {
                at += 2;
                const int second = unit();
                if (second < 0)
                    return std::nullopt;
                if (QChar::isLowSurrogate(char32_t(second)))
                    codePoint = QChar::surrogateToUcs4(char16_t(first), char16_t(second));
                else
                    return std::nullopt;
            }
            bytes += QString::fromUcs4(&codePoint, 1).toUtf8();
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void skipSpace(const QByteArray& json, qsizetype& at) {
    while (at < json.size() &&
           (json[at] == ' ' || json[at] == '\n' || json[at] == '\r' || json[at] == '\t'))
        ++at;
}

} // namespace

std::optional<QStringList> decodeStringList(const QByteArray& json) {
    qsizetype at = 0;
    skipSpace(json, at);
    if (at >= json.size() || json[at] != '[')
        return std::nullopt;
    ++at;
    QStringList list;
    skipSpace(json, at);
    if (at < json.size() && json[at] == ']') {
        ++at;
    } else {
        while (true) {
            skipSpace(json, at);
            if (at >= json.size() || json[at] != '"')
                return std::nullopt;
            ++at;
            auto value = readString(json, at);
            if (!value)
                return std::nullopt;
            list.append(std::move(*value));
            skipSpace(json, at);
            if (at < json.size() && json[at] == ',') {
                ++at;
                continue;
            }
            if (at < json.size() && json[at] == ']') {
                ++at;
                break;
            }
            return std::nullopt;
        }
    }
    skipSpace(json, at);
    if (at != json.size())
        return std::nullopt;
    return list;
}

bool encodesStringList(const QByteArray& json, const QStringList& list) {
    qsizetype at = 0;
    const auto next = [&](char expected) {
        skipSpace(json, at);
        return at < json.size() && json[at++] == expected;
    };
    if (!next('['))
        return decodeStringList(json) == list;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if ((i > 0 && !next(',')) || !next('"'))
            return decodeStringList(json) == list;
        const qsizetype start = at;
        while (at < json.size() && json[at] != '"' && json[at] != '\\')
            ++at;
        if (at == json.size() || json[at] == '\\')
            return decodeStringList(json) == list;
        if (!QAnyStringView::equal(QUtf8StringView(json.constData() + start, at - start), list[i]))
            return false;
        ++at;
    }
    if (!next(']'))
        return decodeStringList(json) == list;
    skipSpace(json, at);
    return at == json.size() || decodeStringList(json) == list;
}

} // namespace store
