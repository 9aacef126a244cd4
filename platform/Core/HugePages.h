#pragma once

#include <optional>
#include <string>

// Commands that read or write the whole library allocate hundreds of
// thousands of small blocks in one go. Where the kernel hands out
// transparent huge pages on request, letting the C library ask for them
// makes the first touch of that memory several times cheaper (a 100,000
// bookmark import spends a third of its time in page faults otherwise).
// glibc reads the setting only when a process starts, so the process starts
// itself once more with it.
namespace hugepages {

// The GLIBC_TUNABLES value that adds the huge-page request to `current`
// (the variable's value, or null), or nothing when `current` already says
// something about it: a choice made by the user, or an earlier restart.
std::optional<std::string> tunablesAskingForHugePages(const char* current);

// Replaces the process with itself, same arguments, asking for huge pages;
// returns only when that is not needed or not possible (no glibc, the kernel
// never gives huge pages, the restart failed), and the process goes on as it
// was. Call first thing in main(), before any thread starts.
void restartAskingForHugePages(char** argv);

} // namespace hugepages
