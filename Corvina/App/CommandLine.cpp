#include "Corvina/App/CommandLine.h"

#include "Corvina/ImportExport/BookmarksDocument.h"
#include "Corvina/ImportExport/ImporterRouter.h"
#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "Corvina/Inbox/InboxWork.h"
#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkDraft.h"
#include "Corvina/Library/BookmarkFilter.h"
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
#include <QSet>

namespace cli {
namespace {

const QStringList kCommands = {QStringLiteral("list"),      QStringLiteral("add"),
                               QStringLiteral("drain"),     QStringLiteral("import"),
                               QStringLiteral("export"),    QStringLiteral("help"),
                               QStringLiteral("--help"),    QStringLiteral("-h"),
                               QStringLiteral("--version"), QStringLiteral("-v")};

QString usage() {
    return QStringLiteral("Usage:\n"
                          "  corvina                 open the library window\n"
                          "  corvina list [--json] [--search WORD] [--tag TAG]\n"
                          "                          print the library, newest first; a search\n"
                          "                          looks in titles, addresses and tags\n"
                          "  corvina add URL [--title T] [--description D] [--tags a,b]\n"
                          "                          add a bookmark; a missing title or\n"
                          "                          description is fetched from the page\n"
                          "  corvina drain           take in the pages queued by Dropslip\n"
                          "  corvina import FILE... [--all]\n"
                          "                          add the bookmarks of .html, .htm or .json\n"
                          "                          files; without --all, addresses already\n"
                          "                          in the library or met before are skipped\n"
                          "  corvina export --format json|html [OUT]\n"
                          "                          write the library to OUT or standard output\n"
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

int unknownOption(QStringView command, const QString& option, QTextStream& err) {
    err << QStringLiteral("corvina: unknown option for %1: %2\n").arg(command, option) << usage();
    return 2;
}

// The value after option `i`, or nothing (with the message) when it is last.
std::optional<QString> optionValue(const QStringList& options, qsizetype& i, QTextStream& err) {
    if (i + 1 == options.size()) {
        err << QStringLiteral("corvina: %1 needs a value\n").arg(options.at(i)) << usage();
        return std::nullopt;
    }
    return options.at(++i);
}

int list(const QStringList& options, QTextStream& out, QTextStream& err) {
    bool json = false;
    std::optional<QString> tag;
    QString search;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& option = options.at(i);
        if (option == u"--json") {
            json = true;
        } else if (option == u"--search" || option == u"--tag") {
            const auto value = optionValue(options, i, err);
            if (!value)
                return 2;
            if (option == u"--tag")
                tag = *value;
            else
                search = *value;
        } else {
            return unknownOption(u"list", option, err);
        }
    }
    const auto container = openLibrary(err);
    if (!container)
        return 1;
    const BookmarkFilter filter(tag, search);
    const std::vector<Bookmark> visible =
        filter.apply(library::allBookmarks(container->mainContext()));
    if (json) {
        QJsonArray array;
        for (const Bookmark& bookmark : visible)
            array.append(payloadToJson(bookmark.toPayload()));
        out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return 0;
    }
    for (const Bookmark& bookmark : visible) {
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
            const auto value = optionValue(options, i, err);
            if (!value)
                return 2;
            *field = *value;
        } else if (!option.startsWith(u"--") && !haveUrl) {
            entry.url = option;
            haveUrl = true;
        } else {
            return unknownOption(u"add", option, err);
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

// Every file is read and parsed before anything is added: one file that
// fails leaves the library as it was.
int importFiles(const QStringList& options, QTextStream& out, QTextStream& err) {
    bool all = false;
    QStringList files;
    for (const QString& option : options) {
        if (option == u"--all")
            all = true;
        else if (!option.startsWith(u"--"))
            files.append(option);
        else
            return unknownOption(u"import", option, err);
    }
    if (files.isEmpty()) {
        err << QStringLiteral("corvina: import needs at least one file\n") << usage();
        return 2;
    }
    std::vector<BookmarkPayload> read;
    for (const QString& file : files) {
        auto payloads = ImporterRouter::readFile(file);
        if (!payloads) {
            err << QStringLiteral("corvina: %1: %2\n").arg(file, describe(payloads.error()));
            return 1;
        }
        std::move(payloads->begin(), payloads->end(), std::back_inserter(read));
    }

    const auto container = openLibrary(err);
    if (!container)
        return 1;
    store::ModelContext& context = container->mainContext();
    std::vector<BookmarkPayload> kept;
    if (all) {
        kept = std::move(read);
    } else {
        // Against the library and against what the files gave before.
        QSet<QString> seen;
        for (const Bookmark& bookmark : library::allBookmarks(context))
            seen.insert(duplicateKey(bookmark.urlString()));
        kept.reserve(read.size());
        for (BookmarkPayload& payload : read) {
            const QString key = duplicateKey(payload.url);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            kept.push_back(std::move(payload));
        }
    }
    const qsizetype skipped = qsizetype(read.size() - kept.size());
    library::addPayloads(context, kept);
    // The index writer leaves the shared folder to the inbox drain; see add.
    (void)sharedcontainer::inboxDirectory();
    // The index's keys and file are worked out on the pool while this thread
    // writes the store: a large import takes the longer of the two, not both.
    QFuture<void> index = rebuildDuplicateIndex(context);
    const auto saved = context.save();
    index.waitForFinished();
    if (!saved) {
        // That index holds bookmarks the store refused: write it again from
        // what the store holds.
        if (const auto stored = openLibrary(err))
            rebuildDuplicateIndex(stored->mainContext()).waitForFinished();
        err << QStringLiteral("corvina: the bookmarks could not be saved\n");
        return 1;
    }
    out << QStringLiteral("Added %1 bookmarks.").arg(kept.size());
    if (!all)
        out << QStringLiteral(" Skipped %1 duplicates.").arg(skipped);
    out << '\n';
    return 0;
}

int exportLibrary(const QStringList& options, QTextStream& out, QTextStream& err) {
    std::optional<ExportFormat> format;
    std::optional<QString> path;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& option = options.at(i);
        if (option == u"--format") {
            const auto value = optionValue(options, i, err);
            if (!value)
                return 2;
            if (*value == u"json")
                format = ExportFormat::json;
            else if (*value == u"html")
                format = ExportFormat::netscapeHTML;
            else
                return unknownOption(u"export --format", *value, err);
        } else if (!option.startsWith(u"--") && !path) {
            path = option;
        } else {
            return unknownOption(u"export", option, err);
        }
    }
    if (!format) {
        err << QStringLiteral("corvina: export needs --format json or --format html\n") << usage();
        return 2;
    }
    const auto container = openLibrary(err);
    if (!container)
        return 1;
    const BookmarksDocument document{library::allPayloads(container->mainContext()), *format};
    if (!path) {
        out << QString::fromUtf8(document.fileContents());
        return 0;
    }
    const auto written = document.write(*path);
    if (!written) {
        err << QStringLiteral("corvina: could not write %1: %2\n").arg(*path, written.error());
        return 1;
    }
    return 0;
}

} // namespace

bool wantsCommandLine(const QStringList& arguments) {
    return arguments.size() > 1 && kCommands.contains(arguments.at(1));
}

bool handlesWholeLibrary(const QStringList& arguments) {
    const QString command = arguments.value(1);
    return command == u"import" || command == u"export" || command == u"list";
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
    if (command == u"import")
        return importFiles(arguments.mid(2), out, err);
    if (command == u"export")
        return exportLibrary(arguments.mid(2), out, err);
    if (command == u"help" || command == u"--help" || command == u"-h") {
        out << usage();
        return 0;
    }
    err << QStringLiteral("corvina: unknown command: %1\n").arg(command) << usage();
    return 2;
}

} // namespace cli
