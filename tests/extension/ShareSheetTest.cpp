#include "extension/Sheet/ShareSheet.h"

#include "extension/App/Dropslip.h"
#include "extension/Controller/ShareViewController.h"
#include "extension/Sheet/DescriptionEditor.h"
#include "extension/Sheet/ElidedLabel.h"
#include "extension/Sheet/SoftTextField.h"
#include "platform/Extension/HostCommandLine.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Duplicates/DuplicateKey.h"
#include "shared/Inbox/SharedContainer.h"
#include "shared/Preferences.h"
#include "tests/support/Testing.h"

#include <QPushButton>

namespace {

class ShareSheetTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(*sharedcontainer::supportDirectory()).removeRecursively());
        preferences.setAutoFetchMetadata(false);
    }

    // Started as "dropslip ARGUMENTS", shown, its items loaded.
    Dropslip& start(const QStringList& arguments) {
        const auto request = parseHostArguments(QStringList{u"dropslip"_s} + arguments);
        dropslip = std::make_unique<Dropslip>(makeExtensionContext(request.value()), preferences);
        finished = std::make_unique<QSignalSpy>(dropslip.get(), &Dropslip::finished);
        QSignalSpy loaded(&dropslip->controller(), &ShareViewController::sharedItemsLoaded);
        dropslip->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dropslip->sheet()));
        EXPECT_TRUE(loaded.wait(testenv::kPatience));
        return *dropslip;
    }

    // `ms` is how long to wait for an exit that is expected.
    std::optional<int> exitCode(int ms = 5000) {
        if (finished->isEmpty() && !finished->wait(ms))
            return std::nullopt;
        return finished->first().first().toInt();
    }

    qsizetype inboxSize() const {
        return QDir(*sharedcontainer::inboxDirectory()).entryList(QDir::Files).size();
    }

    Preferences preferences{UserDefaults::openSuite(u"sheet-test"_s)};
    std::unique_ptr<Dropslip> dropslip;
    std::unique_ptr<QSignalSpy> finished;
};

} // namespace

TEST_F(ShareSheetTest, ReturnSavesOnlyWhileSaveIsEnabledEscapeAndClosingCancel) {
    ShareSheet& sheet = start({u"not a link"_s}).sheet();
    EXPECT_FALSE(sheet.saveButton()->isEnabled());
    QTest::keyClick(sheet.titleField(), Qt::Key_Return);
    EXPECT_EQ(exitCode(500), std::nullopt);

    sheet.urlField()->setFocus();
    QTest::keyClicks(sheet.urlField(), u"https://typed.example/"_s);
    QTest::keyClicks(sheet.titleField(), u"Typed"_s);
    EXPECT_TRUE(sheet.saveButton()->isEnabled());
    QTest::keyClick(sheet.titleField(), Qt::Key_Return);
    EXPECT_EQ(exitCode(), Dropslip::kCompleted);
    EXPECT_EQ(inboxSize(), 1);

    // Escape and closing the window cancel.
    start({u"--title"_s, u"T"_s, u"https://a.example/"_s});
    QTest::keyClick(dropslip->sheet().descriptionEditor(), Qt::Key_Escape);
    EXPECT_EQ(exitCode(), Dropslip::kCancelled);

    start({u"https://a.example/"_s});
    dropslip->sheet().close();
    EXPECT_EQ(exitCode(), Dropslip::kCancelled);
    EXPECT_EQ(inboxSize(), 1);
}

TEST_F(ShareSheetTest, TheWarningGrowsTheSheetAndIsCutAtTheTail) {
    const QString title = u"A saved page whose title is far too long for one line of the "
                          u"warning under the link field of this sheet"_s;
    testenv::writeFile(duplicateIndexPath(*sharedcontainer::supportDirectory()),
                       encodeDuplicateIndex({{duplicateKey(u"https://saved.example/"_s), title}}));

    ShareSheet& sheet = start({u"--title"_s, u"T"_s, u"https://saved.example/"_s}).sheet();
    EXPECT_EQ(sheet.size(), QSize(480, 332));
    EXPECT_TRUE(sheet.duplicateLabel()->isVisible());
    EXPECT_EQ(sheet.duplicateLabel()->text(), u"Already saved as “"_s + title + u"”"_s);
    EXPECT_TRUE(sheet.duplicateLabel()->shownText().endsWith(u'…'));
    EXPECT_TRUE(sheet.saveButton()->isEnabled()) << "a warning does not prevent saving";

    sheet.urlField()->setFocus();
    QTest::keyClick(sheet.urlField(), Qt::Key_Backspace);
    QTest::keyClicks(sheet.urlField(), u"x/"_s);
    EXPECT_FALSE(sheet.duplicateLabel()->isVisible());
    EXPECT_EQ(sheet.size(), QSize(480, 304));
}

TEST_F(ShareSheetTest, FieldTextSitsEightPointsInAndCentred) {
    ShareSheet& sheet = start({u"https://a.example/"_s}).sheet();
    SoftTextField* field = sheet.titleField();
    EXPECT_EQ(field->height(), SoftTextField::kHeight);
    const QRectF text = field->textRect();
    EXPECT_EQ(text.left(), 8);
    EXPECT_EQ(text.right(), field->width() - 8);
    EXPECT_DOUBLE_EQ(text.center().y(), field->height() / 2.0);
    // Qt's own editing position agrees with the drawing rectangle.
    field->setFocus();
    field->setCursorPosition(0);
    EXPECT_NEAR(field->inputMethodQuery(Qt::ImCursorRectangle).toRectF().center().x(), 8, 1.5);
}
