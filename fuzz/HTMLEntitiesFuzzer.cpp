// Arbitrary text through the bookmark files' entity decoding, checked against
// the plain reading: the ICU pattern for numeric references, replaced from
// the last match to the first, then each named entity replaced in turn.
#include "Corvina/ImportExport/HTMLEntities.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Regex/Regex.h"

#include <QString>

namespace {

QString reference(const QString& input) {
    static const auto pattern = regex::Pattern::compile(QStringLiteral("&#(x[0-9a-fA-F]+|[0-9]+);"),
                                                        regex::Option::caseInsensitive);
    FUZZ_CHECK(pattern);
    QString text = input;
    const QList<regex::Match> matches = pattern->allMatches(input);
    for (auto match = matches.crbegin(); match != matches.crend(); ++match) {
        const QString digits = match->captured(1).toString();
        bool ok = false;
        const bool hex = digits.startsWith(u'x') || digits.startsWith(u'X');
        const qulonglong value =
            hex ? digits.mid(1).toULongLong(&ok, 16) : digits.toULongLong(&ok, 10);
        // toULongLong also overflows past 64 bits; anything past 32 is kept.
        if (!ok || value > 0xFFFFFFFFull || value >= 0x110000 ||
            (value >= 0xD800 && value <= 0xDFFF))
            continue;
        const char32_t scalar = char32_t(value);
        text.replace(match->start(), match->end() - match->start(), QString::fromUcs4(&scalar, 1));
    }
    for (const auto& [entity, character] : netscape::namedEntities())
        text.replace(QString::fromUtf16(entity.data(), qsizetype(entity.size())),
                     QString(QChar(character)));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes per UTF-16 unit, so that any unit (lone surrogates too) occurs.
    const QString input =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    const QString decoded = netscape::decodeEntities(input);
    FUZZ_CHECK(decoded.size() <= input.size());
    if (input.size() < 4096)
        FUZZ_CHECK(decoded == reference(input));
    return 0;
}
