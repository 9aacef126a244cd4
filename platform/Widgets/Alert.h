#pragma once

#include <QDialog>
#include <QList>
#include <QPushButton>

class QLabel;
class QHBoxLayout;

// A message box whose buttons stay where the program put them. QMessageBox
// and QDialogButtonBox sort buttons by role in each desktop's own order, so
// the same question shows "Cancel" first on one desktop and last on another
// and people click the wrong one. Here the buttons read left to right in the
// order they were added, Return always presses the default button (whichever
// button has the focus; Space presses that one) and Escape the cancel button,
// on every desktop.
class Alert : public QDialog {
    Q_OBJECT
public:
    enum class Icon { none, information, warning, question };
    enum class ButtonRole {
        normal,
        cancel,      // what Escape and the window's close button press
        destructive, // drawn in red: it throws something away
    };

    // `title` names the window and heads the alert; `text` says the rest.
    Alert(Icon icon, const QString& title, const QString& text, QWidget* parent = nullptr);

    // A line under the text, in a smaller, dimmer type.
    void setInformativeText(const QString& text);
    // Technical detail for those who want it (an error's full wording),
    // selectable, below everything else.
    void setDetailedText(const QString& text);
    QString text() const;
    QString informativeText() const;

    // Appends a button to the right of those already there. Only one cancel
    // button: a second one is an ordinary button.
    QPushButton* addButton(const QString& text, ButtonRole role = ButtonRole::normal);
    // Return presses it; it starts with the focus and the accent colour.
    // Called once, with one of the alert's buttons.
    void setDefaultButton(QPushButton* button);
    QPushButton* defaultButton() const { return m_default; }
    // The cancel button, or the only button when there is just one (an "OK"
    // alert closes with Escape too); none otherwise, and Escape does nothing.
    QPushButton* escapeButton() const;
    // In the order shown, left to right.
    const QList<QPushButton*>& buttons() const { return m_buttons; }
    // The button that closed the alert; none while open or when it was
    // closed without one.
    QPushButton* clickedButton() const { return m_clicked; }

    // Presses the escape button, if there is one; otherwise stays open.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void press(QPushButton* button);
    // Return and Enter press the default button, Escape the escape button,
    // wherever the focus is; true when the key was one of them.
    bool answerKey(QKeyEvent* event);
    QLabel* addLabel(const QString& text, const QFont& font, bool dimmed);
    void fitText();

    QLabel* m_text = nullptr;
    QLabel* m_informative = nullptr;
    QLabel* m_detail = nullptr;
    QHBoxLayout* m_buttonRow = nullptr;
    QList<QPushButton*> m_buttons;
    QPushButton* m_default = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_clicked = nullptr;
    int m_naturalWidth = 0; // of the widest text set in one line
};
