#pragma once

#include "platform/Core/Result.h"
#include "platform/Url/Url.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

// One shared thing as the share host hands it over: the same content under
// one or more type identifiers, each loaded on request. Loads are
// asynchronous and report on the event loop of the thread that asked, never
// inside the call that asked, so a caller can treat every load alike.
class ItemProvider {
public:
    // What a load delivers: a URL object, a string, or raw bytes.
    using Item = std::variant<Url, QString, QByteArray>;
    struct LoadError {
        QString description;
    };
    using LoadResult = Result<Item, LoadError>;
    using Completion = std::function<void(LoadResult)>;
    // Produces the item for one request. It must call `done` exactly once, at
    // once or later, on `receiver`'s thread.
    using Loader = std::function<void(QObject* receiver, Completion done)>;

    // An item that is at hand already.
    void registerItem(const QString& typeIdentifier, Item item);
    // An item that takes time to produce (standard input, say).
    void registerLoader(const QString& typeIdentifier, Loader loader);

    // In the order registered.
    QStringList registeredTypeIdentifiers() const;
    bool hasItemConformingTo(const QString& typeIdentifier) const;

    // Loads the first registered item that conforms to `typeIdentifier`, or
    // fails when there is none. `done` runs later on `receiver`'s thread, and
    // not at all once `receiver` is gone. The provider may be destroyed
    // while a load is in flight.
    void loadItem(const QString& typeIdentifier, QObject* receiver, Completion done) const;

    // Whether a URL object can be made from this provider: some item conforms
    // to the URL type.
    bool canLoadURLObject() const;
    // The URL object, from a URL item as it is or from a string or bytes that
    // parse as an absolute URL; nullopt otherwise. Delivered as for loadItem.
    void loadURLObject(QObject* receiver, std::function<void(std::optional<Url>)> done) const;

private:
    struct Representation {
        QString typeIdentifier;
        Loader loader;
    };
    const Representation* find(const QString& typeIdentifier) const;

    std::vector<Representation> m_representations;
};
