#include "Corvina/App/UrlEvents.h"

#include "Corvina/App/AppNotifications.h"
#include "platform/Notifications/NotificationCenter.h"

void handleCorvinaURL(const Url& url) {
    const auto scheme = url.scheme();
    if (!scheme || scheme->toLower() != u"corvina")
        return;
    const auto host = url.host();
    if (!host || host->toLower() != u"add")
        return;
    const auto items = url.queryItems();
    if (!items || items->empty())
        return;

    const Url::QueryItem* link = nullptr;
    const Url::QueryItem* title = nullptr;
    for (const Url::QueryItem& item : *items) {
        // Names are matched exactly: "URL" is not "url".
        if (!link && item.name == u"url")
            link = &item;
        if (!title && item.name == u"title")
            title = &item;
    }
    if (!link || !link->value || link->value->isEmpty())
        return;

    PrefillBookmark prefill{*link->value, title && title->value ? *title->value : QString()};
    NotificationCenter::defaultCenter().post(appnotification::kPrefillBookmarkRequested,
                                             QVariant::fromValue(prefill));
}
