// Every question the program asks shows its buttons in its own order, on any
// desktop: Return presses the default button and Escape the cancel button,
// whichever button has the focus.
#include "AppTestSupport.h"
#include "Corvina/App/ImportExportFlows.h"
#include "Corvina/App/UpdateAlert.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Widgets/Alert.h"
#include "tests/support/StoreWriteLock.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTextBrowser>
#include <QTimer>

namespace {

// While `watch` runs, the first alert is answered with `key` once another
// button has the focus, and `seen` notes "buttons left to right / default /
// pressed"; alerts that follow (an import's result, a save failing again)
// are sent away with Escape.
void answerAlerts(QTimer& watch, Qt::Key key, QString& seen) {
    QObject::connect(&watch, &QTimer::timeout, [key, &seen] {
        auto* alert = qobject_cast<Alert*>(QApplication::activeModalWidget());
        if (!alert || !alert->isVisible())
            return;
        if (!seen.isEmpty())
            return QTest::keyClick(alert, Qt::Key_Escape);
        QList<QPushButton*> shown = alert->buttons();
        std::sort(shown.begin(), shown.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
        QStringList texts;
        for (QPushButton* button : shown) {
            texts << button->text();
            if (button != alert->defaultButton())
                button->setFocus();
        }
        const QString byDefault = alert->defaultButton() ? alert->defaultButton()->text() : u"-"_s;
        QTest::keyClick(alert->focusWidget() ? alert->focusWidget() : alert, key);
        seen = texts.join(u'|') + u" / "_s + byDefault + u" / "_s +
               (alert->clickedButton() ? alert->clickedButton()->text() : u"-"_s);
    });
    watch.start(10);
}

} // namespace

TEST(AlertsTest, ButtonsKeepTheirOrderReturnPressesTheDefaultAndEscapeCancels) {
    StartedApp started;
    ASSERT_TRUE(started.app);
    LibraryWindow* window = started.app->openWindow();
    store::ModelContext& context = started.app->container().mainContext();
    const auto bookmark = [](const QString& url) {
        return Bookmark(QUuid::createUuid(), *Url::parse(url), u"Page"_s, {}, {},
                        QDateTime::currentDateTimeUtc());
    };
    context.insert(bookmark(u"https://kept.test/"_s).object());
    const QByteArray netscape = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    const QString duplicates = testenv::writeFile(
        started.folder.filePath(u"duplicates.html"_s),
        netscape + "<DT><A HREF=\"https://kept.test/\" ADD_DATE=\"1700000000\">K</A>\n</DL><p>\n");
    const QString empty =
        testenv::writeFile(started.folder.filePath(u"empty.html"_s), netscape + "</DL><p>\n");
    UpdateCheckResult update;
    update.status = UpdateCheckResult::Status::updateAvailable;
    update.latest.url = QUrl(u"https://updates.test/c.tar.gz"_s);
    QTextBrowser downloads; // Download hands the address to this instead of a browser
    QDesktopServices::setUrlHandler(u"https"_s, &downloads, "setSource");

    // What each alert shows and does: "buttons left to right / default /
    // what Escape presses"; Return presses the default.
    const std::pair<std::function<void()>, QString> alerts[] = {
        {[&] { window->flows()->importFile(*window, duplicates); },
         u"Skip Duplicates|Import All|Cancel / Skip Duplicates / Cancel"_s},
        {[&] { window->flows()->importFile(*window, empty); }, u"OK / OK / OK"_s},
        {[&] { window->content()->openInBrowser(bookmark(u"file:///a.desktop"_s)); },
         u"Open|Cancel / Cancel / Cancel"_s},
        {[&] {
             teststore::StoreWriteLock lock(started.folder.filePath(u"Quillan.store"_s));
             context.insert(bookmark(u"https://unsaved.test"_s).object());
             EXPECT_FALSE(started.app->mayCloseLastWindow(window));
         },
         u"Try Again|Quit Anyway|Cancel / Try Again / Cancel"_s},
        {[&] { UpdateAlert().present(update); }, u"Download|Cancel / Download / Cancel"_s},
    };
    ImportExportFlows* flows = window->flows();
    for (const auto& [ask, escaped] : alerts) {
        const QString returned =
            escaped.section(u" / "_s, 0, 1) + u" / "_s + escaped.section(u" / "_s, 1, 1);
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            const QString& expected = key == Qt::Key_Escape ? escaped : returned;
            SCOPED_TRACE(expected.toStdString());
            QString seen;
            QTimer watch;
            answerAlerts(watch, key, seen);
            ask();
            // An import has a progress panel or an alert up until it is over.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return !seen.isEmpty() && !flows->openAlert() && !flows->progress(); },
                testenv::kPatience));
            EXPECT_EQ(seen, expected);
        }
    }
    EXPECT_EQ(downloads.source(), update.latest.url) << "Return downloaded";
    QDesktopServices::unsetUrlHandler(u"https"_s);
}
