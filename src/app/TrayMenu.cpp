#include "TrayMenu.h"

#include <QApplication>
#include <QPainter>

using namespace Qt::StringLiterals;

TrayMenu::TrayMenu(QObject* parent) : QObject(parent) {
    m_menu.addAction(u"Quit Velloq"_s, qApp, &QCoreApplication::quit);
    m_icon.setIcon(gridIcon());
    m_icon.setToolTip(u"Velloq"_s);
    m_icon.setContextMenu(&m_menu);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon.show();
}

QIcon TrayMenu::gridIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xe8, 0xe8, 0xe8));
        const qreal gap = size / 10.0;
        const qreal cellWidth = (size - 4 * gap) / 3.0;
        const qreal cellHeight = (size - 3 * gap) / 2.0 * 0.8;
        const qreal top = (size - (2 * cellHeight + gap)) / 2.0;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRectF cell(gap + column * (cellWidth + gap), top + row * (cellHeight + gap),
                                  cellWidth, cellHeight);
                painter.drawRoundedRect(cell, cellWidth / 5.0, cellWidth / 5.0);
            }
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}
