#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

// A labelled block of the editor: a small dimmed capitalised label above
// its content, 4 points apart, both aligned to the leading edge.
class FieldGroup : public QWidget {
    Q_OBJECT
public:
    FieldGroup(const QString& label, QWidget* content, QWidget* parent = nullptr);

    QLabel* label() const { return m_label; }
    QWidget* content() const { return m_content; }
    // A widget under the content, `spacing` points below it (the duplicate
    // warning, the chip rail).
    void addBelow(QWidget* widget, int spacing);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyLabelLook();

    QLabel* m_label;
    QWidget* m_content;
    QVBoxLayout* m_layout;
};
