#include "Corvina/Library/BookmarkFilter.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(BookmarkFilterTest, TagAndSearchRules) {
    struct Row {
        QString title, url;
        QStringList tags;
    };
    const Row rows[] = {
        {u"Swift Guide"_s, u"https://a.example/"_s, {u"Dev"_s}},
        {u"Other"_s, u"https://swift.example/docs"_s, {}},
        {u"Third"_s, u"https://c.example/"_s, {u"swiftui"_s, u"dev"_s}},
        {u"Caf\u00e9 notes"_s, u"https://d.example/"_s, {}},
        {u"Cafe\u0301 bar"_s, u"https://e.example/"_s, {}},
    };
    struct Case {
        const char* name;
        std::optional<QString> tag;
        QString search;
        QList<int> visible;
    };
    const Case cases[] = {
        {"nothing", std::nullopt, u" \n\t"_s, {0, 1, 2, 3, 4}},
        {"upperCaseWordWithSpaces", std::nullopt, u"  SWIFT \n"_s, {0, 1, 2}},
        {"tagIsExact", u"Dev"_s, QString(), {0}},
        {"tagAndSearch", u"dev"_s, u"swift"_s, {2}},
        {"oneSubstringWithItsSpace", std::nullopt, u"swift guide"_s, {0}},
        {"wordsNotSplit", std::nullopt, u"guide swift"_s, {}},
        {"composedAndDecomposedAccentsMatch", std::nullopt, u"CAF\u00c9"_s, {3, 4}},
    };
    for (const Case& c : cases) {
        const BookmarkFilter filter(c.tag, c.search);
        QList<int> visible;
        for (int i = 0; i < int(std::size(rows)); ++i) {
            if (filter.matches(rows[i].title, rows[i].url, rows[i].tags))
                visible.append(i);
        }
        EXPECT_EQ(visible, c.visible) << c.name;
    }
}
