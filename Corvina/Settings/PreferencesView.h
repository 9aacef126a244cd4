#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class Preferences;
class QLabel;
class QVBoxLayout;
class SyncStatus;

// The settings form: the General switches, and the iCloud section when sync
// is enabled. It keeps no values of its own: the switches read and write the
// preferences and follow their change signals, and the iCloud rows follow
// the sync status.
class PreferencesView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 500;

    // Both must outlive the view.
    PreferencesView(Preferences& preferences, SyncStatus& syncStatus, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildGeneralSection();
    QWidget* buildCloudSection();
    void updateAccount();
    void rebuildStatusRows();
    void updateRelativeDate();
    void applyTextStyles();

    Preferences& m_preferences;
    SyncStatus& m_syncStatus;
    QLabel* m_accountValue = nullptr;
    QVBoxLayout* m_statusSlot = nullptr;
    QPointer<QWidget> m_statusRows;
    QPointer<QLabel> m_relativeDate;
    // "5 minutes ago" goes stale while the window stays open.
    QTimer m_clock;
};
