#include "Corvina/App/UrlEvents.h"

#include "Corvina/App/AppNotifications.h"
#include "platform/Notifications/NotificationCenter.h"

#include <QLoggingCategory>

// Off unless asked for (QT_LOGGING_RULES="corvina.urlevents.debug=true"):
// shows what a bookmarklet or a second start handed over and what came of it.
Q_LOGGING_CATEGORY(lcUrlEvents, "corvina.urlevents", QtInfoMsg)

void handleCorvinaURL(const Url& url) {
    const auto ignored = [](const char* why) { qCDebug(lcUrlEvents, "ignored: %s", why); };
    const auto scheme = url.scheme();
    if (!scheme || scheme->toLower() != u"corvina")
        return ignored("not a corvina link");
    const auto host = url.host();
    if (!host || host->toLower() != u"add")
        return ignored("not an add link");
    const auto items = url.queryItems();
    if (!items || items->empty())
        return ignored("no query");

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
        return ignored("no url");

    PrefillBookmark prefill{*link->value, title && title->value ? *title->value : QString()};
    qCDebug(lcUrlEvents).noquote() << "add sheet for" << prefill.url << "titled" << prefill.title;
    NotificationCenter::defaultCenter().post(appnotification::kPrefillBookmarkRequested,
                                             QVariant::fromValue(prefill));
}
