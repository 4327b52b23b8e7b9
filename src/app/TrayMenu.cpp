#include "TrayMenu.h"

#include "style/Symbols.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QTimer>

using namespace Qt::StringLiterals;

const QString TrayMenu::makerSite = u"https://www.tarnbrooksoftware.com/"_s;

QUrl TrayMenu::documentationPage() {
    return QUrl(makerSite).resolved(QUrl(u"/velloq/documentation/"_s));
}

QUrl TrayMenu::feedbackPage() {
    return QUrl(makerSite).resolved(QUrl(u"/contact-us/"_s));
}

TrayMenu::TrayMenu(QObject* parent) : QObject(parent) {
    m_icon.setIcon(gridIcon());
    m_icon.setToolTip(u"Velloq"_s);
    m_icon.setContextMenu(&m_menu);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon.show();
}

void TrayMenu::setActions(Actions actions) {
    m_menu.clear();
    const auto openPage = [open = actions.openPage](const QUrl& page) {
        return [open, page] {
            if (!page.isValid())
                return;
            if (open)
                open(page);
            else
                QDesktopServices::openUrl(page);
        };
    };
    // The overlay opens once the menu is gone, on the screen under the
    // pointer.
    addEntry(tr("Show Clipboard"), [show = actions.showClipboard] {
        if (show)
            QTimer::singleShot(0, qApp, show);
    });
    m_menu.addSeparator();
    m_updates = addEntry(tr("Check for Updates…"), actions.checkForUpdates);
    addEntry(tr("About Velloq"), actions.showAbout);
    addEntry(tr("Settings…"), actions.showSettings, QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addEntry(tr("How to Use"), actions.showHowToUse);
    addEntry(tr("Documentation"), openPage(documentationPage()));
    addEntry(tr("Send Feedback"), openPage(feedbackPage()));
    addEntry(tr("More by Tarnbrook Software"), openPage(QUrl(makerSite)));
    m_menu.addSeparator();
    addEntry(
        tr("Quit Velloq"), actions.quit ? actions.quit : [] { QCoreApplication::quit(); },
        QKeySequence(Qt::CTRL | Qt::Key_Q));
}

QAction* TrayMenu::addEntry(const QString& title, const std::function<void()>& action,
                            const QKeySequence& shortcut) {
    if (!action)
        return nullptr;
    QAction* entry = m_menu.addAction(title, this, action);
    entry->setShortcut(shortcut);
    return entry;
}

void TrayMenu::setCanCheckForUpdates(bool canCheck) {
    if (m_updates)
        m_updates->setEnabled(canCheck);
}

void TrayMenu::popUp() {
    m_menu.popup(QCursor::pos());
    m_menu.activateWindow();
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
