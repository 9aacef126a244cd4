#include "platform/Core/TextDecoding.h"

#include <QStringDecoder>

namespace textdecoding {
namespace {

// Length of the incomplete UTF-8 sequence at the end of `bytes`, or 0: a
// valid start of a sequence that more bytes could still complete.
qsizetype incompleteUtf8Tail(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto lead = static_cast<unsigned char>(bytes[size - back]);
        if ((lead & 0xC0) == 0x80)
            continue; // a continuation byte, keep looking for the lead
        const qsizetype needed = lead >= 0xF5   ? 0
                                 : lead >= 0xF0 ? 4
                                 : lead >= 0xE0 ? 3
                                 : lead >= 0xC2 ? 2
                                                : 0;
        if (needed <= back)
            return 0;
        if (back >= 2) {
            // The second byte's range narrows for E0, ED, F0 and F4 (no
            // overlong forms, surrogates or code points past U+10FFFF).
            const auto second = static_cast<unsigned char>(bytes[size - back + 1]);
            const bool fits = lead == 0xE0   ? second >= 0xA0
                              : lead == 0xED ? second <= 0x9F
                              : lead == 0xF0 ? second >= 0x90
                              : lead == 0xF4 ? second <= 0x8F
                                             : true;
            if (!fits)
                return 0;
        }
        return back;
    }
    return 0;
}

} // namespace

Encoding encodingOf(QByteArrayView bytes, Extent extent) {
    const QByteArrayView kept =
        extent == Extent::beginning ? bytes.chopped(incompleteUtf8Tail(bytes)) : bytes;
    return kept.isValidUtf8() ? Encoding::utf8 : Encoding::latin1;
}

QString decodePiece(QByteArrayView piece, Encoding encoding) {
    if (encoding == Encoding::latin1)
        return QString::fromLatin1(piece);
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(piece);
}

QByteArrayView withoutByteOrderMark(QByteArrayView bytes, Encoding encoding) {
    return encoding == Encoding::utf8 && bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

QString utf8OrLatin1(QByteArrayView bytes, Extent extent) {
    const Encoding encoding = encodingOf(bytes, extent);
    if (encoding == Encoding::latin1)
        return QString::fromLatin1(bytes);
    const QByteArrayView kept =
        extent == Extent::beginning ? bytes.chopped(incompleteUtf8Tail(bytes)) : bytes;
    return decodePiece(withoutByteOrderMark(kept, encoding), encoding);
}

} // namespace textdecoding
