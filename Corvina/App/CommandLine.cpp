#include "Corvina/App/CommandLine.h"

#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "Corvina/Inbox/InboxWork.h"
#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkDraft.h"
#include "Corvina/Library/LegacyMigration.h"
#include "Corvina/Library/LibraryStore.h"
#include "platform/Store/ModelContainer.h"
#include "shared/Duplicates/DuplicateKey.h"
#include "shared/Inbox/SharedContainer.h"
#include "shared/Metadata/MetadataFetcher.h"
#include "shared/Preferences.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>

namespace cli {
namespace {

const QStringList kCommands = {QStringLiteral("list"),      QStringLiteral("add"),
                               QStringLiteral("drain"),     QStringLiteral("help"),
                               QStringLiteral("--help"),    QStringLiteral("-h"),
                               QStringLiteral("--version"), QStringLiteral("-v")};

QString usage() {
    return QStringLiteral("Usage:\n"
                          "  corvina                 open the library window\n"
                          "  corvina list [--json]   print the library, newest first\n"
                          "  corvina add URL [--title T] [--description D] [--tags a,b]\n"
                          "                          add a bookmark; a missing title or\n"
                          "                          description is fetched from the page\n"
                          "  corvina drain           take in the pages queued by Dropslip\n"
                          "  corvina --version       print the version\n");
}

// The store as the windows open it, legacy file taken in first.
std::unique_ptr<store::ModelContainer> openLibrary(QTextStream& err) {
    auto container = library::openStore(library::storeFilePath());
    if (!container) {
        err << library::openFailureMessage(container.error()) << '\n';
        return nullptr;
    }
    library::migrateLegacyBookmarks(container.value()->mainContext(), library::legacyFolder());
    return std::move(container).value();
}

int list(const QStringList& options, QTextStream& out, QTextStream& err) {
    bool json = false;
    for (const QString& option : options) {
        if (option == u"--json") {
            json = true;
        } else {
            err << QStringLiteral("corvina: unknown option for list: %1\n").arg(option) << usage();
            return 2;
        }
    }
    const auto container = openLibrary(err);
    if (!container)
        return 1;
    store::ModelContext& context = container->mainContext();

    const auto objects = context.fetch({Bookmark::kCreatedAt, Qt::DescendingOrder});
    if (json) {
        QJsonArray array;
        for (const store::ModelObject& object : objects)
            array.append(payloadToJson(Bookmark(object).toPayload()));
        out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return 0;
    }
    for (const store::ModelObject& object : objects) {
        const Bookmark bookmark(object);
        out << bookmark.title() << '\t' << bookmark.urlString() << '\t'
            << bookmark.tags().join(QStringLiteral(", ")) << '\n';
    }
    return 0;
}

// The title of a saved bookmark with the same duplicate key, if any.
std::optional<QString> savedTitleFor(store::ModelContext& context, const Url& url) {
    const QString key = duplicateKey(url);
    for (const store::ModelObject& object : context.fetch({Bookmark::kCreatedAt})) {
        const Bookmark bookmark(object);
        if (duplicateKey(bookmark.urlString()) == key)
            return bookmark.title();
    }
    return std::nullopt;
}

// Title and description the user left out, from the page itself, when the
// preference allows fetching. A failed fetch is reported and the add goes on.
void fillFromPage(BookmarkDraft& entry, const Url& url, QTextStream& err) {
    const QString scheme = url.scheme().value_or(QString()).toLower();
    const bool web = scheme == u"http" || scheme == u"https";
    if (!web || !Preferences::shared().autoFetchMetadata() ||
        (!entry.title.isEmpty() && !entry.description.isEmpty()))
        return;
    QNetworkAccessManager network;
    const MetadataFetcher fetcher(network);
    QEventLoop loop;
    std::optional<MetadataFetcher::Outcome> outcome;
    const MetadataFetch fetch = fetcher.fetch(url, [&](MetadataFetcher::Outcome result) {
        outcome = std::move(result);
        loop.quit();
    });
    loop.exec();
    if (!outcome || !outcome->ok()) {
        err << QStringLiteral("corvina: could not read the page: %1\n")
                   .arg(outcome ? outcome->error().description() : QString());
        return;
    }
    const PageMetadata& page = outcome->value();
    if (entry.title.isEmpty())
        entry.title = page.title;
    if (entry.description.isEmpty())
        entry.description = page.description;
}

int add(const QStringList& options, QTextStream& out, QTextStream& err) {
    BookmarkDraft entry;
    bool haveUrl = false;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& option = options.at(i);
        QString* field = option == u"--title"         ? &entry.title
                         : option == u"--description" ? &entry.description
                         : option == u"--tags"        ? &entry.tagsField
                                                      : nullptr;
        if (field) {
            if (i + 1 == options.size()) {
                err << QStringLiteral("corvina: %1 needs a value\n").arg(option) << usage();
                return 2;
            }
            *field = options.at(++i);
        } else if (!option.startsWith(u"--") && !haveUrl) {
            entry.url = option;
            haveUrl = true;
        } else {
            err << QStringLiteral("corvina: unknown option for add: %1\n").arg(option) << usage();
            return 2;
        }
    }
    const std::optional<Url> url = Url::parse(draft::trimSpacesAndTabs(entry.url));
    if (!haveUrl || !url) {
        err << QStringLiteral("corvina: add needs a valid address\n") << usage();
        return 2;
    }
    fillFromPage(entry, *url, err);
    // Something has to name the bookmark in the list; the address is what
    // the user gave.
    if (draft::trimSpacesAndTabs(entry.title).isEmpty())
        entry.title = url->absoluteString();

