#pragma once

#include <QWidget>

// A plain container with the soft look of the fields, for the description
// editor.
class SoftBackgroundView : public QWidget {
    Q_OBJECT
public:
    explicit SoftBackgroundView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
