#pragma once

#include <QWidget>

// The editor's soft field: its content padded 10 points at the sides and
// `verticalPadding` above and below, on a rounded rectangle (radius 8)
// faintly filled with the text colour and edged with a 1-point line inside
// the shape. The content's own frame and base are turned off.
class SoftFieldBackground : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 8;

    explicit SoftFieldBackground(QWidget* content, int verticalPadding = 8,
                                 int horizontalPadding = 10, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }

    static QColor fillColor(const QPalette& palette);
    static QColor outlineColor(const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* m_content;
};
