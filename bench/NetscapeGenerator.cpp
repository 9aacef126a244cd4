#include "NetscapeGenerator.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace benchdata {
namespace {

const QStringList kWords = {
    QStringLiteral("swift"),    QStringLiteral("rust"),      QStringLiteral("garden"),
    QStringLiteral("recipes"),  QStringLiteral("history"),   QStringLiteral("design"),
    QStringLiteral("travel"),   QStringLiteral("music"),     QStringLiteral("kernel"),
    QStringLiteral("weather"),  QStringLiteral("finance"),   QStringLiteral("photography"),
    QStringLiteral("climbing"), QStringLiteral("linux"),     QStringLiteral("typography"),
    QStringLiteral("coffee"),   QStringLiteral("astronomy"), QStringLiteral("chess"),
    QStringLiteral("guide"),    QStringLiteral("review"),    QStringLiteral("tutorial"),
    QStringLiteral("news"),     QStringLiteral("video"),     QStringLiteral("podcast"),
};
// Titles as pages give them: accents, other scripts, emoji, and entities.
const QStringList kFlavours = {
    QStringLiteral("Caf\u00e9 cr\u00e8me"),
    QStringLiteral("\u00dcbersicht f\u00fcr K\u00f6ln"),
    QStringLiteral("\u6771\u4eac\u306e\u5730\u56f3"),
    QStringLiteral("\u041d\u043e\u0432\u043e\u0441\u0442\u0438"),
    QStringLiteral("\U0001F426 Birds"),
    QStringLiteral("Tom &amp; Jerry"),
    QStringLiteral("It&#39;s &quot;done&quot;"),
    QStringLiteral("2020 &#8211; 2024"),
    QStringLiteral("&lt;code&gt; tips"),
    QStringLiteral("Caf&eacute; (unknown entity)"),
};

class Writer {
public:
    Writer(int count, quint32 seed)
        : m_random(seed)
        , m_count(count) {}

    QByteArray file() {
        m_out.reserve(qsizetype(m_count) * 420);
        m_out += "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                 "<!-- This is an automatically generated file.\n"
                 "     It will be read and overwritten.\n"
                 "     DO NOT EDIT! -->\n"
                 "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                 "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
        openFolder("Bookmarks bar", " PERSONAL_TOOLBAR_FOLDER=\"true\"");
        while (m_written < m_count) {
            const quint32 roll = m_random.bounded(1000);
            if (roll < 8 && m_depth < 6)
                openFolder(word() + (roll < 2 ? " &amp; " + word() : " " + word()), "");
            else if (roll < 16 && m_depth > 1)
                closeFolder();
            else if (roll < 18)
                line("<HR>");
            else
                link();
        }
        while (m_depth > 0)
            closeFolder();
        m_out += "</DL><p>\n";
        return m_out;
    }

private:
    QByteArray word() { return kWords[m_random.bounded(kWords.size())].toUtf8(); }
    QByteArray date() { return QByteArray::number(1'200'000'000 + m_random.bounded(500'000'000)); }

    void line(const QByteArray& text) {
        m_out += QByteArray(4 * (m_depth + 1), ' ');
        m_out += text;
        m_out += '\n';
    }
    void openFolder(const QByteArray& name, const char* flags) {
        line("<DT><H3 ADD_DATE=\"" + date() + "\" LAST_MODIFIED=\"" + date() + '"' + flags + '>' +
             name + "</H3>");
        line("<DL><p>");
        ++m_depth;
    }
    void closeFolder() {
        --m_depth;
        line("</DL><p>");
    }

    QByteArray icon() {
        // Favicons are a few hundred bytes of PNG; base64 makes them a third longer.
        QByteArray png("\x89PNG\r\n\x1a\n", 8);
        for (int n = 200 + int(m_random.bounded(900)); n > 0; --n)
            png += char(m_random.bounded(256));
        return "data:image/png;base64," + png.toBase64();
    }

    void link() {
        const QByteArray host = word() + QByteArray::number(m_random.bounded(3000)) + ".example";
        QByteArray url = "https://" + (m_random.bounded(3) == 0 ? "www." + host : host) + '/' +
                         word() + '/' + QByteArray::number(m_written);
        if (m_random.bounded(4) == 0)
            url += "?ref=" + word() +
                   "&amp;utm_source=feed&amp;page=" + QByteArray::number(m_random.bounded(20));
        QByteArray text = "<DT><A HREF=\"" + url + "\" ADD_DATE=\"" + date() + '"';
        if (m_random.bounded(2) == 0)
            text += " LAST_MODIFIED=\"" + date() + '"';
        if (m_random.bounded(10) == 0)
            text += " ICON_URI=\"https://" + host + "/favicon.ico\"";
        if (m_random.bounded(5) == 0)
            text += " ICON=\"" + icon() + '"';
        if (m_random.bounded(50) == 0)
            text += " SHORTCUTURL=\"" + word() + '"';
        if (m_random.bounded(10) < 3) {
            text += " TAGS=\"" + word();
            for (int n = int(m_random.bounded(4)); n > 0; --n)
                text += ',' + word();
            text += '"';
        }
        QByteArray title = word() + ' ' + word() + " \xE2\x80\x94 " + word() + ' ' + word();
        title[0] = char(title[0] - 0x20);
        if (m_random.bounded(5) == 0)
            title += ' ' + kFlavours[m_random.bounded(kFlavours.size())].toUtf8();
        line(text + '>' + title + "</A>");
        if (m_random.bounded(7) == 0)
            line("<DD>Notes on " + word() + " &amp; " + word() + ", kept for later reading.");
        ++m_written;
    }

    QRandomGenerator m_random;
    int m_count;
    int m_written = 0;
    int m_depth = 0;
    QByteArray m_out;
};

} // namespace

QByteArray netscapeFile(int count, quint32 seed) {
    return Writer(count, seed).file();
}

} // namespace benchdata
