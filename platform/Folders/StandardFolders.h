#pragma once

#include <QString>
#include <optional>

// The user's standard folders, looked up through the XDG base directories.
namespace folders {

enum class Create { no, yes };

// $XDG_DATA_HOME (default ~/.local/share). With Create::yes the folder is made
// when missing; nullopt when it cannot be determined or made.
std::optional<QString> applicationSupport(Create create);
// $XDG_CACHE_HOME (default ~/.cache), same rules.
std::optional<QString> caches(Create create);
// The process's temporary folder.
QString temporary();

} // namespace folders
