#pragma once

#include <QString>

// One diagnostic line to the system log and the same line on standard error.
void systemLog(const QString& line);

// One line on standard error only (no system log entry).
void standardErrorLine(const QString& line);
