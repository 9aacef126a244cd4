#pragma once

#include "Corvina/BookmarkEditor/BookmarkEditorController.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Spinner;
class SuggestedTagsRail;

// The add and edit sheet: a window-modal dialog, 460 points wide, over a
// BookmarkEditorController that holds every rule. Return in a one-line field
// saves when saving is possible, Escape cancels; Return in the description
// starts a new line.
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

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void connectFields();
    void refreshDerived();

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
    bool m_shown = false;
    int m_result = QDialog::Rejected;
};
