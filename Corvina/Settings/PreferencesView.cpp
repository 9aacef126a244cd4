#include "Corvina/Settings/PreferencesView.h"

#include "Corvina/Settings/RelativeDate.h"
#include "Corvina/Settings/SyncStatus.h"
#include "Corvina/Settings/ToggleSwitch.h"
#include "platform/Widgets/Typography.h"
#include "shared/Preferences.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <functional>

using typography::TextStyle;

namespace {

constexpr int kOuterMargin = 20;
constexpr int kSectionSpacing = 20;
constexpr int kHeaderGap = 6;
constexpr int kRowHorizontalPadding = 12;
constexpr int kRowVerticalPadding = 8;
constexpr int kCaptionGap = 2;
constexpr int kBusyTextGap = 6;
constexpr int kNoteGap = 4;
constexpr int kCardRadius = 8;
constexpr int kClockInterval = 30 * 1000;

enum class Tone { primary, secondary, error };

// Labels carry their style so palette and font changes can restyle them.
const char* const kStyleProperty = "corvinaTextStyle";
const char* const kToneProperty = "corvinaTone";

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor blend(const QColor& a, const QColor& b, qreal amountOfA) {
    return QColor::fromRgbF(
        static_cast<float>(a.redF() * amountOfA + b.redF() * (1 - amountOfA)),
        static_cast<float>(a.greenF() * amountOfA + b.greenF() * (1 - amountOfA)),
        static_cast<float>(a.blueF() * amountOfA + b.blueF() * (1 - amountOfA)));
}

QColor errorColour(const QPalette& palette) {
    // Reds chosen for contrast on a light and on a dark window respectively.
    return isDark(palette) ? QColor(0xff, 0x45, 0x3a) : QColor(0xd7, 0x00, 0x15);
}

void styleLabel(QLabel* label, const QFont& base, const QPalette& palette) {
    const auto style = static_cast<TextStyle>(label->property(kStyleProperty).toInt());
    const auto tone = static_cast<Tone>(label->property(kToneProperty).toInt());
    label->setFont(typography::font(style, base));
    // Primary text keeps inheriting the window's text colour.
    if (tone == Tone::primary)
        return;
    QPalette own = label->palette();
    switch (tone) {
    case Tone::primary:
        break;
    case Tone::secondary:
        own.setColor(QPalette::WindowText, typography::secondaryTextColor(palette));
        break;
    case Tone::error:
        own.setColor(QPalette::WindowText, errorColour(palette));
        break;
    }
    label->setPalette(own);
}

QLabel* makeLabel(const QString& text, TextStyle style, Tone tone, QWidget* styleSource,
                  bool wrap = false) {
    auto* label = new QLabel(text);
    label->setProperty(kStyleProperty, static_cast<int>(style));
    label->setProperty(kToneProperty, static_cast<int>(tone));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    styleLabel(label, styleSource->font(), styleSource->palette());
    return label;
}

// The rounded group behind a section's rows.
class Card : public QWidget {
public:
    Card() {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    QVBoxLayout* rows() const { return static_cast<QVBoxLayout*>(layout()); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette& pal = palette();
        const QColor window = pal.color(QPalette::Window);
        // A dark window's card is a shade lighter than it; a light one's is the base colour.
        const QColor fill = isDark(pal) ? blend(pal.color(QPalette::WindowText), window, 0.06)
                                        : pal.color(QPalette::Base);
        painter.setPen(QPen(blend(pal.color(QPalette::WindowText), window, 0.12), 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCardRadius,
                                kCardRadius);
    }
};

// A hairline between two rows, inset like the rows' content.
class Divider : public QWidget {
public:
    Divider() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& pal = palette();
        painter.fillRect(rect().adjusted(kRowHorizontalPadding, 0, -kRowHorizontalPadding, 0),
                         blend(pal.color(QPalette::WindowText), pal.color(QPalette::Window), 0.12));
    }
};

QWidget* makeRow(QLayout* content) {
    auto* row = new QWidget;
    content->setContentsMargins(kRowHorizontalPadding, kRowVerticalPadding, kRowHorizontalPadding,
                                kRowVerticalPadding);
    row->setLayout(content);
    return row;
}

// "Title ........ value", the value at the right edge.
QWidget* makeValueRow(QLabel* title, QWidget* value) {
    auto* layout = new QHBoxLayout;
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(value);
    return makeRow(layout);
}

void addRow(QVBoxLayout* rows, QWidget* row) {
    if (rows->count() > 0)
        rows->addWidget(new Divider);
    rows->addWidget(row);
}

QString accountText(SyncStatus::Account account) {
    switch (account) {
    case SyncStatus::Account::unknown:
        return PreferencesView::tr("Checking…");
    case SyncStatus::Account::available:
        return PreferencesView::tr("Signed in");
    case SyncStatus::Account::noAccount:
        return PreferencesView::tr("Not signed into iCloud");
    case SyncStatus::Account::restricted:
        return PreferencesView::tr("Restricted by parental controls");
    case SyncStatus::Account::temporarilyUnavailable:
        return PreferencesView::tr("Temporarily unavailable");
    case SyncStatus::Account::couldNotDetermine:
        break;
    }
    return PreferencesView::tr("Couldn't reach iCloud");
}

// Event kinds come from their producer untranslated; translate them here.
QString eventKindText(const QString& kind) {
    if (kind.isEmpty())
        return PreferencesView::tr("Sync");
    return QCoreApplication::translate("SyncStatus", kind.toUtf8().constData());
}

} // namespace

PreferencesView::PreferencesView(Preferences& preferences, SyncStatus& syncStatus, QWidget* parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_syncStatus(syncStatus) {
    setFixedWidth(kWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    layout->setSpacing(kSectionSpacing);
    layout->addWidget(buildGeneralSection());
    // In local-only mode the section does not exist at all, so it takes no room.
    if (m_syncStatus.mode() == SyncStatus::Mode::enabled)
        layout->addWidget(buildCloudSection());
    layout->addStretch(1);
}

QSize PreferencesView::sizeHint() const {
    // Wrapped captions make the height depend on the fixed width.
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(kWidth)
                                                     : layout()->totalSizeHint().height();
    return {kWidth, height};
}

QWidget* PreferencesView::buildGeneralSection() {
    auto* section = new QWidget;
    section->setObjectName(QStringLiteral("generalSection"));
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kHeaderGap);
    layout->addWidget(makeLabel(tr("General"), TextStyle::headline, Tone::primary, this));

    auto* card = new Card;
    // Plain callables rather than member-function pointers: GCC 12's vptr
    // sanitizer miscompiles calls through the latter.
    struct Switch {
        QString title;
        QString caption;
        bool on;
        std::function<void(bool)> write;
        void (Preferences::*changed)(bool);
    };
    const Switch switches[] = {
        {tr("Autofill link from clipboard"),
         tr("When you open the New Bookmark form and the clipboard contains a URL, paste it "
            "automatically."),
         m_preferences.autofillFromClipboard(),
         [this](bool on) { m_preferences.setAutofillFromClipboard(on); },
         &Preferences::autofillFromClipboardChanged},
        {tr("Auto-populate title and description"),
         tr("Fetch the page's title and description automatically when you add a bookmark — both "
            "in the main app and from the system share sheet."),
         m_preferences.autoFetchMetadata(),
         [this](bool on) { m_preferences.setAutoFetchMetadata(on); },
         &Preferences::autoFetchMetadataChanged},
    };
    for (const Switch& entry : switches) {
        auto* text = new QVBoxLayout;
        text->setSpacing(kCaptionGap);
        text->addWidget(makeLabel(entry.title, TextStyle::body, Tone::primary, this));
        text->addWidget(makeLabel(entry.caption, TextStyle::caption, Tone::secondary, this, true));

        auto* toggle = new ToggleSwitch;
        toggle->setAccessibleName(entry.title);
        toggle->setAccessibleDescription(entry.caption);
        toggle->setChecked(entry.on);
        connect(toggle, &ToggleSwitch::toggled, this, entry.write);
        connect(&m_preferences, entry.changed, toggle, &ToggleSwitch::setChecked);

        auto* row = new QHBoxLayout;
        row->setSpacing(kRowHorizontalPadding);
        row->addLayout(text, 1);
        row->addWidget(toggle, 0, Qt::AlignVCenter);
        addRow(card->rows(), makeRow(row));
    }
    layout->addWidget(card);
    return section;
}

QWidget* PreferencesView::buildCloudSection() {
    auto* section = new QWidget;
    section->setObjectName(QStringLiteral("cloudSection"));
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeLabel(tr("iCloud"), TextStyle::headline, Tone::primary, this));
    layout->addSpacing(kHeaderGap);

    auto* card = new Card;
    m_accountValue = makeLabel(QString(), TextStyle::body, Tone::primary, this);
    m_accountValue->setObjectName(QStringLiteral("accountValue"));
    addRow(card->rows(),
           makeValueRow(makeLabel(tr("Account"), TextStyle::body, Tone::primary, this),
                        m_accountValue));
    m_statusSlot = card->rows();
    layout->addWidget(card);

    layout->addSpacing(kNoteGap);
    auto* note = makeLabel(tr("To see which devices are syncing this app, open System Settings → "
                              "Apple ID → iCloud → Apps Using iCloud → Corvina. Apple does not "
                              "expose a per-app device list to apps directly."),
                           TextStyle::caption, Tone::secondary, this, true);
    note->setContentsMargins(kRowHorizontalPadding, 0, kRowHorizontalPadding, 0);
    layout->addWidget(note);

    updateAccount();
    rebuildStatusRows();
    connect(&m_syncStatus, &SyncStatus::accountChanged, this, &PreferencesView::updateAccount);
    for (auto signal :
         {&SyncStatus::lastEventDateChanged, &SyncStatus::lastEventKindChanged,
          &SyncStatus::lastEventSucceededChanged, &SyncStatus::lastErrorMessageChanged})
        connect(&m_syncStatus, signal, this, &PreferencesView::rebuildStatusRows);
    connect(&m_syncStatus, &SyncStatus::isSyncingChanged, this,
            &PreferencesView::rebuildStatusRows);

    m_clock.setInterval(kClockInterval);
    connect(&m_clock, &QTimer::timeout, this, &PreferencesView::updateRelativeDate);
    m_clock.start();
    return section;
}

void PreferencesView::updateAccount() {
    m_accountValue->setText(accountText(m_syncStatus.account()));
}

void PreferencesView::rebuildStatusRows() {
    // Rows come and go with the state, so they are made afresh rather than hidden.
    delete m_statusRows.data();
    auto* rows = new QWidget;
    rows->setObjectName(QStringLiteral("statusRows"));
    auto* rowsLayout = new QVBoxLayout(rows);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(0);
    // The account row above is separated by the first divider.
    rowsLayout->addWidget(new Divider);

    const QString kind = eventKindText(m_syncStatus.lastEventKind());
    const std::optional<QDateTime> date = m_syncStatus.lastEventDate();
    if (m_syncStatus.isSyncing()) {
        auto* value = new QWidget;
        auto* valueLayout = new QHBoxLayout(value);
        valueLayout->setContentsMargins(0, 0, 0, 0);
        valueLayout->setSpacing(kBusyTextGap);
        valueLayout->addWidget(new BusyIndicator, 0, Qt::AlignVCenter);
        valueLayout->addWidget(makeLabel(kind + u'…', TextStyle::body, Tone::secondary, this));
        rowsLayout->addWidget(
            makeValueRow(makeLabel(tr("Status"), TextStyle::body, Tone::primary, this), value));
    } else if (!date) {
        rowsLayout->addWidget(makeValueRow(
            makeLabel(tr("Status"), TextStyle::body, Tone::primary, this),
            makeLabel(tr("Waiting for first sync…"), TextStyle::body, Tone::secondary, this)));
    } else {
        auto* when = makeLabel(QString(), TextStyle::body, Tone::primary, this);
        when->setObjectName(QStringLiteral("lastEventDate"));
        m_relativeDate = when;
        rowsLayout->addWidget(makeValueRow(
            makeLabel(tr("Last %1").arg(kind.toLower()), TextStyle::body, Tone::primary, this),
            when));
        updateRelativeDate();
        const std::optional<QString> message = m_syncStatus.lastErrorMessage();
        if (m_syncStatus.lastEventSucceeded() == false && message) {
            auto* issue = new QVBoxLayout;
            issue->setSpacing(kCaptionGap);
            issue->addWidget(makeLabel(tr("Sync issue"), TextStyle::body, Tone::error, this), 0,
                             Qt::AlignLeft);
            issue->addWidget(makeLabel(*message, TextStyle::caption, Tone::secondary, this, true));
            rowsLayout->addWidget(new Divider);
            rowsLayout->addWidget(makeRow(issue));
        }
    }
    m_statusRows = rows;
    m_statusSlot->addWidget(rows);
}

void PreferencesView::updateRelativeDate() {
    const std::optional<QDateTime> date = m_syncStatus.lastEventDate();
    if (m_relativeDate && date)
        m_relativeDate->setText(relativeDateText(*date, QDateTime::currentDateTime()));
}

void PreferencesView::applyTextStyles() {
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->property(kStyleProperty).isValid())
            styleLabel(label, font(), palette());
    }
}

void PreferencesView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        applyTextStyles();
}
