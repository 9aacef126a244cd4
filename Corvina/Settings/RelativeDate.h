#pragma once

#include <QDateTime>
#include <QString>

// How long ago `date` was, seen from `now`, in whole units with their full
// names: "5 minutes ago", "1 hour ago", "3 days ago". Under a minute either
// way reads "just now"; a date further ahead than that reads "in the future"
// (clocks of different devices disagree a little, so a few seconds ahead is
// still "just now").
QString relativeDateText(const QDateTime& date, const QDateTime& now);
