#include "app/TrayMenu.h"

#include "support/PrivateSessionBus.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QMutex>
#include <QPalette>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

QStringList titles(QMenu& menu) {
    QStringList result;
    for (const QAction* action : menu.actions())
        result.append(action->isSeparator() ? u"—"_s : action->text());
    return result;
}

QAction* entry(QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

const QString watcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString watcherPath = u"/StatusNotifierWatcher"_s;

} // namespace

// The desktop's side of the tray: a StatusNotifierWatcher as KDE's and
// GNOME's AppIndicator extension run it, whose host (the panel) may come
// after it. It runs on a thread of its own, since Qt's tray icon waits for
// its answers.
class FakeStatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    bool hostRegistered() const {
        QMutexLocker lock(&m_mutex);
        ++m_hostQuestions;
        return m_hostRegistered;
    }
    int hostQuestions() const {
        QMutexLocker lock(&m_mutex);
        return m_hostQuestions;
    }
    void setHostRegistered() {
        QMutexLocker lock(&m_mutex);
        m_hostRegistered = true;
    }
    QStringList items() const {
        QMutexLocker lock(&m_mutex);
        return m_items;
    }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) {
        QMutexLocker lock(&m_mutex);
        m_items.append(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

private:
    mutable QMutex m_mutex;
    bool m_hostRegistered = false;
    mutable int m_hostQuestions = 0;
    QStringList m_items;
};

// The tray menu: its entries in order, what each one does, the pages it
// opens, and the update entry's enabled state.
class TrayMenuTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entriesActAndFollowTheUpdateCheck();
    void entriesWithoutAnActionAreLeftOut();
    void aTrayStartedLaterGetsTheIconAndAClickOpensTheMenu();
    void theDrawnIconIsInThePalettesTextColour();
};

