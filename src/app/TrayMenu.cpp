#include "TrayMenu.h"

#include "style/Symbols.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QPalette>
#include <QPointer>
#include <QTimer>

using namespace Qt::StringLiterals;

const QString TrayMenu::makerSite = u"https://www.tarnbrooksoftware.com/"_s;
const QString TrayMenu::iconName = QStringLiteral(VELLOQ_APP_ID "-symbolic");

QUrl TrayMenu::documentationPage() {
    return QUrl(makerSite).resolved(QUrl(u"/velloq/documentation/"_s));
}

QUrl TrayMenu::feedbackPage() {
    return QUrl(makerSite).resolved(QUrl(u"/contact-us/"_s));
}

TrayMenu::TrayMenu(QObject* parent) : QObject(parent) {
    connect(&m_hosts, &TrayHostWatcher::hostAppeared, this, &TrayMenu::placeIcon);
    if (m_hosts.hasHost())
        placeIcon();
    qApp->installEventFilter(this);
}

void TrayMenu::watchOtherTray(const std::function<bool()>& running,
                              const std::function<void(std::function<void()>)>& observe) {
    if (observe) {
        // Reported from within the X event that announced the tray.
        observe([self = QPointer(this)] {
            if (self)
                QTimer::singleShot(0, self, &TrayMenu::placeIcon);
        });
    }
    if (running && running())
        placeIcon();
}

// Made only once a tray is there: Qt 6.4 decides between its D-Bus tray
// and X11's XEmbed tray when the first icon of the process is made, and
// keeps that answer (also "none") for good. Once made, Qt follows a tray
// that restarts.
void TrayMenu::placeIcon() {
    if (m_icon)
        return;
    m_byName = m_hosts.hasHost();
    m_icon = std::make_unique<QSystemTrayIcon>(trayIcon(m_byName));
    m_icon->setToolTip(u"Velloq"_s);
    m_icon->setContextMenu(&m_menu);
    // Qt opens the menu itself only for the right button.
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    popUp();
            });
    m_icon->show();
}

bool TrayMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && m_icon)
        m_icon->setIcon(trayIcon(m_byName));
    return QObject::eventFilter(watched, event);
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
        m_icon->showMessage(u"Velloq"_s, message, QSystemTrayIcon::Warning);
}

// Only the D-Bus tray gets the name: into an XEmbed tray Qt paints the
// themed file's own grey, meant for recolouring, as it is. The palette's
// text colour at least follows the desktop's light or dark scheme.
QIcon TrayMenu::trayIcon(bool byName) {
    QIcon drawn;
    const QColor colour = QGuiApplication::palette().color(QPalette::WindowText);
    for (const int size : {16, 22, 24, 32, 48, 64})
        drawn.addPixmap(Symbols::pixmap(u"velloq-symbolic"_s, size, colour));
    return byName ? QIcon::fromTheme(iconName, drawn) : drawn;
}
