#pragma once

#include <QLineEdit>

// The tool bar's search field. Find looks for this type.
class SearchField : public QLineEdit {
    Q_OBJECT
public:
    explicit SearchField(QWidget* parent = nullptr);

    // Focus the field and select its text, ready for typing.
    void beginSearchInteraction();
};
