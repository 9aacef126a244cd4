#pragma once

#include <QBasicTimer>
#include <QWidget>

class QLabel;
class QPushButton;

// A short note laid over the bottom of the list after an action ("Deleted
// 3 bookmarks"), with an optional button that takes the action back. It
// leaves by itself after a while, or when its button is used.
class PassingNotice : public QWidget {
    Q_OBJECT
public:
    explicit PassingNotice(QWidget* parent);

    // Shows `text`; with an action title, a button that emits actionTriggered.
    void showText(const QString& text, const QString& actionTitle = {});
    QString text() const;
    QPushButton* actionButton() const { return m_action; }

Q_SIGNALS:
    void actionTriggered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QLabel* m_text;
    QPushButton* m_action;
    QBasicTimer m_timer;
};
