#include "Corvina/BookmarkRow/MetadataFlow.h"

#include "Corvina/LibraryList/RowAccessibility.h"
#include "tests/support/Testing.h"

#include <QHash>
using Style = TextWidthCache::Style;

namespace {

// Widths by text: the domain "site" is 60, the dot 3.5 (4 once rounded up),
// a counter 15, and each tag's text as given in the case (its chip adds 12).
class TableMeasure : public TextMeasure {
public:
    explicit TableMeasure(QHash<QString, qreal> tagWidths)
        : m_tags(std::move(tagWidths)) {}
    qreal width(const QString& text, Style style) const override {
        if (style == Style::caption2)
            return 14.2;
        if (style == Style::caption2Medium)
            return m_tags.value(text, 28);
        return text == MetadataFlow::dotText() ? 3.5 : 59.4;
    }

private:
    QHash<QString, qreal> m_tags;
};

// "site · a b / c +2": rows split by " / ", then the counter.
QString describe(const MetadataFlow::Plan& plan) {
    QStringList rows;
    for (const auto& row : plan.rows) {
        QStringList items;
        for (const MetadataFlow::Item& item : row)
            items << (item.kind == MetadataFlow::Item::Kind::dot ? MetadataFlow::dotText()
                                                                 : item.text);
        rows << items.join(u' ');
    }
    QString text = rows.join(u" / "_s);
    if (plan.overflow > 0)
        text += u" +"_s + QString::number(plan.overflow);
    return text;
}

const QStringList kFive{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};

// Line one: site 60, gap 6, dot 4, gap 6, then 40-point chips 6 apart.
TEST(MetadataFlowTest, LinesAndOverflow) {
    const struct {
        QStringList tags;
        QHash<QString, qreal> tagWidths; // chip text widths; others 28 (chip 40)
        qreal width;
        int maxLines;
        const char* expected;
    } cases[] = {
        // No tags.
        {{}, {}, 300, 2, "site"},
        // No width yet.
        {kFive, {}, 0, 2, "site +5"},
        // Negative width.
        {kFive, {}, -3, 2, "site +5"},
        // All fit.
        {{u"a"_s, u"b"_s}, {}, 300, 2, "site · a b"},
        // The counter beside a tag: two tags on line one (162), "c" alone on
        // line two, "d" too wide beside it.
        {kFive, {{u"d"_s, 118}}, 170, 2, "site · a b / c +2"},
        // "c" takes 150 of 170: the counter (15 + 6) no longer fits, so it takes
        // c's place and follows the first line.
        {kFive, {{u"c"_s, 138}, {u"d"_s, 118}}, 170, 2, "site · a b +3"},
        // First tag to second line.
        {{u"a"_s}, {}, 110, 2, "site · / a"},
        // Tag wider than line.
        {{u"a"_s}, {{u"a"_s, 400}}, 100, 2, "site +1"},
        // Wide tag after fitting ones.
        {{u"a"_s, u"b"_s, u"c"_s}, {{u"b"_s, 400}}, 120, 2, "site · a +2"},
        // One line drops dangling dot.
        {{u"a"_s}, {}, 90, 1, "site +1"},
        // Never a third line.
        {kFive + QStringList{u"f"_s, u"g"_s, u"h"_s}, {}, 100, 2, "site · / a +7"},
    };
    for (const auto& c : cases) {
        MetadataFlow flow;
        flow.domain = u"site"_s;
        flow.tags = c.tags;
        flow.maxLines = c.maxLines;
        EXPECT_EQ(describe(flow.plan(c.width, TableMeasure(c.tagWidths))).toStdString(),
                  c.expected);
    }
}

TEST(MetadataFlowTest, WidthsAreRoundedUpPerPiece) {
    const TableMeasure measure({{u"x"_s, 20.1}});
    EXPECT_EQ(MetadataFlow::itemWidth(MetadataFlow::Item::Kind::domain, u"site"_s, measure), 60);
    EXPECT_EQ(MetadataFlow::itemWidth(MetadataFlow::Item::Kind::dot, {}, measure), 4);
    EXPECT_EQ(MetadataFlow::itemWidth(MetadataFlow::Item::Kind::tag, u"x"_s, measure), 33);
    EXPECT_EQ(MetadataFlow::counterWidth(3, measure), 15);
}

TEST(RowAccessibilityTest, Labels) {
    EXPECT_EQ(bookmarkAccessibilityLabel(u"Docs"_s, u"D"_s, {u"a"_s, u"b"_s}),
              u"Docs, from D, tags: a, b"_s);
    // One tag ("tag: a") is read through the list model's test.
    EXPECT_EQ(bookmarkAccessibilityLabel(u"Docs"_s, u"D"_s, {}), u"Docs, from D"_s);
    EXPECT_EQ(overflowAccessibilityLabel(4), u"and 4 more tags"_s);
}

} // namespace
