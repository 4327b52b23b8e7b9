#include "TrayMenu.h"

#include "style/Symbols.h"

#include <QApplication>

using namespace Qt::StringLiterals;

TrayMenu::TrayMenu(QObject* parent) : QObject(parent) {
    m_menu.addAction(u"Quit Velloq"_s, qApp, &QCoreApplication::quit);
    m_icon.setIcon(gridIcon());
    m_icon.setToolTip(u"Velloq"_s);
    m_icon.setContextMenu(&m_menu);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon.show();
}

void TrayMenu::showWarning(const QString& message) {
    if (isShown())
        m_icon.showMessage(u"Velloq"_s, message, QSystemTrayIcon::Warning);
}

QIcon TrayMenu::gridIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(Symbols::pixmap(u"square.grid.3x2"_s, size, QColor(0xe8, 0xe8, 0xe8)));
    return icon;
}
