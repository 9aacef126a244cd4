#include "Corvina/App/CorvinaAppDelegate.h"

void CorvinaAppDelegate::handleGetURLEvent(const QString& directObject) {
    if (directObject.isEmpty())
        return;
    const auto url = Url::parse(directObject);
    if (!url)
        return;
    if (onOpenURLs)
        onOpenURLs({*url});
}

void CorvinaAppDelegate::handleArguments(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        const auto url = Url::parse(argument);
        if (url && url->scheme())
            handleGetURLEvent(argument);
    }
}
