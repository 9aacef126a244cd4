#include "platform/Extension/ItemProvider.h"

#include "platform/Extension/StrictUtf8.h"
#include "platform/Extension/TypeIdentifiers.h"

#include <QPointer>

namespace {

// Hands `result` to `done` from the event loop, dropped if `receiver` dies
// first (the posted call belongs to it).
void deliverLater(QObject* receiver, ItemProvider::Completion done,
                  ItemProvider::LoadResult result) {
    QMetaObject::invokeMethod(
        receiver,
        [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); },
        Qt::QueuedConnection);
}

std::optional<Url> absoluteURL(const QString& text) {
    std::optional<Url> url = Url::parse(text.trimmed());
    if (url && url->isAbsolute())
        return url;
    return std::nullopt;
}

std::optional<Url> urlObjectFrom(const ItemProvider::Item& item) {
    if (const Url* url = std::get_if<Url>(&item))
        return *url;
    if (const QString* text = std::get_if<QString>(&item))
        return absoluteURL(*text);
    const std::optional<QString> text = strictUtf8(std::get<QByteArray>(item));
    return text ? absoluteURL(*text) : std::nullopt;
}

} // namespace

void ItemProvider::registerItem(const QString& typeIdentifier, Item item) {
    registerLoader(typeIdentifier,
                   [item = std::move(item)](QObject*, Completion done) { done(LoadResult(item)); });
}

void ItemProvider::registerLoader(const QString& typeIdentifier, Loader loader) {
    m_representations.push_back({typeIdentifier, std::move(loader)});
}

QStringList ItemProvider::registeredTypeIdentifiers() const {
    QStringList identifiers;
    for (const Representation& representation : m_representations)
        identifiers.append(representation.typeIdentifier);
    return identifiers;
}

const ItemProvider::Representation* ItemProvider::find(const QString& typeIdentifier) const {
    for (const Representation& representation : m_representations)
        if (uti::conformsTo(representation.typeIdentifier, typeIdentifier))
            return &representation;
    return nullptr;
}

bool ItemProvider::hasItemConformingTo(const QString& typeIdentifier) const {
    return find(typeIdentifier) != nullptr;
}

void ItemProvider::loadItem(const QString& typeIdentifier, QObject* receiver,
                            Completion done) const {
    const Representation* representation = find(typeIdentifier);
    if (!representation) {
        deliverLater(receiver, std::move(done),
                     Failure{LoadError{QStringLiteral("No item of type %1.").arg(typeIdentifier)}});
        return;
    }
    // The loader may finish at once; going through the event loop either way
    // keeps callers from being re-entered.
    QPointer<QObject> guard(receiver);
    representation->loader(receiver, [guard, done = std::move(done)](LoadResult result) mutable {
        if (guard)
            deliverLater(guard, std::move(done), std::move(result));
    });
}

bool ItemProvider::canLoadURLObject() const {
    return hasItemConformingTo(uti::url);
}

void ItemProvider::loadURLObject(QObject* receiver,
                                 std::function<void(std::optional<Url>)> done) const {
    loadItem(uti::url, receiver, [done = std::move(done)](LoadResult result) {
        done(result ? urlObjectFrom(result.value()) : std::nullopt);
    });
}