    const auto container = openLibrary(err);
    if (!container)
        return 1;
    store::ModelContext& context = container->mainContext();
    if (const std::optional<QString> saved = savedTitleFor(context, *url))
        err << QStringLiteral("corvina: already saved as \u201C%1\u201D; adding it again\n")
                   .arg(*saved);
    const std::optional<Bookmark> added = draft::save(context, entry);
    if (!added || context.hasChanges()) {
        err << QStringLiteral("corvina: the bookmark could not be saved\n");
        return 1;
    }
    // The index writer leaves the shared folder to the inbox drain, which a
    // window runs first at start; from here nothing else may have made it.
    (void)sharedcontainer::inboxDirectory();
    // The process ends next, which would drop a write still running.
    rebuildDuplicateIndex(context).waitForFinished();
    out << QStringLiteral("Added \u201C%1\u201D  %2\n").arg(added->title(), added->urlString());
    return 0;
}

int drain(const QStringList& options, QTextStream& out, QTextStream& err) {
    if (!options.isEmpty()) {
        err << QStringLiteral("corvina: drain takes no options\n") << usage();
        return 2;
    }
    const auto container = openLibrary(err);
    if (!container)
        return 1;
    InboxWorkResult result = runInboxWork(container->mainContext());
    // The process ends next, which would drop a write still running.
    result.indexWritten.waitForFinished();
    out << QStringLiteral("Added %1 queued %2.\n")
               .arg(result.inserted)
               .arg(result.inserted == 1 ? QStringLiteral("page") : QStringLiteral("pages"));
    return 0;
}

} // namespace

bool wantsCommandLine(const QStringList& arguments) {
    return arguments.size() > 1 && kCommands.contains(arguments.at(1));
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const QString command = arguments.value(1);
    if (command == u"--version" || command == u"-v") {
        out << QStringLiteral("corvina %1\n").arg(QCoreApplication::applicationVersion());
        return 0;
    }
    if (command == u"list")
        return list(arguments.mid(2), out, err);
    if (command == u"add")
        return add(arguments.mid(2), out, err);
    if (command == u"drain")
        return drain(arguments.mid(2), out, err);
    if (command == u"help" || command == u"--help" || command == u"-h") {
        out << usage();
        return 0;
    }
    err << QStringLiteral("corvina: unknown command: %1\n").arg(command) << usage();
    return 2;
}

} // namespace cli
