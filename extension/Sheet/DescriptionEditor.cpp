#include "extension/Sheet/DescriptionEditor.h"

#include "extension/Sheet/SoftLook.h"
#include "platform/Widgets/Typography.h"

#include <QEvent>

DescriptionEditor::DescriptionEditor(QWidget* parent)
    : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setFont(typography::font(typography::TextStyle::body));
    setTabChangesFocus(true);
    setUndoRedoEnabled(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The document margin is the same on every side; the viewport's margins
    // add what the top and bottom need beyond it.
    document()->setDocumentMargin(kHorizontalInset);
    const int extra = kVerticalInset - kHorizontalInset;
    setViewportMargins(0, extra, 0, extra);
    viewport()->setAutoFillBackground(false);
    softlook::clearBase(*this);
}

void DescriptionEditor::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        softlook::clearBase(*this);
}
