#include "extension/Sheet/ShareSheet.h"

#include "extension/Controller/ShareViewController.h"
#include "extension/Sheet/DescriptionEditor.h"
#include "extension/Sheet/ElidedLabel.h"
#include "extension/Sheet/SoftBackgroundView.h"
#include "extension/Sheet/SoftLook.h"
#include "extension/Sheet/SoftTextField.h"
#include "platform/Widgets/Spinner.h"
#include "platform/Widgets/Typography.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace {

// Section labels and the warning: 11 points, medium weight.
QFont smallMediumFont() {
    QFont font = typography::font(typography::TextStyle::subheadline);
    font.setWeight(QFont::Medium);
    return font;
}

// An empty item of the stack: the stack's spacing still falls on both sides.
QWidget* gap(int height) {
    auto* view = new QWidget;
    view->setFixedHeight(height);
    return view;
}

} // namespace

ShareSheet::ShareSheet(ShareViewController& controller, QWidget* parent)
    : QDialog(parent)
    , m_controller(controller) {
    setWindowTitle(tr("Save to Corvina"));
    build();
    bind();
    applyColors();
    applySize(m_controller.preferredContentSize());
}

void ShareSheet::build() {
    constexpr int kSpacing = 4;
    auto section = [this](const QString& text) {
        auto* label = new QLabel(text);
        label->setFont(smallMediumFont());
        m_sectionLabels.append(label);
        return label;
    };

    m_urlField = new SoftTextField;
    m_urlField->setPlaceholderText(QStringLiteral("https://example.com/article"));
    m_spinner = new Spinner;
    auto* urlRow = new QHBoxLayout;
    urlRow->setSpacing(8);
    urlRow->addWidget(m_urlField, 1);
    urlRow->addWidget(m_spinner, 0, Qt::AlignVCenter);

    // The warning and the spacing after it come and go together.
    m_duplicateLabel = new ElidedLabel;
    m_duplicateLabel->setFont(smallMediumFont());
    m_duplicateRow = new QWidget;
    auto* duplicateLayout = new QVBoxLayout(m_duplicateRow);
    duplicateLayout->setContentsMargins(0, 0, 0, kSpacing);
    duplicateLayout->addWidget(m_duplicateLabel);
    m_duplicateRow->hide();

    m_titleField = new SoftTextField;
    m_titleField->setPlaceholderText(tr("Page title"));

    m_descriptionContainer = new SoftBackgroundView;
    m_descriptionContainer->setFixedHeight(90);
    m_descriptionEditor = new DescriptionEditor;
    auto* descriptionLayout = new QVBoxLayout(m_descriptionContainer);
    descriptionLayout->setContentsMargins(4, 2, 4, 2);
    descriptionLayout->addWidget(m_descriptionEditor);

    m_cancelButton = new QPushButton(tr("Cancel"));
    m_cancelButton->setAutoDefault(false);
    m_saveButton = new QPushButton(tr("Save"));
    m_saveButton->setAutoDefault(false);
    m_saveButton->setDefault(true);
    m_saveButton->setEnabled(false);
    // Where the empty view of the button row stands; empty unless a save failed.
    m_saveFailureLabel = new ElidedLabel;
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(8);
    buttonRow->addWidget(m_saveFailureLabel, 1);
    buttonRow->addWidget(m_cancelButton);
    buttonRow->addWidget(m_saveButton);

    // Spacing is spelled out item by item: the URL row is followed by 8
    // rather than 4, and hidden items take no room.
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(18, 16, 18, 16);
    stack->setSpacing(0);
    stack->addWidget(section(tr("Link")));
    stack->addSpacing(kSpacing);
    stack->addLayout(urlRow);
    stack->addSpacing(8);
    stack->addWidget(m_duplicateRow);
    stack->addWidget(gap(8));
    stack->addSpacing(kSpacing);
    stack->addWidget(section(tr("Title")));
    stack->addSpacing(kSpacing);
    stack->addWidget(m_titleField);
    stack->addSpacing(kSpacing);
    stack->addWidget(gap(8));
    stack->addSpacing(kSpacing);
    stack->addWidget(section(tr("Description")));
    stack->addSpacing(kSpacing);
    stack->addWidget(m_descriptionContainer);
    // Room the fixed rows do not use gathers here, above the buttons.
    stack->addStretch(1);
    stack->addSpacing(kSpacing);
    stack->addWidget(gap(10));
    stack->addSpacing(kSpacing);
    stack->addLayout(buttonRow);
}

void ShareSheet::bind() {
    ShareViewController* controller = &m_controller;
    connect(m_urlField, &QLineEdit::textEdited, controller, &ShareViewController::urlTextEdited);
    connect(m_titleField, &QLineEdit::textEdited, controller,
            &ShareViewController::titleTextEdited);
    connect(m_descriptionEditor, &QPlainTextEdit::textChanged, controller,
            [this] { m_controller.descriptionTextEdited(m_descriptionEditor->toPlainText()); });
    connect(controller, &ShareViewController::urlTextChanged, m_urlField, &QLineEdit::setText);
    connect(controller, &ShareViewController::titleTextChanged, m_titleField, &QLineEdit::setText);
    connect(controller, &ShareViewController::descriptionTextChanged, m_descriptionEditor,
            [this](const QString& text) {
                if (text != m_descriptionEditor->toPlainText())
                    m_descriptionEditor->setPlainText(text);
            });
    connect(controller, &ShareViewController::saveEnabledChanged, m_saveButton,
            &QWidget::setEnabled);
    connect(controller, &ShareViewController::spinningChanged, m_spinner,
            [this](bool spinning) { spinning ? m_spinner->start() : m_spinner->stop(); });
    connect(controller, &ShareViewController::duplicateWarningChanged, this,
            [this](const std::optional<QString>& warning) {
                m_duplicateLabel->setText(warning.value_or(QString()));
                m_duplicateRow->setVisible(warning.has_value());
            });
    connect(controller, &ShareViewController::preferredContentSizeChanged, this,
            &ShareSheet::applySize);
    connect(controller, &ShareViewController::saveFailureChanged, this,
            [this](const std::optional<QString>& failure) {
                m_saveFailureLabel->setText(failure.value_or(QString()));
            });
    connect(m_saveButton, &QPushButton::clicked, controller, &ShareViewController::save);
    connect(m_cancelButton, &QPushButton::clicked, controller, &ShareViewController::cancel);
}

void ShareSheet::applyColors() {
    const QColor secondary = typography::secondaryTextColor(palette());
    for (QLabel* label : std::as_const(m_sectionLabels)) {
        QPalette own = label->palette();
        own.setColor(QPalette::WindowText, secondary);
        label->setPalette(own);
    }
    m_duplicateLabel->setColor(softlook::orange(palette()));
    m_saveFailureLabel->setColor(softlook::red(palette()));
}

void ShareSheet::applySize(QSize size) {
    // A larger desktop font may need more room than the sheet's points give.
    setFixedSize(size.expandedTo(layout()->minimumSize()));
}

void ShareSheet::reject() {
    m_controller.cancel();
}

void ShareSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_controller.viewDidAppear();
}

void ShareSheet::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}
