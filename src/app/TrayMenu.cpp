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
    addEntry(u"Show Clipboard"_s, [show = actions.showClipboard] {
        if (show)
            QTimer::singleShot(0, qApp, show);
    });
    m_menu.addSeparator();
    m_updates = addEntry(u"Check for Updates…"_s, actions.checkForUpdates);
    addEntry(u"About Velloq"_s, actions.showAbout);
    addEntry(u"Settings…"_s, actions.showSettings, QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addEntry(u"How to Use"_s, actions.showHowToUse);
    addEntry(u"Documentation"_s, openPage(documentationPage()));
    addEntry(u"Send Feedback"_s, openPage(feedbackPage()));
    addEntry(u"More by Tarnbrook Software"_s, openPage(QUrl(makerSite)));
    m_menu.addSeparator();
    addEntry(
        u"Quit Velloq"_s, actions.quit ? actions.quit : [] { QCoreApplication::quit(); },
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
