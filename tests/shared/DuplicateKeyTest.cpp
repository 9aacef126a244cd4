#include "shared/Duplicates/DuplicateKey.h"

#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

TEST(DuplicateKeyTest, KeysOfTheTable) {
    for (const testenv::TableRow& row : testenv::readTable(u"duplicate-keys.tsv"_s, 2)) {
        SCOPED_TRACE(row.where);
        const QString text = row.text(0);
        EXPECT_EQ(duplicateKey(QStringView(text)), row.text(1));
        EXPECT_EQ(duplicateKey(text), row.text(1));
        if (const auto url = Url::parse(text)) {
            EXPECT_EQ(duplicateKey(*url), row.text(1));
        }
    }
}
