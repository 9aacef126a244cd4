// Shows a row of favicon badges, for screenshots:
//   favicon_badge_preview [--dark]
// Letter tiles for several sites, one site with an icon in its cache.
#include "Corvina/Favicons/FaviconBadge.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "tools/previews/PreviewPalette.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QStyleFactory>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

class BadgeStrip : public QWidget {
public:
    BadgeStrip(FaviconStore& store, const QStringList& domains) {
        for (const QString& domain : domains) {
            auto* badge = new FaviconBadge(store, this);
            badge->setDomain(domain);
            connect(badge, &FaviconBadge::iconChanged, this, qOverload<>(&QWidget::update));
            m_badges.push_back(badge);
        }
        setFixedSize(int(m_badges.size()) * 44 + 12, 56);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        qreal x = 12;
        for (const FaviconBadge* badge : m_badges) {
            badge->paint(painter, QRectF(x, 12, FaviconBadge::kSide, FaviconBadge::kSide),
                         palette());
            x += 44;
        }
    }

private:
    std::vector<FaviconBadge*> m_badges;
};

} // namespace

int main(int argc, char** argv) {
    testenv::isolate();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    if (QApplication::arguments().contains(u"--dark"_s))
        QApplication::setPalette(preview::darkPalette());
    QNetworkAccessManager network;
    FaviconStore store(network);
    // A blue-and-white icon as a site would serve it.
    QImage icon(48, 48, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x1a, 0x73, 0xe8));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(2, 2, 44, 44);
        painter.setBrush(Qt::white);
        painter.drawEllipse(16, 16, 16, 16);
    }
    icon.save(store.cacheFilePath(u"icon.example"_s), "PNG");
    BadgeStrip strip(store,
                     {u"icon.example"_s, u"example.com"_s, u"github.com"_s, u"b\u00fccher.de"_s,
                      u"wikipedia.org"_s, u""_s, u"news.ycombinator.com"_s, u"rust-lang.org"_s,
                      u"apple.com"_s, u"\U0001F44D.ws"_s});
    strip.setWindowTitle(u"Favicon badges"_s);
    strip.show();
    return QApplication::exec();
}
