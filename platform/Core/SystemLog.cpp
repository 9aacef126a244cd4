#include "platform/Core/SystemLog.h"

#include <cstdio>
#include <syslog.h>

void systemLog(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    syslog(LOG_USER | LOG_NOTICE, "%s", bytes.constData());
    standardErrorLine(line);
}

void standardErrorLine(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}
