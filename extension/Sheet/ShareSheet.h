#pragma once

#include <QDialog>

class DescriptionEditor;
class ElidedLabel;
class QLabel;
class QPushButton;
class ShareViewController;
class SoftBackgroundView;
class SoftTextField;
class Spinner;

// The share sheet: Link, Title and Description with Cancel and Save, 480 by
// 304 points (332 while the duplicate warning shows). A thin view over
// ShareViewController: it shows the controller's state and hands it the
// user's edits. Return saves while Save is enabled; Escape and closing the
// window cancel.
class ShareSheet : public QDialog {
    Q_OBJECT
public:
    explicit ShareSheet(ShareViewController& controller, QWidget* parent = nullptr);

    SoftTextField* urlField() const { return m_urlField; }
    ElidedLabel* duplicateLabel() const { return m_duplicateLabel; }
    SoftTextField* titleField() const { return m_titleField; }
    SoftBackgroundView* descriptionContainer() const { return m_descriptionContainer; }
    DescriptionEditor* descriptionEditor() const { return m_descriptionEditor; }
    Spinner* spinner() const { return m_spinner; }
    QPushButton* saveButton() const { return m_saveButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    ElidedLabel* saveFailureLabel() const { return m_saveFailureLabel; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void bind();
    void applyColors();
    void applySize(QSize size);

    ShareViewController& m_controller;
    SoftTextField* m_urlField = nullptr;
    ElidedLabel* m_duplicateLabel = nullptr;
    QWidget* m_duplicateRow = nullptr;
    SoftTextField* m_titleField = nullptr;
    SoftBackgroundView* m_descriptionContainer = nullptr;
    DescriptionEditor* m_descriptionEditor = nullptr;
    Spinner* m_spinner = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    ElidedLabel* m_saveFailureLabel = nullptr;
    QList<QLabel*> m_sectionLabels;
};
