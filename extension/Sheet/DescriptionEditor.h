#pragma once

#include <QPlainTextEdit>

// The description editor: plain text in the body font with undo, no frame
// and no background of its own, its text 4 points in from the sides and 6
// from top and bottom. Tab moves focus on rather than typing a tab.
class DescriptionEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kHorizontalInset = 4;
    static constexpr int kVerticalInset = 6;

    explicit DescriptionEditor(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;
};
