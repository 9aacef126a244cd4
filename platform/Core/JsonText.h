#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <QStringView>

namespace jsontext {

// The compact form every file exchanged between the two programs is written
// in: no white space between tokens and every '/' escaped as "\/". Readers
// accept any valid JSON, so this is about writing one recognisable form.
QByteArray compact(const QJsonDocument& document);

// Appends `text` as a JSON string literal in that same form, for writers of
// large documents that cannot afford to build a QJsonObject first.
void appendString(QString& out, QStringView text);

} // namespace jsontext
