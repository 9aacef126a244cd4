#pragma once

#include <QTimer>
#include <QWidget>

// A small spinning progress indicator, hidden while stopped.
class Spinner : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSize = 16;

    explicit Spinner(QWidget* parent = nullptr);

    void start();
    void stop();
    bool isSpinning() const { return m_timer.isActive(); }

    QSize sizeHint() const override { return {kSize, kSize}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};
