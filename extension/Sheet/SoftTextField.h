#pragma once

#include "extension/Sheet/SoftFieldCell.h"

#include <QLineEdit>

// A borderless one-line field with the soft look, 26 points high, its text
// 8 points in from either side. While not being edited, text too long for
// the field ends in an ellipsis rather than showing its last part.
class SoftTextField : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kHeight = 26;

    explicit SoftTextField(QWidget* parent = nullptr);

    const SoftFieldCell& cell() const { return m_cell; }
    // Where the text stands, in the field's coordinates.
    QRectF textRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    SoftFieldCell m_cell;
};
