#include "Corvina/ImportExport/HTMLEntities.h"

#include <optional>
#include <span>
#include <utility>

namespace netscape {
namespace {

int digitValue(char16_t c, int base) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (base == 16 && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (base == 16 && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

struct NumericReference {
    qsizetype end = 0;             // one past the ';'
    std::optional<char32_t> value; // absent when out of 32 bits
};

// A reference "&#" (x hex+ | dec+) ";" starting at `at`, or nothing.
std::optional<NumericReference> numericReferenceAt(QStringView text, qsizetype at) {
    const qsizetype size = text.size();
    if (at + 3 >= size || text[at + 1] != u'#')
        return std::nullopt;
    qsizetype i = at + 2;
    int base = 10;
    if (text[i] == u'x' || text[i] == u'X') {
        base = 16;
        ++i;
    }
    const qsizetype digitsStart = i;
    quint64 value = 0;
    bool overflow = false;
    for (; i < size; ++i) {
        const int digit = digitValue(text[i].unicode(), base);
        if (digit < 0)
            break;
        value = value * quint64(base) + quint64(digit);
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu + 1; // stays above the limit; no wrap-around
        }
    }
    if (i == digitsStart || i >= size || text[i] != u';')
        return std::nullopt;
    NumericReference reference;
    reference.end = i + 1;
    if (!overflow)
        reference.value = char32_t(value);
    return reference;
}

bool isScalarValue(char32_t value) {
    return value < 0x110000 && (value < 0xD800 || value > 0xDFFF);
}

void decodeNumericReferences(QStringView text, QString& out) {
    out.reserve(text.size());
    qsizetype copied = 0;
    for (qsizetype at = text.indexOf(u'&'); at >= 0; at = text.indexOf(u'&', at)) {
        const auto reference = numericReferenceAt(text, at);
        if (!reference) {
            ++at;
            continue;
        }
        if (reference->value && isScalarValue(*reference->value)) {
            out += text.sliced(copied, at - copied);
            const char32_t scalar = *reference->value;
            if (QChar::requiresSurrogates(scalar)) {
                out += QChar(QChar::highSurrogate(scalar));
                out += QChar(QChar::lowSurrogate(scalar));
            } else {
                out += QChar(char16_t(scalar));
            }
            copied = reference->end;
        }
        at = reference->end;
    }
    out += text.sliced(copied);
}

// "&amp;" over the whole text, left to right, never rescanning what it wrote.
QString replaceAmpersands(QStringView text) {
    // Sized exactly: a title of millions of "&amp;" would otherwise hold
    // five times what it becomes.
    const qsizetype count = text.count(u"&amp;");
    if (count == 0)
        return text.toString();
    QString out;
    out.reserve(text.size() - 4 * count);
    qsizetype copied = 0;
    for (qsizetype at = text.indexOf(u"&amp;"); at >= 0; at = text.indexOf(u"&amp;", at + 5)) {
        out += text.sliced(copied, at - copied);
        out += u'&';
        copied = at + 5;
    }
    out += text.sliced(copied);
    return out;
}

constexpr std::pair<std::u16string_view, char16_t> kNamed[] = {
    {u"&amp;", u'&'},        {u"&lt;", u'<'},          {u"&gt;", u'>'},
    {u"&quot;", u'"'},       {u"&apos;", u'\''},       {u"&nbsp;", u'\u00A0'},
    {u"&ndash;", u'\u2013'}, {u"&mdash;", u'\u2014'},  {u"&hellip;", u'\u2026'},
    {u"&ldquo;", u'\u201C'}, {u"&rdquo;", u'\u201D'},  {u"&lsquo;", u'\u2018'},
    {u"&rsquo;", u'\u2019'}, {u"&copy;", u'\u00A9'},   {u"&reg;", u'\u00AE'},
    {u"&trade;", u'\u2122'}, {u"&euro;", u'\u20AC'},   {u"&pound;", u'\u00A3'},
    {u"&cent;", u'\u00A2'},  {u"&middot;", u'\u00B7'}, {u"&laquo;", u'\u00AB'},
    {u"&raquo;", u'\u00BB'},
};

// Entities 2 to 22 in one scan ("&amp;", the first, is done alone before,
// because its output can start another entity). Replacing them one after another over the
// whole text gives the same result: each is "&", letters and ";", so no two
// occurrences overlap, and none of the characters they become is "&", ";" or
// a letter, so no replacement can complete another entity.
QString replaceNamed(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    for (qsizetype at = text.indexOf(u'&'); at >= 0; at = text.indexOf(u'&', at)) {
        const QStringView rest = text.sliced(at);
        bool replaced = false;
        for (const auto& [entity, character] : std::span(kNamed).subspan(1)) {
            if (rest.startsWith(QStringView(entity))) {
                out += text.sliced(copied, at - copied);
                out += QChar(character);
                at += qsizetype(entity.size());
                copied = at;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            ++at;
    }
    out += text.sliced(copied);
    return out;
}

} // namespace

std::span<const std::pair<std::u16string_view, char16_t>> namedEntities() {
    return kNamed;
}

QString decodeEntities(QStringView text) {
    if (!text.contains(u'&'))
        return text.toString();
    // Each pass's input is let go before the next, so a huge value is held
    // at most twice.
    QString numeric;
    if (text.contains(u"&#"))
        decodeNumericReferences(text, numeric);
    QString ampersands = replaceAmpersands(numeric.isNull() ? text : QStringView(numeric));
    numeric = QString();
    return replaceNamed(ampersands);
}

} // namespace netscape
