#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace testenv {

// One case of a table in tests/data, and where it was for failure messages.
struct TableRow {
    std::string where; // "file:line"
    QList<QByteArray> fields;

    QByteArray bytes(int i) const { return fields.value(i); }
    // A leading byte order mark stays: it may be what the case is about.
    QString text(int i) const {
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
            .decode(fields.value(i));
    }
    // nullopt for a field that is \N.
    std::optional<QString> optionalText(int i) const {
        return fields.value(i).isNull() ? std::nullopt : std::optional(text(i));
    }
};

// Undoes a table field's escapes: \t \n \r \0 \\ as in C, \xHH one byte,
// \u{H...} one code point in UTF-8; a field that is only \N is null.
inline QByteArray unescaped(const QByteArray& field) {
    if (field == "\\N")
        return {};
    QByteArray out("");
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char code = field[++i];
        if (code == 'x') {
            out += char(field.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else if (code == 'u') {
            const qsizetype end = field.indexOf('}', i);
            const char32_t scalar = char32_t(field.mid(i + 2, end - i - 2).toUInt(nullptr, 16));
            out += QStringView(QChar::fromUcs4(scalar)).toUtf8();
            i = end;
        } else {
            const qsizetype simple = QByteArrayView("tnr0").indexOf(code);
            out += simple < 0 ? code : "\t\n\r\0"[simple];
        }
    }
    return out;
}

// The cases of tests/data/`name`: one a line, `columns` fields separated by
// tabs. Blank lines and lines that start with '#' are not cases (a first
// field that starts with '#' is written \x23).
inline std::vector<TableRow> readTable(const QString& name, int columns) {
    QFile file(QStringLiteral(CORVINA_TEST_DATA_DIR "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    std::vector<TableRow> rows;
    int number = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        ++number;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        TableRow row{name.toStdString() + ':' + std::to_string(number), {}};
        for (const QByteArray& field : line.split('\t'))
            row.fields << unescaped(field);
        EXPECT_EQ(row.fields.size(), columns) << row.where;
        rows.push_back(std::move(row));
    }
    EXPECT_FALSE(rows.empty()) << name.toStdString();
    return rows;
}

} // namespace testenv
