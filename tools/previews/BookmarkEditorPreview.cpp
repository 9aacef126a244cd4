// Shows the bookmark editor, for screenshots:
//   bookmark_editor_preview [--dark] [--edit | --no-address] [--keyboard]
// A new bookmark whose address is already saved, with a tag being typed so
// the chip rail shows a new tag and library tags; or, with --edit, an
// existing bookmark with the suggester's chips; or, with --no-address, a new
// bookmark without an address yet (Save disabled). With --keyboard the focus
// is in the Tags field (the completion Tab would take is ringed) or, with
// --edit, on the second chip.
#include "Corvina/BookmarkEditor/BookmarkEditor.h"
#include "Corvina/BookmarkEditor/SuggestedTagsRail.h"
#include "Corvina/BookmarkEditor/TagCompletion.h"
#include "Corvina/Library/LibraryStore.h"
#include "platform/Store/ModelContainer.h"
#include "shared/Preferences.h"
#include "tools/previews/PreviewPalette.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QStyleFactory>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    testenv::isolate();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    const QStringList arguments = QApplication::arguments();
    if (arguments.contains(u"--dark"_s))
        QApplication::setPalette(preview::darkPalette());
    Preferences& prefs = Preferences::shared();
    prefs.setAutoFetchMetadata(false);
    prefs.setAutofillFromClipboard(false);

    auto container = store::ModelContainer::openInMemory(Bookmark::schema()).value();
    store::ModelContext& context = container->mainContext();
    const auto add = [&](const char* url, const char* title, const char* note, QStringList tags) {
        Bookmark bookmark(QUuid::createUuid(), *Url::parse(QString::fromUtf8(url)),
                          QString::fromUtf8(title), QString::fromUtf8(note), tags,
                          QDateTime::currentDateTimeUtc());
        context.insert(bookmark.object());
        return bookmark;
    };
    const Bookmark rust =
        add("https://doc.rust-lang.org/book/", "The Rust Programming Language",
            "The official book on Rust, from ownership to async, by Steve Klabnik and Carol "
            "Nichols.",
            {u"rust"_s, u"programming"_s, u"books"_s});
    add("https://practicaltypography.com/", "Butterick's Practical Typography", "",
        {u"typography"_s, u"Type Design"_s, u"reference"_s});
    add("https://fonts.google.com/knowledge", "Google Fonts Knowledge", "",
        {u"Typefaces"_s, u"design"_s});
    (void)context.save();

    QNetworkAccessManager network;
    BookmarkEditorInput input;
    input.existingBookmarks = library::allBookmarks(context);
    input.allTags = tagcompletion::libraryTags(input.existingBookmarks);
    const bool editing = arguments.contains(u"--edit"_s);
    const bool noAddress = arguments.contains(u"--no-address"_s);
    if (editing)
        input.initial = rust;
    else if (!noAddress)
        input.prefillUrl = u"https://www.practicaltypography.com/"_s;
    BookmarkEditor editor(std::move(input), {context, prefs, network, nullptr, nullptr});
    if (editing) {
        // About to add a tag: the suggester's chips show, with the sparkle.
        editor.tagsField()->setText(editor.tagsField()->text() + u", "_s);
    } else if (!noAddress) {
        editor.titleField()->setText(u"Practical Typography — Butterick"_s);
        editor.tagsField()->setText(u"reading, ty"_s);
    }
    editor.show();
    if (arguments.contains(u"--keyboard"_s)) {
        editor.activateWindow();
        QWidget* target = editor.tagsField();
        if (editing && editor.rail()->chips().size() > 1)
            target = editor.rail()->chips()[1];
        target->setFocus(Qt::TabFocusReason);
    }
    return QApplication::exec();
}
