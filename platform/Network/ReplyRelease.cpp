#include "platform/Network/ReplyRelease.h"

#include <QNetworkReply>

namespace network {

void releaseReply(QNetworkReply* reply) {
    if (!reply)
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!reply->isFinished() && status < 400)
        reply->abort();
    reply->deleteLater();
}

} // namespace network
