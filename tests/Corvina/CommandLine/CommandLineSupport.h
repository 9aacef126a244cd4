#pragma once

#include "tests/support/CorvinaProcess.h"
#include "tests/support/Testing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// A home of its own for the real `corvina`, and the paths inside it.
struct CorvinaHome {
    QTemporaryDir dir;

    QString path() const { return dir.path(); }
    QString storeFile() const { return dir.filePath(QStringLiteral("data/Quillan/Quillan.store")); }
    QString inbox() const { return dir.filePath(QStringLiteral("data/Corvina/inbox")); }
    QString indexFile() const {
        return dir.filePath(QStringLiteral("data/Corvina/duplicate-index.json"));
    }

    testcorvina::Run run(const QStringList& arguments, const testcorvina::Options& options = {}) {
        return testcorvina::run(dir.path(), arguments, options);
    }

    // The library's addresses, as `corvina list --json` gives them; fails the
    // test when the store does not open.
    QStringList urls() {
        const testcorvina::Run listed = run({QStringLiteral("list"), QStringLiteral("--json")});
        EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
        QStringList urls;
        for (const QJsonValue& bookmark : QJsonDocument::fromJson(listed.out).array())
            urls << bookmark.toObject().value(QStringLiteral("url")).toString();
        return urls;
    }

    // One bookmark in the library before the command under test runs.
    void addKept() {
        const testcorvina::Run added =
            run({QStringLiteral("add"), QStringLiteral("https://kept.example/"),
                 QStringLiteral("--title"), QStringLiteral("Kept"), QStringLiteral("--description"),
                 QStringLiteral("-")});
        ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    }

    // An entry as the share sheet writes it, under a name like its own.
    void queue(const QString& url, int n) {
        testenv::writeFile(
            QDir(inbox()).filePath(
                QStringLiteral("00000000-0000-4000-8000-%1.json").arg(n, 12, 10, QChar(u'0'))),
            QJsonDocument(
                QJsonObject{{QStringLiteral("url"), url},
                            {QStringLiteral("title"), url},
                            {QStringLiteral("description"), QString()},
                            {QStringLiteral("tags"), QJsonArray()},
                            {QStringLiteral("receivedAt"), QStringLiteral("2025-03-01T12:00:00Z")}})
                .toJson(QJsonDocument::Compact));
    }

    // The addresses still queued.
    QStringList queued() const {
        QStringList urls;
        for (const QString& name : QDir(inbox()).entryList({QStringLiteral("*.json")}, QDir::Files))
            urls << QJsonDocument::fromJson(testenv::readFile(QDir(inbox()).filePath(name)))
                        .object()
                        .value(QStringLiteral("url"))
                        .toString();
        return urls;
    }

    // Writes `bytes` to `name` inside the home, making its folder; returns the path.
    QString write(const QString& name, const QByteArray& bytes) {
        return testenv::writeFile(dir.filePath(name), bytes);
    }
};

// A Netscape bookmark file of `count` links to distinct addresses.
inline QByteArray netscapeFile(int count, const char* host = "page") {
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < count; ++i)
        html += "<DT><A HREF=\"https://" + QByteArray(host) + QByteArray::number(i) +
                ".example/\" ADD_DATE=\"1600000000\">Page " + QByteArray::number(i) + "</A>\n";
    return html + "</DL><p>\n";
}
