#include "Corvina/BookmarkEditor/BookmarkEditor.h"

#include "Corvina/BookmarkEditor/FieldGroup.h"
#include "Corvina/BookmarkEditor/SoftFieldBackground.h"
#include "Corvina/BookmarkEditor/SuggestedTagsRail.h"
#include "platform/Symbols/Symbols.h"
#include "platform/Widgets/Alert.h"
#include "platform/Widgets/Spinner.h"
#include "platform/Widgets/SystemColors.h"
#include "platform/Widgets/Typography.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSidePadding = 16;
constexpr int kDescriptionHeight = 82;

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText,
                     systemcolors::withAlpha(parent->palette().color(QPalette::WindowText), 0.12));
    line->setPalette(palette);
    return line;
}

QLineEdit* plainField(const QString& placeholder, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    field->setFont(typography::font(typography::TextStyle::body));
    return field;
}

// Keeps a field's text in step with the controller without echoing the
// change back: only a real difference is written.
void showText(QLineEdit* field, const QString& text) {
    if (field->text() != text)
        field->setText(text);
}

} // namespace

BookmarkEditor::BookmarkEditor(BookmarkEditorInput input, BookmarkEditorServices services,
                               QWidget* parent, std::chrono::milliseconds fetchDelay)
    : QDialog(parent)
    , m_controller(new BookmarkEditorController(std::move(input), services, fetchDelay, this)) {
    setWindowModality(Qt::WindowModal);
    setFixedWidth(kWidth);
    setAutoFillBackground(true);
    buildLayout();
    connectFields();
    refreshDerived();
}

BookmarkEditor::~BookmarkEditor() = default;

void BookmarkEditor::buildLayout() {
    const QString headline = m_controller->isEditing() ? tr("Edit Bookmark") : tr("New Bookmark");
    setWindowTitle(headline);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(kSidePadding, 12, kSidePadding, 12);
    m_headline = new QLabel(headline, this);
    m_headline->setFont(typography::font(typography::TextStyle::headline));
    m_spinner = new Spinner(this);
    header->addWidget(m_headline);
    header->addStretch(1);
    header->addWidget(m_spinner);
    layout->addLayout(header);
    layout->addWidget(divider(this));

    auto* fields = new QVBoxLayout;
    fields->setContentsMargins(kSidePadding, kSidePadding, kSidePadding, kSidePadding);
    fields->setSpacing(14);

    m_link = plainField(tr("Paste or type a URL"), this);
    auto* linkGroup = new FieldGroup(tr("Link"), new SoftFieldBackground(m_link), this);
    m_warning = new QWidget(this);
    auto* warningRow = new QHBoxLayout(m_warning);
    warningRow->setContentsMargins(0, 0, 0, 0);
    warningRow->setSpacing(4);
    m_warningIcon = new QLabel(m_warning);
    m_warningText = new QLabel(m_warning);
    m_warningText->setFont(typography::font(typography::TextStyle::caption));
    warningRow->addWidget(m_warningIcon);
    warningRow->addWidget(m_warningText, 1);
    linkGroup->addBelow(m_warning, 6);
    fields->addWidget(linkGroup);

    m_title = plainField(tr("Page title"), this);
    fields->addWidget(new FieldGroup(tr("Title"), new SoftFieldBackground(m_title), this));

    m_description = new QPlainTextEdit(this);
    m_description->setFont(typography::font(typography::TextStyle::body));
    m_description->setTabChangesFocus(true);
    m_description->document()->setDocumentMargin(0);
    m_description->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* descriptionBackground = new SoftFieldBackground(m_description, 4, 6);
    descriptionBackground->setFixedHeight(kDescriptionHeight);
    fields->addWidget(new FieldGroup(tr("Description"), descriptionBackground, this));

    m_tags = plainField(tr("Comma-separated"), this);
    auto* tagsGroup = new FieldGroup(tr("Tags"), new SoftFieldBackground(m_tags), this);
    m_rail = new SuggestedTagsRail(this);
    tagsGroup->addBelow(m_rail, 6);
    fields->addWidget(tagsGroup);
    layout->addLayout(fields);
    layout->addWidget(divider(this));

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(kSidePadding, 10, kSidePadding, 10);
    footer->setSpacing(8);
    footer->addStretch(1);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setAutoDefault(false);
    m_save = new QPushButton(tr("Save"), this);
    m_save->setDefault(true);
    m_save->setPalette(systemcolors::prominentButton(palette()));
    footer->addWidget(m_cancel);
    footer->addWidget(m_save);
    layout->addLayout(footer);

    // The sheet itself is fixed at 460 wide; its content is the width less the padding.
    for (QWidget* field : {static_cast<QWidget*>(m_link), static_cast<QWidget*>(m_title),
                           static_cast<QWidget*>(m_tags)})
        field->setMinimumWidth(kWidth - 2 * kSidePadding - 20);
}

