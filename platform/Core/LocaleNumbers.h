#pragma once

#include <QString>
#include <initializer_list>

// Counts shown to people, written as their locale writes numbers: digit
// grouping ("12,345", "12.345", "12 345") and the locale's own digits. The C
// locale groups nothing, so texts under LANG=C read as plain digits.
namespace localenumbers {

QString count(qint64 n);

// `text` with each "%lld" in turn replaced by the next of `counts`, written as
// count() does: messages keep their printf-style keys, and a translation may
// move the placeholders but not reorder them.
QString withCounts(QString text, std::initializer_list<qint64> counts);

} // namespace localenumbers
