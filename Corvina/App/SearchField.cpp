#include "Corvina/App/SearchField.h"

SearchField::SearchField(QWidget* parent)
    : QLineEdit(parent) {
    setClearButtonEnabled(true);
    setAccessibleName(tr("Search"));
}

void SearchField::beginSearchInteraction() {
    window()->activateWindow();
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}
