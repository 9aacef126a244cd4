#pragma once

#include "Corvina/BookmarkEditor/BookmarkEditorController.h"

#include <QDialog>
#include <QPointer>

class QKeyEvent;
class QLabel;
class Alert;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Spinner;
class SuggestedTagsRail;

// The add and edit sheet: a window-modal dialog, 460 points wide, over a
// BookmarkEditorController that holds every rule. Return in a one-line field
// saves when saving is possible, Escape cancels; Return in the description
// starts a new line. In the Tags field, while completions show, Up and Down
// move the highlight along them and Tab or Return take the highlighted one
// instead of moving on or saving.
class BookmarkEditor : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 460;

    BookmarkEditor(BookmarkEditorInput input, BookmarkEditorServices services,
                   QWidget* parent = nullptr,
                   std::chrono::milliseconds fetchDelay = BookmarkEditorController::kFetchDelay);
    ~BookmarkEditor() override;

    BookmarkEditorController& controller() { return *m_controller; }

    QLabel* headline() const { return m_headline; }
    QLineEdit* linkField() const { return m_link; }
    QLineEdit* titleField() const { return m_title; }
    QPlainTextEdit* descriptionField() const { return m_description; }
    QLineEdit* tagsField() const { return m_tags; }
    QLabel* duplicateWarning() const { return m_warningText; }
    bool isWarningShown() const;
    SuggestedTagsRail* rail() const { return m_rail; }
    Spinner* spinner() const { return m_spinner; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The question asked when the edited bookmark has gone, while it is open.
    Alert* openQuestion() const;

    void reject() override;

Q_SIGNALS:
    // The controller's, passed on.
    void bookmarkAdded(const Bookmark& bookmark);
    void bookmarkEdited(const BookmarkPayload& before, const Bookmark& bookmark);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void connectFields();
    void refreshDerived();
    void save();
    void askToSaveAsNew();
    bool tagsFieldKey(const QKeyEvent& key);

    BookmarkEditorController* m_controller;
    QLabel* m_headline = nullptr;
    Spinner* m_spinner = nullptr;
    QLineEdit* m_link = nullptr;
    QWidget* m_warning = nullptr;
    QLabel* m_warningIcon = nullptr;
    QLabel* m_warningText = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_tags = nullptr;
    SuggestedTagsRail* m_rail = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_save = nullptr;
    QPointer<Alert> m_question;
    bool m_shown = false;
    int m_result = QDialog::Rejected;
};
