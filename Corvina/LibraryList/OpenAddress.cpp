#include "Corvina/LibraryList/OpenAddress.h"

namespace openaddress {

Decision decide(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"mailto")
        return url.isValid() ? Decision::open : Decision::ask;
    if (scheme == u"javascript" || scheme == u"data" || scheme == u"vbscript")
        return Decision::refuse;
    return Decision::ask;
}

} // namespace openaddress
