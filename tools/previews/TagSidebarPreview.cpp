// Shows the tag sidebar with a small sample library, for screenshots:
//   tag_sidebar_preview [--dark] [--empty] [--all] [--inactive]
// --empty shows an empty library; --all selects "All Bookmarks" instead of
// the tag "Rust"; --dark uses a dark palette.
#include "Corvina/Library/Bookmark.h"
#include "Corvina/TagSidebar/TagSidebar.h"
#include "tools/previews/PreviewPalette.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QStyleFactory>

namespace {

Bookmark sample(const QString& title, const QStringList& tags) {
    return Bookmark(QUuid::createUuid(), *Url::parse(QStringLiteral("https://example.com/")), title,
                    QString(), tags, QDateTime::currentDateTimeUtc());
}

// The sidebar's own source-list shade sits a step lighter than the window.
QPalette darkPalette() {
    QPalette palette = preview::darkPalette();
    palette.setColor(QPalette::Window, QColor(0x26, 0x26, 0x28));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::AlternateBase, QColor(0x1e, 0x1e, 0x1e));
    return palette;
}

} // namespace

int main(int argc, char** argv) {
    testenv::isolate();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tag-sidebar-preview"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QStringList arguments = QApplication::arguments();
    if (arguments.contains(QStringLiteral("--dark")))
        QApplication::setPalette(darkPalette());

    QList<Bookmark> library;
    if (!arguments.contains(QStringLiteral("--empty"))) {
        library = {
            sample(QStringLiteral("The Rust Book"),
                   {QStringLiteral("Rust"), QStringLiteral("books")}),
            sample(QStringLiteral("Tokio tutorial"),
                   {QStringLiteral("Rust"), QStringLiteral("async")}),
            sample(QStringLiteral("Serde"), {QStringLiteral("Rust")}),
            sample(QStringLiteral("Kyoto temples"),
                   {QStringLiteral("Japan"), QStringLiteral("travel")}),
            sample(QStringLiteral("Osaka food"),
                   {QStringLiteral("Japan"), QStringLiteral("travel"), QStringLiteral("food")}),
            sample(QStringLiteral("Sourdough"),
                   {QStringLiteral("food"), QStringLiteral("recipes")}),
            sample(QStringLiteral("A very long tag"),
                   {QStringLiteral("to read some day when there is time")}),
            sample(QStringLiteral("Untagged page"), {}),
        };
        for (int i = 0; i < 120; ++i)
            library.append(
                sample(QStringLiteral("Archive %1").arg(i), {QStringLiteral("archive")}));
    }
    std::optional<TagSelection> selection = arguments.contains(QStringLiteral("--all"))
                                                ? TagSelection::all()
                                                : TagSelection::tag(QStringLiteral("Rust"));
    TagSidebar sidebar(TagSelectionBinding::to(selection));
    sidebar.setCounts(library.size(), tagCounts(library));
    sidebar.resize(240, 420);
    sidebar.move(40, 40);
    sidebar.show();
    if (!arguments.contains(QStringLiteral("--inactive")))
        sidebar.activateWindow();
    return QApplication::exec();
}
