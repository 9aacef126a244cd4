#include "platform/Core/HugePages.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace hugepages {

namespace {
constexpr const char* kTunable = "glibc.malloc.hugetlb";

// "always [madvise] never": the bracketed word is the kernel's mode.
bool kernelGivesHugePages() {
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    return std::getline(setting, modes) && modes.find("[never]") == std::string::npos;
}
} // namespace

std::optional<std::string> tunablesAskingForHugePages(const char* current) {
    if (current && std::strstr(current, kTunable))
        return std::nullopt;
    std::string value = current ? current : "";
    if (!value.empty())
        value += ':';
    value += kTunable;
    value += "=1";
    return value;
}

void restartAskingForHugePages(char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
    const char* current = std::getenv("GLIBC_TUNABLES");
    const std::optional<std::string> tunables = tunablesAskingForHugePages(current);
    if (!tunables || !kernelGivesHugePages())
        return;
    const std::optional<std::string> before = current ? std::optional<std::string>(current)
                                                      : std::nullopt;
    if (::setenv("GLIBC_TUNABLES", tunables->c_str(), 1) != 0)
        return;
    ::execv("/proc/self/exe", argv);
    // Still here: the restart failed. Go on unchanged.
    if (before)
        ::setenv("GLIBC_TUNABLES", before->c_str(), 1);
    else
        ::unsetenv("GLIBC_TUNABLES");
#else
    (void)argv;
#endif
}

} // namespace hugepages
