#include "extension/Sheet/SoftBackgroundView.h"

#include "extension/Sheet/SoftLook.h"

#include <QPainter>

SoftBackgroundView::SoftBackgroundView(QWidget* parent)
    : QWidget(parent) {}

void SoftBackgroundView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    softlook::paint(painter, QRectF(rect()), palette());
}
