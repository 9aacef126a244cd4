#include "platform/Extension/LinkFile.h"

#include "platform/Extension/StrictUtf8.h"

#include <QStringDecoder>
#include <QStringList>
#include <QXmlStreamReader>

namespace linkfile {
namespace {

std::optional<QString> nonEmpty(const QString& text) {
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

// Escapes of the desktop entry format's string values.
QString unescapeDesktopValue(QStringView value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        switch (value[++i].unicode()) {
        case u's':
            out += u' ';
            break;
        case u'n':
            out += u'\n';
            break;
        case u't':
            out += u'\t';
            break;
        case u'r':
            out += u'\r';
            break;
        case u'\\':
            out += u'\\';
            break;
        default:
            out += u'\\';
            out += value[i];
        }
    }
    return out;
}

// Key-value lines in [groups]; returns the values of `keys` within `group`.
// Windows shortcuts ignore letter case in names, desktop entries do not.
struct IniRead {
    QString first;
    QString second;
    bool sawGroup = false;
};

IniRead readIni(QStringView text, QStringView group, QStringView firstKey, QStringView secondKey,
                Qt::CaseSensitivity cs) {
    IniRead read;
    bool inGroup = false;
    bool haveFirst = false;
    bool haveSecond = false;
    for (QStringView line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            inGroup =
                line.endsWith(u']') && line.sliced(1, line.size() - 2).compare(group, cs) == 0;
            read.sawGroup = read.sawGroup || inGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || equals < 0)
            continue;
        const QStringView key = line.first(equals).trimmed();
        const QStringView value = line.sliced(equals + 1).trimmed();
        // The first occurrence of a key counts; later ones are mistakes.
        if (!haveFirst && key.compare(firstKey, cs) == 0) {
            read.first = value.toString();
            haveFirst = true;
        } else if (!haveSecond && !secondKey.isEmpty() && key.compare(secondKey, cs) == 0) {
            read.second = value.toString();
            haveSecond = true;
        }
    }
    return read;
}

std::optional<Link> parseDesktopEntry(QByteArrayView bytes) {
    const std::optional<QString> text = strictUtf8(bytes);
    if (!text)
        return std::nullopt;
    const IniRead type = readIni(*text, u"Desktop Entry", u"Type", u"Name", Qt::CaseSensitive);
    if (type.first != u"Link")
        return std::nullopt;
    IniRead url = readIni(*text, u"Desktop Entry", u"URL", u"URL[$e]", Qt::CaseSensitive);
    const std::optional<QString> address =
        nonEmpty(unescapeDesktopValue(url.first.isEmpty() ? url.second : url.first));
    if (!address)
        return std::nullopt;
    return Link{*address, unescapeDesktopValue(type.second).trimmed()};
}

std::optional<Link> parseWindowsShortcut(QByteArrayView bytes) {
    // Written by many programs in the local code page; an address is ASCII
    // in practice, so Latin-1 reads every byte without failing.
    std::optional<QString> text = strictUtf8(bytes);
    if (!text)
        text = QString::fromLatin1(bytes);
    const IniRead read = readIni(*text, u"InternetShortcut", u"URL", {}, Qt::CaseInsensitive);
    const std::optional<QString> address = nonEmpty(read.first);
    if (!address)
        return std::nullopt;
    return Link{*address, {}};
}

std::optional<Link> parseWebLocation(QByteArrayView bytes) {
    QXmlStreamReader xml(bytes.toByteArray());
    // <plist><dict><key>URL</key><string>...</string></dict></plist>, keys
    // of the top dictionary only.
    int depth = 0;
    bool inTopDict = false;
    bool nextIsURL = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            ++depth;
            const QStringView name = xml.name();
            if (depth == 1 && name != u"plist")
                return std::nullopt;
            if (depth == 2 && name == u"dict") {
                inTopDict = true;
                continue;
            }
            if (!inTopDict || depth != 3)
                continue;
            if (name == u"key") {
                nextIsURL = xml.readElementText() == u"URL";
                --depth;
            } else if (name == u"string" && nextIsURL) {
                const QString value = xml.readElementText();
                if (xml.hasError())
                    return std::nullopt;
                if (const std::optional<QString> address = nonEmpty(value))
                    return Link{*address, {}};
                return std::nullopt;
            } else {
                nextIsURL = false;
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (depth == 2)
                inTopDict = false;
            --depth;
            break;
        default:
            break;
        }
    }
    return std::nullopt;
}

QString decodeMozUrl(QByteArrayView bytes) {
    // UTF-16 has a byte order mark or, for a Latin address, a zero in every
    // other byte; UTF-8 text never holds a zero byte.
    const bool bomLE = bytes.startsWith("\xFF\xFE");
    const bool bomBE = bytes.startsWith("\xFE\xFF");
    if (bomLE || bomBE || bytes.contains('\0')) {
        const bool bigEndian = bomBE || (!bomLE && !bytes.isEmpty() && bytes[0] == '\0');
        QStringDecoder decoder(bigEndian ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
        return decoder(bytes);
    }
    return QString::fromUtf8(bytes);
}

} // namespace

std::optional<Kind> kindForMimeType(const QString& mimeType) {
    if (mimeType == u"application/x-desktop")
        return Kind::desktopEntry;
    if (mimeType == u"application/x-mswinurl")
        return Kind::windowsShortcut;
    if (mimeType == u"application/x-webloc")
        return Kind::webLocation;
    return std::nullopt;
}

std::optional<Kind> kindForFileName(const QString& fileName) {
    if (fileName.endsWith(u".desktop", Qt::CaseInsensitive))
        return Kind::desktopEntry;
    if (fileName.endsWith(u".url", Qt::CaseInsensitive))
        return Kind::windowsShortcut;
    if (fileName.endsWith(u".webloc", Qt::CaseInsensitive))
        return Kind::webLocation;
    return std::nullopt;
}

std::optional<Link> parse(Kind kind, QByteArrayView bytes) {
    if (bytes.size() > kMaxLinkFileBytes)
        return std::nullopt;
    switch (kind) {
    case Kind::desktopEntry:
        return parseDesktopEntry(bytes);
    case Kind::windowsShortcut:
        return parseWindowsShortcut(bytes);
    case Kind::webLocation:
        return parseWebLocation(bytes);
    }
    return std::nullopt;
}

std::optional<QString> firstUriInList(QByteArrayView bytes) {
    const std::optional<QString> text = strictUtf8(bytes);
    if (!text)
        return std::nullopt;
    for (QStringView line : QStringView(*text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'#'))
            continue;
        if (const std::optional<QString> address = nonEmpty(line.toString()))
            return address;
    }
    return std::nullopt;
}

std::optional<Link> parseMozUrl(QByteArrayView bytes) {
    const QString text = decodeMozUrl(bytes);
    const qsizetype newline = text.indexOf(u'\n');
    const std::optional<QString> address = nonEmpty(newline < 0 ? text : text.first(newline));
    if (!address)
        return std::nullopt;
    return Link{*address, newline < 0 ? QString() : text.sliced(newline + 1).trimmed()};
}

} // namespace linkfile
