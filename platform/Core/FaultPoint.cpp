#include "platform/Core/FaultPoint.h"

#ifdef CORVINA_FAULT_POINTS

#include <QByteArray>
#include <atomic>
#include <csignal>
#include <cstdlib>

namespace faultpoint {
namespace {

struct Target {
    QByteArray point;
    long long occurrence = 1;
};

const Target& target() {
    static const Target parsed = [] {
        Target result;
        const QByteArray setting = qgetenv("CORVINA_CRASH_AT");
        const qsizetype at = setting.indexOf('@');
        result.point = at < 0 ? setting : setting.left(at);
        if (at >= 0)
            result.occurrence = std::max(1LL, setting.mid(at + 1).toLongLong());
        return result;
    }();
    return parsed;
}

} // namespace

void reach(const char* point) {
    const Target& wanted = target();
    if (wanted.point.isEmpty() || wanted.point != point)
        return;
    static std::atomic<long long> reached{0};
    if (++reached == wanted.occurrence)
        std::raise(SIGKILL);
}

} // namespace faultpoint

#endif
