#include "shared/Preferences.h"

#include <QDir>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {
QString suitePath(const QString& suite) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + suite +
           QStringLiteral(".conf");
}
} // namespace

TEST(PreferencesTest, AbsentKeysReadTheirDefaults) {
    const auto preferences = Preferences::openShared(QStringLiteral("test.defaults"));
    ASSERT_TRUE(preferences->isShared());
    EXPECT_EQ(preferences->defaults().filePath(), suitePath(QStringLiteral("test.defaults")));
    EXPECT_FALSE(preferences->defaults().hasValue(Preferences::kAutofillFromClipboard));
    EXPECT_EQ(preferences->showDescriptions(), Preferences::kShowDescriptionsDefault);
    EXPECT_EQ(preferences->autofillFromClipboard(), Preferences::kAutofillFromClipboardDefault);
    EXPECT_EQ(preferences->autoFetchMetadata(), Preferences::kAutoFetchMetadataDefault);

    preferences->setAutoFetchMetadata(!Preferences::kAutoFetchMetadataDefault);
    const auto reopened = Preferences::openShared(QStringLiteral("test.defaults"));
    EXPECT_EQ(reopened->autoFetchMetadata(), !Preferences::kAutoFetchMetadataDefault);
}

TEST(PreferencesTest, UnreadableSuiteFallsBackToStandardDefaults) {
    // Root reads any file whatever its mode, so a folder stands in for an unreadable file.
    const QString suite = QStringLiteral("test.unreadable");
    ASSERT_TRUE(QDir().mkpath(suitePath(suite)));
    const auto preferences = Preferences::openShared(suite);
    EXPECT_FALSE(preferences->isShared());
    EXPECT_NE(preferences->defaults().filePath(), suitePath(suite));
    EXPECT_EQ(preferences->autofillFromClipboard(), Preferences::kAutofillFromClipboardDefault);
    preferences->setAutofillFromClipboard(false);
    EXPECT_FALSE(preferences->autofillFromClipboard());
}
