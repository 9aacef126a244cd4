#include "Corvina/Settings/SettingsWindow.h"

#include "Corvina/Settings/PreferencesView.h"

#include <QVBoxLayout>

SettingsWindow::SettingsWindow(Preferences& preferences, SyncStatus& syncStatus, QWidget* parent)
    : QDialog(parent)
    , m_view(new PreferencesView(preferences, syncStatus, this)) {
    setWindowTitle(tr("Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The window grows and shrinks with the iCloud rows; there is nothing to
    // gain from resizing it by hand.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_view);
}
