#include "Corvina/ImportExport/ImporterRouter.h"

#include "Corvina/ImportExport/JSONBackup.h"
#include "Corvina/ImportExport/NetscapeHTML.h"
#include "ImportExportTestSupport.h"

TEST(ImporterRouterTest, RoutesByExtensionAlone) {
    const BookmarkImporter* netscape = &ImporterRouter::registry().at(0);
    const BookmarkImporter* json = &ImporterRouter::registry().at(1);
    EXPECT_EQ(netscape->parse, &NetscapeHTMLImporter::parse);
    EXPECT_EQ(json->parse, &JSONImporter::parse);
    const std::pair<QString, const BookmarkImporter*> cases[] = {
        {u"html"_s, netscape}, {u"HTML"_s, netscape}, {u"Htm"_s, netscape}, {u"json"_s, json},
        {u"JSON"_s, json},     {u"txt"_s, nullptr},   {QString(), nullptr}, {u"xhtml"_s, nullptr},
    };
    for (const auto& [extension, reader] : cases)
        EXPECT_EQ(ImporterRouter::importerForExtension(extension), reader)
            << extension.toStdString();
    EXPECT_EQ(ImporterRouter::allowedContentTypes(),
              (QStringList{u"text/html"_s, u"text/html"_s, u"application/json"_s}));
}

TEST(ImporterRouterTest, ReadingAPickedFile) {
    QTemporaryDir folder;
    const auto write = [&](const QString& name) {
        return testenv::writeFile(folder.filePath(name), "<DT><A HREF=\"https://a/\">A</A>\n");
    };
    // A path, and the error reading it gives; none: one bookmark.
    const std::pair<QString, QString> cases[] = {
        {write(u"Bookmarks.HTML"_s), {}},
        {write(u"notes.txt"_s), u"Corvina doesn't recognize .txt bookmark files."_s},
        {write(u"Bookmarks"_s), u"Corvina doesn't recognize . bookmark files."_s},
        {write(u"dots.v2.Json"_s),
         u"Malformed file: Expected an array of bookmarks or {\"bookmarks\": [...]}"_s},
        {folder.filePath(u"gone.htm"_s), u"Couldn't read the file: No such file or directory"_s},
        {QDir(folder.path()).mkdir(u"dir.html"_s) ? folder.filePath(u"dir.html"_s) : QString(),
         u"Couldn't read the file: Is a directory"_s},
    };
    for (const auto& [path, error] : cases) {
        const auto read = ImporterRouter::readFile(path);
        ASSERT_EQ(read.ok(), error.isEmpty()) << path.toStdString();
        EXPECT_EQ(read ? QString::number(read->size()) : describe(read.error()),
                  error.isEmpty() ? u"1"_s : error);
    }
    EXPECT_EQ(ImporterRouter::fileExtension(u"/a.b/c"_s), QString());
    EXPECT_EQ(BookmarkImporterError::unsupportedFormat().description(),
              u"This file format isn't recognized."_s);
}
