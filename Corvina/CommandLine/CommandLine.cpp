#include "Corvina/CommandLine/CommandLine.h"

#include "Corvina/CommandLine/Output.h"
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
#include <QTimer>
#include <chrono>
#include <functional>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace cli {
namespace {

// How long "add" waits for the page, all told, unless --timeout says.
constexpr std::chrono::seconds kDefaultPageDeadline{15};

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
                          "              [--timeout SECONDS]\n"
                          "                          add a bookmark; a missing title or\n"
                          "                          description is fetched from the page,\n"
                          "                          waiting at most SECONDS (15) for it\n"
                          "  corvina drain           take in the pages queued by Dropslip\n"
                          "  corvina import FILE... [--all]\n"
                          "                          add the bookmarks of .html, .htm or .json\n"
                          "                          files; without --all, addresses already\n"
                          "                          in the library or met before are skipped\n"
                          "  corvina export --format json|html [OUT]\n"
                          "                          write the library to OUT or standard output\n"
                          "  corvina --version       print the version\n");
}

// What every command works with: its two outputs.
struct Io {
    Output& out;
    Output& err;
};

// The store as the windows open it, legacy file taken in first. A command
// waits longer than a window for another process's write.
std::unique_ptr<store::ModelContainer> openLibrary(Io io) {
    auto container =
        library::openStore(library::storeFilePath(), library::kCommandBusyTimeoutMs);
    if (!container) {
        io.err << library::openFailureMessage(container.error()) << '\n';
        return nullptr;
    }
    if (const QString& reason = container.value()->readOnlyReason(); !reason.isEmpty())
        io.err << library::readOnlyMessage(reason) << '\n';
    library::migrateLegacyBookmarks(container.value()->mainContext(), library::legacyFolder());
    return std::move(container).value();
}

// Opens the library and makes `change` in one write, so that what it
// checks inside (a duplicate, say) still holds when it is committed, even
// with another command writing at the same time; then rewrites the
// duplicate index from what the store now holds. The container, or nothing
// once the reason is said.
std::unique_ptr<store::ModelContainer>
changeLibrary(Io io, const QString& subject,
              const std::function<void(store::ModelContext&)>& change) {
    auto container = openLibrary(io);
    if (!container)
        return nullptr;
    store::ModelContext& context = container->mainContext();
    const auto refused = [&](const store::StoreError& error) {
        io.err << QStringLiteral("corvina: %1 could not be saved: %2\n").arg(subject, error.message);
        return nullptr;
    };
    auto write = context.beginWrite();
    if (!write)
        return refused(write.error());
    change(context);
    if (auto committed = write->commit(); !committed)
        return refused(committed.error());
    // The index writer leaves the shared folder to the inbox drain, which a
    // window runs first at start; from here nothing else may have made it.
    (void)sharedcontainer::inboxDirectory();
    // The process ends next, which would drop a write still running.
    rebuildDuplicateIndex(context).waitForFinished();
    return container;
}

int unknownOption(QStringView command, const QString& option, Io io) {
    io.err << QStringLiteral("corvina: unknown option for %1: %2\n").arg(command, option)
           << usage();
    return 2;
}

// The value after option `i`, or nothing (with the message) when it is last.
std::optional<QString> optionValue(const QStringList& options, qsizetype& i, Io io) {
    if (i + 1 == options.size()) {
        io.err << QStringLiteral("corvina: %1 needs a value\n").arg(options.at(i)) << usage();
        return std::nullopt;
    }
    return options.at(++i);
}