void BookmarkEditor::connectFields() {
    BookmarkEditorController& c = *m_controller;
    m_link->setText(c.url());
    m_title->setText(c.title());
    m_description->setPlainText(c.descriptionText());
    m_tags->setText(c.tagsField());

    connect(m_link, &QLineEdit::textChanged, &c, &BookmarkEditorController::setUrl);
    connect(m_title, &QLineEdit::textChanged, &c, &BookmarkEditorController::setTitle);
    connect(m_tags, &QLineEdit::textChanged, &c, &BookmarkEditorController::setTagsField);
    connect(m_description, &QPlainTextEdit::textChanged, &c,
            [this] { m_controller->setDescriptionText(m_description->toPlainText()); });

    connect(&c, &BookmarkEditorController::urlChanged, this,
            [this](const QString& text) { showText(m_link, text); });
    connect(&c, &BookmarkEditorController::titleChanged, this,
            [this](const QString& text) { showText(m_title, text); });
    connect(&c, &BookmarkEditorController::tagsFieldChanged, this,
            [this](const QString& text) { showText(m_tags, text); });
    connect(&c, &BookmarkEditorController::descriptionTextChanged, this,
            [this](const QString& text) {
                if (m_description->toPlainText() != text)
                    m_description->setPlainText(text);
            });
    connect(&c, &BookmarkEditorController::derivedChanged, this, &BookmarkEditor::refreshDerived);
    connect(&c, &BookmarkEditorController::fetchingChanged, this, [this](bool fetching) {
        if (fetching)
            m_spinner->start();
        else
            m_spinner->stop();
    });
    connect(m_rail, &SuggestedTagsRail::tagTapped, this, [this](const QString& tag) {
        m_controller->applyTag(tag);
        m_tags->setFocus();
        m_tags->end(false);
    });
    connect(m_cancel, &QPushButton::clicked, this, &BookmarkEditor::reject);
    connect(m_save, &QPushButton::clicked, this, &BookmarkEditor::save);
    connect(&c, &BookmarkEditorController::dismissed, this, [this] { QDialog::done(m_result); });
    connect(&c, &BookmarkEditorController::bookmarkAdded, this, &BookmarkEditor::bookmarkAdded);
    connect(&c, &BookmarkEditorController::bookmarkEdited, this, &BookmarkEditor::bookmarkEdited);
    m_tags->installEventFilter(this);
}

Alert* BookmarkEditor::openQuestion() const {
    return m_question;
}

void BookmarkEditor::save() {
    m_result = QDialog::Accepted;
    if (m_controller->save())
        return;
    m_result = QDialog::Rejected;
    if (m_controller->isEditedBookmarkGone())
        askToSaveAsNew();
}

// Saving the edit would bring the bookmark back unasked, and dropping it
// would lose what the user typed: the user chooses.
void BookmarkEditor::askToSaveAsNew() {
    if (m_question && m_question->isVisible())
        return;
    auto* question = new Alert(
        Alert::Icon::warning, tr("This Bookmark Was Deleted"),
        tr("Another window or program deleted this bookmark while you were editing it. You "
           "can save what you typed as a new bookmark."),
        this);
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setWindowModality(Qt::WindowModal);
    question->addButton(tr("Cancel"), Alert::ButtonRole::cancel);
    QPushButton* saveAsNew = question->addButton(tr("Save as New Bookmark"));
    question->setDefaultButton(saveAsNew);
    m_question = question;
    // Cancel goes back to the sheet, where the text is still there to copy.
    connect(question, &QDialog::finished, this, [this, question, saveAsNew] {
        if (question->clickedButton() != saveAsNew)
            return;
        m_result = QDialog::Accepted;
        if (!m_controller->saveAsNew())
            m_result = QDialog::Rejected;
    });
    question->open();
}

bool BookmarkEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tags) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            refreshDerived(); // the highlight shows only while typing there
        else if (event->type() == QEvent::KeyPress && tagsFieldKey(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool BookmarkEditor::tagsFieldKey(const QKeyEvent& key) {
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Taken: the focus stays in the field for the next tag.
        return m_controller->acceptHighlightedChip();
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (m_controller->highlightedChip() < 0)
            return false;
        m_controller->moveHighlight(key.key() == Qt::Key_Down ? 1 : -1);
        return true;
    default:
        return false;
    }
}

void BookmarkEditor::refreshDerived() {
    const BookmarkEditorController& c = *m_controller;
    m_save->setEnabled(c.canSave());

    if (const std::optional<Bookmark> duplicate = c.duplicate()) {
        const QColor orange = systemcolors::orange(palette());
        const int side = QFontMetrics(m_warningText->font()).ascent();
        m_warningIcon->setPixmap(symbols::tinted(symbols::icon(u"exclamationmark.triangle.fill"_s),
                                                 QSize(side, side), orange, devicePixelRatioF()));
        QPalette palette = m_warningText->palette();
        palette.setColor(QPalette::WindowText, orange);
        m_warningText->setPalette(palette);
        const QString text = tr("Already saved as “%1”").arg(duplicate->title());
        const int room = kWidth - 2 * kSidePadding - side - 4;
        m_warningText->setText(
            m_warningText->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
        m_warningText->setToolTip(text);
        m_warning->show();
    } else {
        m_warning->hide();
    }

    const QStringList chips = c.railSuggestions();
    m_rail->setSuggestions(chips, c.existingTags(), c.railShowsSparkle());
    m_rail->setHighlighted(m_tags->hasFocus() ? c.highlightedChip() : -1);
    m_rail->setVisible(!chips.isEmpty());
}

bool BookmarkEditor::isWarningShown() const {
    return !m_warning->isHidden();
}

void BookmarkEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    m_link->setFocus();
    m_controller->sheetShown([]() -> std::optional<QString> {
        const QString text = QGuiApplication::clipboard()->text();
        if (text.isEmpty())
            return std::nullopt;
        return text;
    });
}

void BookmarkEditor::reject() {
    m_result = QDialog::Rejected;
    m_controller->cancel();
    // Closed already (after a save) or just now: either way the sheet goes.
    if (isVisible())
        QDialog::done(QDialog::Rejected);
}
