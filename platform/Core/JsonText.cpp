#include "platform/Core/JsonText.h"

namespace jsontext {

QByteArray compact(const QJsonDocument& document) {
    QByteArray text = document.toJson(QJsonDocument::Compact);
    // In compact output a '/' can only stand inside a string, where "\/" is
    // an equivalent escape; no other token contains one.
    text.replace('/', "\\/");
    return text;
}

namespace {

bool needsEscape(char16_t c) {
    return c < 0x20 || c == u'"' || c == u'\\' || c == u'/';
}

} // namespace

void appendString(QString& out, QStringView text) {
    static constexpr char16_t kHex[] = u"0123456789abcdef";
    out += u'"';
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!needsEscape(c))
            continue;
        // Plain runs go in whole; most titles and keys have no escape at all.
        out += text.sliced(runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case u'"':
            out += u"\\\"";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'/':
            out += u"\\/";
            break;
        case u'\b':
            out += u"\\b";
            break;
        case u'\f':
            out += u"\\f";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\t':
            out += u"\\t";
            break;
        default:
            out += u"\\u00";
            out += QChar(kHex[c >> 4]);
            out += QChar(kHex[c & 0xF]);
        }
    }
    out += text.sliced(runStart);
    out += u'"';
}

} // namespace jsontext
