#pragma once

#include "platform/Url/Url.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>

// Receives the URLs the desktop hands the program (its "corvina" links) and
// passes them to the callback the application sets.
class CorvinaAppDelegate : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    std::function<void(const QList<Url>&)> onOpenURLs;

    // One delivered URL event: the text of a link. Text that does not parse
    // as a URL, or an event with no callback set, is dropped.
    void handleGetURLEvent(const QString& directObject);
    // The program's own arguments that are URL events (those with a scheme).
    void handleArguments(const QStringList& arguments);
};
