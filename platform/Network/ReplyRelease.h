#pragma once

class QNetworkReply;

namespace network {

// Stops a reply that is no longer wanted and deletes it later. The caller
// must have disconnected from it first. A reply whose status is 400 or more
// already has an error of its own queued, and abort() would queue a second
// one; deleting such a reply closes the connection all the same.
void releaseReply(QNetworkReply* reply);

} // namespace network
