#include "platform/Extension/HostCommandLine.h"

#include "platform/Extension/LinkFile.h"
#include "platform/Extension/StandardInput.h"
#include "platform/Extension/TypeIdentifiers.h"
#include "platform/Folders/RegularFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPointer>
#include <QUrl>

namespace {

struct Options {
    QCommandLineOption title{QStringLiteral("title"),
                             QCoreApplication::translate("HostCommandLine", "The page's title."),
                             QStringLiteral("title")};
    QCommandLineOption standardInput{
        QStringLiteral("stdin"),
        QCoreApplication::translate("HostCommandLine", "Share what arrives on standard input.")};
    QCommandLineOption type{
        QStringLiteral("type"),
        QCoreApplication::translate("HostCommandLine",
                                    "MIME type of standard input (default text/plain)."),
        QStringLiteral("mime")};
};

void describe(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(QCoreApplication::translate(
        "HostCommandLine", "Saves a page to Corvina's inbox. Exits 0 once saved, 1 when "
                           "cancelled, 2 on a usage error."));
    parser.addHelpOption();
    parser.addOptions({options.title, options.standardInput, options.type});
    parser.addPositionalArgument(
        QStringLiteral("items"),
        QCoreApplication::translate("HostCommandLine", "Web addresses, link files or text."),
        QStringLiteral("[URL|FILE|TEXT...]"));
}

using Convert = std::function<ItemProvider::LoadResult(const QByteArray&)>;

ItemProvider::LoadResult noAddress() {
    return Failure{ItemProvider::LoadError{
        QCoreApplication::translate("HostCommandLine", "The input holds no address.")}};
}

ItemProvider::LoadResult urlItem(const std::optional<QString>& text) {
    if (text)
        if (std::optional<Url> url = Url::parse(*text))
            return ItemProvider::Item(*url);
    return noAddress();
}

// What standard input of a MIME type is offered as, and how its bytes become the item.
std::pair<QString, Convert> standardInputRepresentation(const QString& mimeType) {
    if (mimeType == u"text/uri-list")
        return {uti::url,
                [](const QByteArray& bytes) { return urlItem(linkfile::firstUriInList(bytes)); }};
    if (mimeType == u"text/x-moz-url")
        return {uti::url, [](const QByteArray& bytes) {
                    const auto link = linkfile::parseMozUrl(bytes);
                    return urlItem(link ? std::optional(link->url) : std::nullopt);
                }};
    if (const auto kind = linkfile::kindForMimeType(mimeType))
        return {uti::url, [kind = *kind](const QByteArray& bytes) {
                    const auto link = linkfile::parse(kind, bytes);
                    return urlItem(link ? std::optional(link->url) : std::nullopt);
                }};
    return {uti::typeIdentifier(mimeType),
            [](const QByteArray& bytes) { return ItemProvider::LoadResult(bytes); }};
}

ExtensionItem standardInputItem(const QString& mimeType, StandardInput* input) {
    auto [identifier, convert] = standardInputRepresentation(mimeType);
    auto provider = std::make_unique<ItemProvider>();
    provider->registerLoader(
        identifier, [input = QPointer<StandardInput>(input), convert = std::move(convert)](
                        QObject* receiver, ItemProvider::Completion done) {
            if (!input) {
                done(noAddress());
                return;
            }
            input->whenRead(receiver, [convert, done](const StandardInput::Outcome& outcome) {
                if (outcome)
                    done(convert(outcome.value()));
                else
                    done(Failure{ItemProvider::LoadError{outcome.error()}});
            });
        });
    ExtensionItem item;
    item.attachments.push_back(std::move(provider));
    return item;
}

std::optional<linkfile::Link> readLinkFile(const QString& path) {
    std::optional<linkfile::Kind> kind =
        linkfile::kindForMimeType(QMimeDatabase().mimeTypeForFile(path).name());
    if (!kind)
        kind = linkfile::kindForFileName(path);
    if (!kind)
        return std::nullopt;
    const auto bytes = folders::readRegularFile(path, linkfile::kMaxLinkFileBytes);
    if (!bytes)
        return std::nullopt;
    return linkfile::parse(*kind, bytes.value());
}

ExtensionItem fileItem(const QString& path) {
    const QFileInfo info(path);
    ExtensionItem item;
    item.attributedTitle = info.completeBaseName();
    auto provider = std::make_unique<ItemProvider>();
    if (info.isFile())
        if (const std::optional<linkfile::Link> link = readLinkFile(path))
            if (const std::optional<Url> url = Url::parse(link->url)) {
                provider->registerItem(uti::url, *url);
                if (!link->name.isEmpty())
                    item.attributedTitle = link->name;
            }
    const QString fileURL =
        QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    if (const std::optional<Url> url = Url::parse(fileURL))
        provider->registerItem(uti::fileURL, *url);
    item.attachments.push_back(std::move(provider));
    return item;
}

ExtensionItem argumentItem(const QString& argument) {
    // A file manager hands over local files as file URLs (Exec=... %U).
    if (argument.startsWith(u"file:", Qt::CaseInsensitive)) {
        const QString path = QUrl::fromEncoded(argument.toUtf8()).toLocalFile();
        if (!path.isEmpty() && QFileInfo(path).isFile())
            return fileItem(path);
    } else if (QFileInfo::exists(argument)) {
        return fileItem(argument);
    }
    auto provider = std::make_unique<ItemProvider>();
    if (const std::optional<Url> url = Url::parse(argument); url && url->isAbsolute())
        provider->registerItem(uti::url, *url);
    provider->registerItem(uti::plainText, argument);
    ExtensionItem item;
    item.attachments.push_back(std::move(provider));
    return item;
}

} // namespace

Result<HostRequest, QString> parseHostArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    if (!parser.parse(arguments))
        return Failure{parser.errorText()};
    HostRequest request;
    request.helpRequested =
        parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"));
    if (parser.isSet(options.title))
        request.title = parser.value(options.title);
    request.inputs = parser.positionalArguments();
    request.readStandardInput = parser.isSet(options.standardInput);
    if (parser.isSet(options.type)) {
        if (!request.readStandardInput)
            return Failure{QCoreApplication::translate("HostCommandLine", "--type needs --stdin.")};
        request.standardInputType = parser.value(options.type);
    }
    if (request.readStandardInput && !request.inputs.isEmpty())
        return Failure{QCoreApplication::translate("HostCommandLine",
                                                   "--stdin cannot be combined with other items.")};
    if (request.readStandardInput &&
        standardInputRepresentation(request.standardInputType).first.isEmpty())
        return Failure{QCoreApplication::translate("HostCommandLine", "Unsupported type: %1")
                           .arg(request.standardInputType)};
    return request;
}

QString hostUsage() {
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    return parser.helpText();
}

std::unique_ptr<ExtensionContext> makeExtensionContext(const HostRequest& request, int inputFd) {
    std::vector<ExtensionItem> items;
    std::unique_ptr<StandardInput> input;
    if (request.readStandardInput) {
        input = std::make_unique<StandardInput>(inputFd);
        items.push_back(standardInputItem(request.standardInputType, input.get()));
    }
    for (const QString& argument : request.inputs)
        items.push_back(argumentItem(argument));
    if (request.title) {
        if (items.empty())
            items.emplace_back();
        items.front().attributedTitle = *request.title;
    }
    auto context = std::make_unique<ExtensionContext>(std::move(items));
    if (input)
        input.release()->setParent(context.get());
    return context;
}
