#pragma once

#include <QSet>
#include <QString>

// Strings that many records repeat (a library's few hundred tags on
// thousands of bookmarks) kept once: each equal string handed back shares the
// first one's text.
class StringPool {
public:
    QString intern(QString text) { return *m_strings.insert(std::move(text)); }

private:
    QSet<QString> m_strings;
};
