// Shows a list of bookmark rows, for screenshots:
//   bookmark_rows_preview [--dark]
// Long titles, many tags and descriptions on; one site has its icon cached.
#include "Corvina/BookmarkRow/BookmarkRowDelegate.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "shared/Preferences.h"
#include "tests/Corvina/BookmarkRow/RowFixtureModel.h"
#include "tools/previews/PreviewPalette.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QStyleFactory>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    testenv::isolate();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    if (QApplication::arguments().contains(u"--dark"_s))
        QApplication::setPalette(preview::darkPalette());
    Preferences::shared().setShowDescriptions(true);

    QNetworkAccessManager network;
    FaviconStore icons(network);
    QImage icon(48, 48, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0xde, 0x4a, 0x1f));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(4, 4, 40, 40, 10, 10);
    }
    icon.save(icons.cacheFilePath(u"doc.rust-lang.org"_s), "PNG");

    std::vector<rowfixture::Row> rows{
        {u"The Rust Programming Language"_s,
         u"The official book on Rust, from ownership and borrowing to async and unsafe code."_s,
         u"doc.rust-lang.org"_s,
         {u"rust"_s, u"programming"_s, u"books"_s}},
        {u"A very long title that goes on and on about typography, grids, measure, leading and "
         u"the many small decisions that make a page comfortable to read for hours"_s,
         u"  \n  "_s,
         u"practicaltypography.com"_s,
         {u"typography"_s,  u"design"_s,     u"reference"_s,
          u"grids"_s,       u"reading"_s,    u"layout"_s,
          u"fonts"_s,       u"web"_s,        u"print"_s,
          u"history"_s,     u"craft"_s,      u"books"_s,
          u"serif"_s,       u"sans-serif"_s, u"kerning"_s,
          u"hyphenation"_s, u"measure"_s,    u"leading"_s,
          u"ligatures"_s,   u"small caps"_s, u"old-style figures"_s,
          u"tracking"_s}},
        {u"Kyoto in autumn: temples, gardens and the quiet streets of Higashiyama"_s,
         u"Notes for the trip: which temples open early, where the maples turn first, and a "
         u"tea house near Kiyomizu-dera that a friend swears by. Book the ryokan by August."_s,
         u"travel.example.jp"_s,
         {u"travel"_s, u"Japan"_s, u"Kyoto"_s, u"autumn"_s, u"gardens"_s}},
        {u"mailto link without a host"_s, {}, u"mailto:someone@example.com"_s, {}},
    };
    for (rowfixture::Row& row : rowfixture::sampleRows(8))
        rows.push_back(std::move(row));
    rowfixture::RowModel model(std::move(rows));

    QListView view;
    BookmarkRowDelegate delegate(icons, Preferences::shared());
    view.setModel(&model);
    view.setItemDelegate(&delegate);
    delegate.attach(view);
    view.setFrameShape(QFrame::NoFrame);
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setWindowTitle(u"Bookmark rows"_s);
    view.resize(640, 760);
    view.show();
    // Show the edit button on one row, as the pointer would.
    delegate.setReduceMotion(true);
    delegate.setHoveredIndex(model.index(2));
    return QApplication::exec();
}