void TrayMenuTest::entriesActAndFollowTheUpdateCheck() {
    QStringList done;
    QList<QUrl> opened;
    TrayMenu tray;
    TrayMenu::Actions actions;
    for (auto [field, name] : {std::pair(&TrayMenu::Actions::showClipboard, u"clipboard"_s),
                               std::pair(&TrayMenu::Actions::checkForUpdates, u"updates"_s),
                               std::pair(&TrayMenu::Actions::showAbout, u"about"_s),
                               std::pair(&TrayMenu::Actions::showSettings, u"settings"_s),
                               std::pair(&TrayMenu::Actions::showHowToUse, u"how to use"_s),
                               std::pair(&TrayMenu::Actions::quit, u"quit"_s)})
        actions.*field = [&done, name] { done.append(name); };
    actions.openPage = [&opened](const QUrl& page) { opened.append(page); };
    tray.setActions(actions);
    QMenu& menu = tray.menu();
    QCOMPARE(titles(menu),
             (QStringList{u"Show Clipboard"_s, u"—"_s, u"Check for Updates…"_s, u"About Velloq"_s,
                          u"Settings…"_s, u"How to Use"_s, u"Documentation"_s, u"Send Feedback"_s,
                          u"More by Tarnbrook Software"_s, u"—"_s, u"Quit Velloq"_s}));
    QCOMPARE(entry(menu, u"Settings…"_s)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QCOMPARE(entry(menu, u"Quit Velloq"_s)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    // The overlay waits for the menu to close.
    entry(menu, u"Show Clipboard"_s)->trigger();
    QVERIFY(done.isEmpty());
    QTRY_COMPARE(done, QStringList{u"clipboard"_s});
    for (const QString& title : {u"Check for Updates…"_s, u"About Velloq"_s, u"Settings…"_s,
                                 u"How to Use"_s, u"Quit Velloq"_s})
        entry(menu, title)->trigger();
    QCOMPARE(done, (QStringList{u"clipboard"_s, u"updates"_s, u"about"_s, u"settings"_s,
                                u"how to use"_s, u"quit"_s}));

    for (const QString& title :
         {u"Documentation"_s, u"Send Feedback"_s, u"More by Tarnbrook Software"_s})
        entry(menu, title)->trigger();
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened[0].path(), u"/velloq/documentation/"_s);
    QCOMPARE(opened[1].path(), u"/contact-us/"_s);
    QCOMPARE(opened[2], QUrl(TrayMenu::makerSite));
    for (const QUrl& page : opened)
        QVERIFY(page.scheme() == u"https"_s && page.host() == opened[2].host());

    QAction* updates = entry(menu, u"Check for Updates…"_s);
    QVERIFY(updates->isEnabled());
    tray.setCanCheckForUpdates(false);
    QVERIFY(!updates->isEnabled());
    tray.setCanCheckForUpdates(true);
    QVERIFY(updates->isEnabled());
}

void TrayMenuTest::entriesWithoutAnActionAreLeftOut() {
    TrayMenu tray;
    TrayMenu::Actions actions;
    actions.showClipboard = [] {};
    actions.showSettings = [] {};
    tray.setActions(actions);
    QCOMPARE(titles(tray.menu()),
             (QStringList{u"Show Clipboard"_s, u"—"_s, u"Settings…"_s, u"Documentation"_s,
                          u"Send Feedback"_s, u"More by Tarnbrook Software"_s, u"—"_s,
                          u"Quit Velloq"_s}));
    tray.setCanCheckForUpdates(false); // no entry to disable: nothing happens
}

// As at login: Velloq runs first, then the tray's watcher starts, then the
// panel that shows its items. The icon goes to the panel by its name in the
// icon theme, and a left click (Activate) opens the menu.
void TrayMenuTest::aTrayStartedLaterGetsTheIconAndAClickOpensTheMenu() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no private session bus");
    TrayMenu tray;
    tray.setActions({});
    QVERIFY(!tray.isShown());

    QDBusConnection desktop = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"tray"_s);
    QThread thread;
    thread.start();
    FakeStatusNotifierWatcher watcher;
    watcher.moveToThread(&thread);
    auto stop = qScopeGuard([&] {
        QDBusConnection::disconnectFromBus(u"tray"_s);
        thread.quit();
        thread.wait();
    });
    QVERIFY(desktop.registerObject(watcherPath, &watcher,
                                   QDBusConnection::ExportAllSlots |
                                       QDBusConnection::ExportAllProperties));
    QVERIFY(desktop.registerService(watcherService));
    // Velloq has heard the watcher has no host yet.
    QTRY_VERIFY_WITH_TIMEOUT(watcher.hostQuestions() > 0, 5000);
    watcher.setHostRegistered();
    QVERIFY(desktop.send(QDBusMessage::createSignal(watcherPath, watcherService,
                                                    u"StatusNotifierHostRegistered"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(watcher.items().size(), 1, 10000);
    QVERIFY(tray.isShown());

    const QString item = watcher.items().first();
    QDBusMessage get = QDBusMessage::createMethodCall(
        item, u"/StatusNotifierItem"_s, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << u"org.kde.StatusNotifierItem"_s << u"IconName"_s;
    QDBusPendingCall iconName = desktop.asyncCall(get);
    QTRY_VERIFY_WITH_TIMEOUT(iconName.isFinished(), 5000);
    QCOMPARE(iconName.reply().arguments().value(0).value<QDBusVariant>().variant().toString(),
             u"com.tarnbrooksoftware.Velloq-symbolic"_s);

    QVERIFY(!tray.menu().isVisible());
    QDBusMessage activate = QDBusMessage::createMethodCall(
        item, u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, u"Activate"_s);
    activate << 40 << 10;
    desktop.asyncCall(activate);
    QTRY_VERIFY_WITH_TIMEOUT(tray.menu().isVisible(), 5000);
    tray.menu().hide();
}

// What a tray that takes pixels shows, or any tray where the icon is not
// installed: it follows the light or dark palette.
void TrayMenuTest::theDrawnIconIsInThePalettesTextColour() {
    for (const QColor& colour : {QColor(Qt::black), QColor(0xf0, 0xf0, 0xf0)}) {
        QPalette palette;
        palette.setColor(QPalette::WindowText, colour);
        QApplication::setPalette(palette);
        const QImage image = TrayMenu::trayIcon(false).pixmap(22).toImage();
        QCOMPARE(image.pixelColor(4, 6), colour);      // inside the first card
        QCOMPARE(image.pixelColor(11, 11).alpha(), 0); // between the rows
    }
}

// Qt's D-Bus connection starts with the QApplication: the private bus must
// be there before it.
int main(int argc, char* argv[]) {
    runOnPrivateSessionBus(argc, argv);
    QApplication app(argc, argv);
    TrayMenuTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "TrayMenuTest.moc"
