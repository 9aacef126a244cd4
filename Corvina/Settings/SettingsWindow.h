#pragma once

#include <QDialog>

class Preferences;
class PreferencesView;
class SyncStatus;

// The "Settings" window: one preferences view, sized to fit it. The app
// keeps a single instance and shows it again when asked.
class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    // Both must outlive the window.
    SettingsWindow(Preferences& preferences, SyncStatus& syncStatus, QWidget* parent = nullptr);

    PreferencesView& view() { return *m_view; }

private:
    PreferencesView* m_view;
};
