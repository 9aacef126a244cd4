#include "Corvina/App/ImportExportFlows.h"

#include "platform/Widgets/Alert.h"
#include "tests/Corvina/ImportExport/ImportExportTestSupport.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

#include <QAbstractButton>
#include <QWidget>

namespace {

QByteArray netscapeFile(const QStringList& urls) {
    QByteArray file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
    for (const QString& url : urls)
        file += "    <DT><A HREF=\"" + url.toUtf8() + "\" ADD_DATE=\"1700000000\">Page</A>\n";
    return file + "</DL><p>\n";
}

class ImportExportFlowsTest : public testing::Test {
protected:
    void SetUp() override { window.show(); }

    QStringList libraryUrls() {
        QStringList urls;
        for (const Bookmark& bookmark : lib.all())
            urls << bookmark.urlString();
        return urls;
    }

    QString write(const char* name, const QByteArray& contents) {
        return testenv::writeFile(dir.filePath(QLatin1StringView(name)), contents);
    }

    // Imports `path`, answers the duplicates question with `answer` if one
    // comes, and returns what the result alert said ("" when none came).
    QString import(const QString& path, const QString& answer = {}) {
        QSignalSpy finished(&flows, &ImportExportFlows::importFinished);
        QSignalSpy cancelled(&flows, &ImportExportFlows::importCancelled);
        flows.importFile(window, path);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return finished.size() + cancelled.size() > 0 ||
                       (flows.openAlert() && flows.openAlert()->isVisible());
            },
            5000));
        if (finished.isEmpty() && !answer.isEmpty()) {
            Alert* question = flows.openAlert();
            EXPECT_EQ(question->windowTitle(), u"Duplicate Bookmarks Found");
            lastQuestion = question->text();
            for (QAbstractButton* button : question->buttons()) {
                if (button->text() == answer)
                    button->click();
            }
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return finished.size() + cancelled.size() > 0; }, 5000));
        }
        if (finished.isEmpty())
            return {};
        const auto result = finished.first().first().value<ImportResult>();
        Alert* alert = flows.openAlert();
        EXPECT_EQ(alert->windowTitle(), result.title());
        const QString said = alert->windowTitle() + u": "_s + alert->text();
        alert->accept();
        return said;
    }

    TestLibrary lib;
    QWidget window;
    ImportExportFlows flows{lib.context()};
    QTemporaryDir dir;
    QString lastQuestion;
};

