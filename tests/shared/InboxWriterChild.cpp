// Queues one large entry after another until the writer test kills it.
#include "shared/Inbox/InboxWriter.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const PendingBookmark entry(*Url::parse(QStringLiteral("https://example.com/large")),
                                QStringLiteral("Large"), QString(2 * 1024 * 1024, u'x'), {},
                                QDateTime::currentDateTimeUtc());
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    while (enqueue(entry)) {
    }
    return 1;
}
