#pragma once

#include <QList>
#include <QString>

namespace tags {

// The standard string ordering tags are sorted by: lexicographic order of the
// Unicode scalar values of the canonically composed (NFC) strings, case
// sensitive. For ASCII that is byte order ("Z" < "a"). Not UTF-16 order,
// which puts U+10000 and above before U+E000.
class ScalarOrderKey {
public:
    explicit ScalarOrderKey(const QString& text);
    friend bool operator<(const ScalarOrderKey& a, const ScalarOrderKey& b) {
        return a.m_scalars < b.m_scalars;
    }

private:
    QList<uint> m_scalars;
};

} // namespace tags
