#pragma once

#include "tests/support/CorvinaProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

    // An entry as the share sheet writes it, under a name like its own.
    void queue(const QString& url, int n) {
        QDir().mkpath(inbox());
        QFile file(QDir(inbox()).filePath(
            QStringLiteral("00000000-0000-4000-8000-%1.json").arg(n, 12, 10, QChar(u'0'))));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("url"), url},
                                             {QStringLiteral("title"), url},
                                             {QStringLiteral("description"), QString()},
                                             {QStringLiteral("tags"), QJsonArray()},
                                             {QStringLiteral("receivedAt"),
                                              QStringLiteral("2025-03-01T12:00:00Z")}})
                       .toJson(QJsonDocument::Compact));
    }

    // The addresses still queued.
    QStringList queued() const {
        QStringList urls;
        for (const QString& name : QDir(inbox()).entryList({QStringLiteral("*.json")}, QDir::Files)) {
            QFile file(QDir(inbox()).filePath(name));
            if (file.open(QIODevice::ReadOnly))
                urls << QJsonDocument::fromJson(file.readAll())
                            .object()
                            .value(QStringLiteral("url"))
                            .toString();
        }
        return urls;
    }

    void write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
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
