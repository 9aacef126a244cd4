#include "Corvina/App/CommandLine.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/LegacyMigration.h"
#include "Corvina/Library/LibraryStore.h"
#include "platform/Store/ModelContainer.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

namespace cli {
namespace {

const QStringList kCommands = {QStringLiteral("list"),      QStringLiteral("help"),
                               QStringLiteral("--help"),    QStringLiteral("-h"),
                               QStringLiteral("--version"), QStringLiteral("-v")};

QString usage() {
    return QStringLiteral("Usage:\n"
                          "  corvina                 open the library window\n"
                          "  corvina list [--json]   print the library, newest first\n"
                          "  corvina --version       print the version\n");
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
    auto container = library::openStore(library::storeFilePath());
    if (!container) {
        err << library::openFailureMessage(container.error()) << '\n';
        return 1;
    }
    store::ModelContext& context = container.value()->mainContext();
    library::migrateLegacyBookmarks(context, library::legacyFolder());

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
    if (command == u"help" || command == u"--help" || command == u"-h") {
        out << usage();
        return 0;
    }
    err << QStringLiteral("corvina: unknown command: %1\n").arg(command) << usage();
    return 2;
}

} // namespace cli
