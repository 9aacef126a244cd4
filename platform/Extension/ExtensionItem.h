#pragma once

#include "platform/Extension/ItemProvider.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

// One input item of a share request: an optional title and content text
// (plain strings; the host passes no formatting) and the providers of what
// is shared. Move-only: the request owns its providers.
struct ExtensionItem {
    std::optional<QString> attributedTitle;
    std::optional<QString> attributedContentText;
    std::vector<std::unique_ptr<ItemProvider>> attachments;
};