TEST_F(ImportExportFlowsTest, DuplicatesAreAskedAboutAndEachAnswerDoesWhatItSays) {
    const QString library = write("library.html", netscapeFile({u"https://www.kept.test/page/"_s}));
    ASSERT_EQ(import(library), u"Imported: Added 1 bookmarks.");
    const struct {
        const char* name;
        QStringList file;
        QString answer;
        int known; // already in the library: asked about when not 0
        int added; // -1: cancelled, no result
    } cases[] = {
        {"none", {u"https://new.test/a"_s, u"https://new.test/b"_s}, {}, 0, 2},
        {"within the file only", {u"https://twice.test/"_s, u"https://twice.test/"_s}, {}, 0, 2},
        {"against the library, skipped",
         {u"https://kept.test/page"_s, u"https://other.test/"_s},
         u"Skip Duplicates"_s,
         1,
         1},
        {"both, all imported",
         {u"HTTPS://KEPT.test/page"_s, u"https://again.test/"_s, u"https://again.test/"_s},
         u"Import All"_s,
         1,
         3},
        {"cancelled", {u"https://kept.test/page/"_s, u"https://never.test/"_s}, u"Cancel"_s, 1, -1},
        {"empty file", {}, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        lastQuestion.clear();
        const qsizetype before = libraryUrls().size();
        EXPECT_EQ(import(write("case.html", netscapeFile(c.file)), c.answer),
                  c.added < 0 ? QString() : u"Imported: Added %1 bookmarks."_s.arg(c.added));
        const QString question = u"%1 of %2 bookmarks are already in your library"_s;
        EXPECT_EQ(lastQuestion, c.known ? question.arg(c.known).arg(c.file.size()) : QString());
        EXPECT_EQ(libraryUrls().size() - before, std::max(c.added, 0));
    }
    // The same file twice with Skip Duplicates adds nothing the second time.
    const QString twice = write("twice.html", netscapeFile({u"https://once.test/"_s}));
    EXPECT_EQ(import(twice, u"Skip Duplicates"_s), u"Imported: Added 1 bookmarks.");
    EXPECT_EQ(import(twice, u"Skip Duplicates"_s), u"Imported: Added 0 bookmarks.");
}

TEST_F(ImportExportFlowsTest, FailuresAddNothingAndSayWhy) {
    EXPECT_EQ(import(write("notes.txt", "https://a.test/")),
              u"Import failed: Corvina doesn't recognize .txt bookmark files.");
    EXPECT_TRUE(import(write("broken.json", "[{\"url\": 3}]")).startsWith(u"Import failed: "));
    EXPECT_TRUE(import(dir.filePath(u"missing.html"_s)).startsWith(u"Import failed: "));
    EXPECT_TRUE(libraryUrls().isEmpty());
}

TEST_F(ImportExportFlowsTest, AnImportGoesInSliceBySliceInFileOrder) {
    std::vector<BookmarkPayload> payloads;
    for (int i = 0; i < 10; ++i)
        payloads.push_back(testdata::payload(u"https://slice.test/%1"_s.arg(i), {}));
    auto* job = new ImportCommit(lib.context(), payloads, nullptr, 3);
    QSignalSpy progressed(job, &ImportCommit::progressed);
    QSignalSpy finished(job, &ImportCommit::finished);
    QSignalSpy changed(&lib.context(), &store::ModelContext::changed);
    job->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 5000));
    QList<qint64> steps;
    for (const QList<QVariant>& step : progressed)
        steps << step.first().toLongLong();
    EXPECT_EQ(steps, (QList<qint64>{3, 6, 9, 10}));
    EXPECT_EQ(finished.first().first().toLongLong(), 10);
    EXPECT_GE(changed.size(), 2) << "the list sees the import arrive, not only its end";
    EXPECT_FALSE(lib.context().hasChanges()) << "every slice is saved";
    // One creation time for all, so the store's own order shows: the file's.
    QStringList expected;
    for (const BookmarkPayload& payload : payloads)
        expected << payload.url.absoluteString();
    EXPECT_EQ(libraryUrls(), expected);
}

TEST_F(ImportExportFlowsTest, ExportWritesBothFormatsAndReportsAFailure) {
    import(write("library.html", netscapeFile({u"https://a.test/"_s, u"https://b.test/"_s})));
    QSignalSpy exported(&flows, &ImportExportFlows::exportFinished);
    for (const ExportFormat format : {ExportFormat::json, ExportFormat::netscapeHTML}) {
        const QString path = dir.filePath(defaultFilename(format, QDateTime::currentDateTime()));
        flows.exportToFile(window, format, path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !exported.isEmpty(); }, 5000));
        EXPECT_TRUE(exported.takeFirst().at(1).toString().isEmpty());
        const QByteArray written = testenv::readFile(path);
        EXPECT_TRUE(written.contains("b.test")) << written.toStdString();
        EXPECT_TRUE(written.startsWith(format == ExportFormat::json ? "{" : "<!DOCTYPE NETSCAPE"));
    }
    // A folder that does not exist: the user is told and no file appears.
    const QString nowhere = dir.filePath(u"gone/backup.json"_s);
    flows.exportToFile(window, ExportFormat::json, nowhere);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !exported.isEmpty(); }, 5000));
    EXPECT_FALSE(exported.first().at(1).toString().isEmpty());
    ASSERT_TRUE(flows.openAlert());
    EXPECT_EQ(flows.openAlert()->windowTitle(), u"Export failed");
    EXPECT_FALSE(QFile::exists(nowhere));
}

} // namespace