int list(const QStringList& options, Io io) {
    bool json = false;
    std::optional<QString> tag;
    QString search;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& option = options.at(i);
        if (option == u"--json") {
            json = true;
        } else if (option == u"--search" || option == u"--tag") {
            const auto value = optionValue(options, i, io);
            if (!value)
                return 2;
            if (option == u"--tag")
                tag = *value;
            else
                search = *value;
        } else {
            return unknownOption(u"list", option, io);
        }
    }
    const auto container = openLibrary(io);
    if (!container)
        return 1;
    const BookmarkFilter filter(tag, search);
    const std::vector<Bookmark> visible =
        filter.apply(library::allBookmarks(container->mainContext()));
    if (json) {
        QJsonArray array;
        for (const Bookmark& bookmark : visible)
            array.append(payloadToJson(bookmark.toPayload()));
        io.out.write(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return 0;
    }
    for (const Bookmark& bookmark : visible) {
        io.out << bookmark.title() << '\t' << bookmark.urlString() << '\t'
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
// preference allows fetching. A page that fails or does not answer within
// `deadline` is reported, and the add goes on without it, as the editor
// would save without it.
void fillFromPage(BookmarkDraft& entry, const Url& url, std::chrono::milliseconds deadline,
                  Io io) {
    const QString scheme = url.scheme().value_or(QString()).toLower();
    const bool web = scheme == u"http" || scheme == u"https";
    if (!web || !Preferences::shared().autoFetchMetadata() ||
        (!entry.title.isEmpty() && !entry.description.isEmpty()))
        return;
    QNetworkAccessManager network;
    // The transfer time-out restarts with every byte; the deadline does not,
    // so a page sent a byte at a time cannot hold the command.
    const MetadataFetcher fetcher(network, deadline);
    QEventLoop loop;
    std::optional<MetadataFetcher::Outcome> outcome;
    MetadataFetch fetch = fetcher.fetch(url, [&](MetadataFetcher::Outcome result) {
        outcome = std::move(result);
        loop.quit();
    });
    QTimer::singleShot(deadline, &loop, &QEventLoop::quit);
    loop.exec();
    if (!outcome) {
        fetch.cancel();
        io.err << QStringLiteral("corvina: the page did not answer within %1 s; saving without "
                                 "its title and description\n")
                      .arg(std::chrono::duration_cast<std::chrono::seconds>(deadline).count());
        return;
    }
    if (!outcome->ok()) {
        io.err << QStringLiteral("corvina: could not read the page: %1\n")
                      .arg(outcome->error().description());
        return;
    }
    const PageMetadata& page = outcome->value();
    if (entry.title.isEmpty())
        entry.title = page.title;
    if (entry.description.isEmpty())
        entry.description = page.description;
}

int add(const QStringList& options, Io io) {
    BookmarkDraft entry;
    bool haveUrl = false;
    std::chrono::milliseconds deadline = kDefaultPageDeadline;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& option = options.at(i);
        QString* field = option == u"--title"         ? &entry.title
                         : option == u"--description" ? &entry.description
                         : option == u"--tags"        ? &entry.tagsField
                                                      : nullptr;
        if (field || option == u"--timeout") {
            const auto value = optionValue(options, i, io);
            if (!value)
                return 2;
            if (field) {
                *field = *value;
                continue;
            }
            bool number = false;
            const double seconds = value->toDouble(&number);
            if (!number || !(seconds > 0) || seconds > 3600) {
                io.err << QStringLiteral("corvina: --timeout needs a number of seconds\n");
                return 2;
            }
            deadline = std::chrono::milliseconds(qint64(seconds * 1000));
        } else if (!option.startsWith(u"--") && !haveUrl) {
            entry.url = option;
            haveUrl = true;
        } else {
            return unknownOption(u"add", option, io);
        }
    }
    const std::optional<Url> url = Url::parse(draft::trimSpacesAndTabs(entry.url));
    if (!haveUrl || !url) {
        io.err << QStringLiteral("corvina: add needs a valid address\n") << usage();
        return 2;
    }
    fillFromPage(entry, *url, deadline, io);
    // Something has to name the bookmark in the list; the address is what
    // the user gave.
    if (draft::trimSpacesAndTabs(entry.title).isEmpty())
        entry.title = url->absoluteString();

    std::optional<Bookmark> added;
    const auto changed =
        changeLibrary(io, QStringLiteral("the bookmark"), [&](store::ModelContext& context) {
            if (const std::optional<QString> saved = savedTitleFor(context, *url))
                io.err << QStringLiteral(
                              "corvina: already saved as \u201C%1\u201D; adding it again\n")
                              .arg(*saved);
            added = draft::write(context, entry);
        });
    if (!changed || !added)
        return 1;
    io.out << QStringLiteral("Added \u201C%1\u201D  %2\n").arg(added->title(), added->urlString());
    return 0;
}

int drain(const QStringList& options, Io io) {
    if (!options.isEmpty()) {
        io.err << QStringLiteral("corvina: drain takes no options\n") << usage();
        return 2;
    }
    const auto container = openLibrary(io);
    if (!container)
        return 1;
    InboxWorkResult result = runInboxWork(container->mainContext());
    // The process ends next, which would drop a write still running.
    result.indexWritten.waitForFinished();
    for (const LeftAloneEntry& entry : result.leftAlone)
        io.err << QStringLiteral("corvina: left %1 in the inbox: %2\n")
                      .arg(entry.fileName, entry.reason);
    if (result.saveError) {
        io.err << QStringLiteral("corvina: the queued pages could not be saved, and stay "
                                 "queued: %1\n")
                      .arg(result.saveError->message);
        return 1;
    }
    io.out << QStringLiteral("Added %1 queued %2.\n")
                  .arg(result.inserted)
                  .arg(result.inserted == 1 ? QStringLiteral("page") : QStringLiteral("pages"));
    return 0;
}

// Every file is read and parsed before anything is added: one file that
// fails leaves the library as it was.
int importFiles(const QStringList& options, Io io) {
    bool all = false;
    QStringList files;
    for (const QString& option : options) {
        if (option == u"--all")
            all = true;
        else if (!option.startsWith(u"--"))
            files.append(option);
        else
            return unknownOption(u"import", option, io);
    }
    if (files.isEmpty()) {
        io.err << QStringLiteral("corvina: import needs at least one file\n") << usage();
        return 2;
    }
    std::vector<BookmarkPayload> read;
    for (const QString& file : files) {
        auto payloads = ImporterRouter::readFile(file);
        if (!payloads) {
            io.err << QStringLiteral("corvina: %1: %2\n").arg(file, describe(payloads.error()));
            return 1;
        }
        std::move(payloads->begin(), payloads->end(), std::back_inserter(read));
    }

    const qsizetype total = qsizetype(read.size());
    std::vector<BookmarkPayload> kept;
    const auto changed =
        changeLibrary(io, QStringLiteral("the bookmarks"), [&](store::ModelContext& context) {
            if (all) {
                kept = std::move(read);
            } else {
                // Against the library as it is now, other processes' imports
                // included, and against what the files gave before.
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
            library::addPayloads(context, kept);
        });
    if (!changed)
        return 1;
    const qsizetype skipped = total - qsizetype(kept.size());
    io.out << QStringLiteral("Added %1 bookmarks.").arg(kept.size());
    if (!all)
        io.out << QStringLiteral(" Skipped %1 duplicates.").arg(skipped);
    io.out << '\n';
    return 0;
}

int exportLibrary(const QStringList& options, Io io) {
    std::optional<ExportFormat> format;
    std::optional<QString> path;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& option = options.at(i);
        if (option == u"--format") {
            const auto value = optionValue(options, i, io);
            if (!value)
                return 2;
            if (*value == u"json")
                format = ExportFormat::json;
            else if (*value == u"html")
                format = ExportFormat::netscapeHTML;
            else
                return unknownOption(u"export --format", *value, io);
        } else if (!option.startsWith(u"--") && !path) {
            path = option;
        } else {
            return unknownOption(u"export", option, io);
        }
    }
    if (!format) {
        io.err << QStringLiteral("corvina: export needs --format json or --format html\n")
               << usage();
        return 2;
    }
    const auto container = openLibrary(io);
    if (!container)
        return 1;
    const BookmarksDocument document{library::allPayloads(container->mainContext()), *format};
    if (!path) {
        io.out.write(document.fileContents());
        return 0;
    }
    // Whole or not at all: the file is only replaced once every byte is down.
    const auto written = document.write(*path);
    if (!written) {
        io.err << QStringLiteral("corvina: could not write %1: %2\n").arg(*path, written.error());
        return 1;
    }
    return 0;
}

int dispatch(const QStringList& arguments, Io io) {
    const QString command = arguments.value(1);
    if (command == u"--version" || command == u"-v") {
        io.out << QStringLiteral("corvina %1\n").arg(QCoreApplication::applicationVersion());
        return 0;
    }
    if (command == u"list")
        return list(arguments.mid(2), io);
    if (command == u"add")
        return add(arguments.mid(2), io);
    if (command == u"drain")
        return drain(arguments.mid(2), io);
    if (command == u"import")
        return importFiles(arguments.mid(2), io);
    if (command == u"export")
        return exportLibrary(arguments.mid(2), io);
    if (command == u"help" || command == u"--help" || command == u"-h") {
        io.out << usage();
        return 0;
    }
    io.err << QStringLiteral("corvina: unknown command: %1\n").arg(command) << usage();
    return 2;
}

} // namespace

namespace {
bool g_closed[3] = {false, false, false};
} // namespace

void claimStandardDescriptors() {
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        g_closed[fd] = true;
        // The lowest free number is this one.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd)
            ::close(opened);
    }
}

bool wantsCommandLine(const QStringList& arguments) {
    return arguments.size() > 1 && kCommands.contains(arguments.at(1));
}

bool handlesWholeLibrary(const QStringList& arguments) {
    const QString command = arguments.value(1);
    return command == u"import" || command == u"export" || command == u"list";
}

int run(const QStringList& arguments) {
    Output out(STDOUT_FILENO);
    Output err(STDERR_FILENO);
    if (g_closed[STDOUT_FILENO])
        out.markClosed();
    int status = dispatch(arguments, Io{out, err});
    // Standard output is checked to the end: a listing or an export cut
    // short by a full disk or a closed descriptor is a failure.
    if (!out.finish()) {
        err << QStringLiteral("corvina: could not write the output: %1\n").arg(out.error());
        status = status == 0 ? 1 : status;
    }
    (void)err.flush();
    return status;
}

} // namespace cli
