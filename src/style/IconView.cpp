#include "IconView.h"

#include <QPainter>

IconView::IconView(int side, QWidget* parent) : QWidget(parent), m_side(side) {
    setFixedSize(side, side);
}

IconView::IconView(const QIcon& icon, int side, QWidget* parent) : IconView(side, parent) {
    m_icon = icon;
}

void IconView::setIcon(const QIcon& icon) {
    m_icon = icon;
    update();
}

QSize IconView::sizeHint() const {
    return QSize(m_side, m_side);
}

void IconView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_icon.paint(&painter, rect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}
