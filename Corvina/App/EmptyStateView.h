#pragma once

#include <QWidget>

class QLabel;

// The panel laid over the list while the library holds nothing: a symbol,
// a title and a line that says how to begin.
class EmptyStateView : public QWidget {
    Q_OBJECT
public:
    explicit EmptyStateView(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return m_title; }
    QLabel* descriptionLabel() const { return m_description; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyStyle();

    QLabel* m_symbol;
    QLabel* m_title;
    QLabel* m_description;
};
