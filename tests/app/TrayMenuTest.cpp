#include "app/TrayMenu.h"

#include <QAction>
#include <QTest>

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

} // namespace

// The tray menu: its entries in order, what each one does, the pages it
// opens, and the update entry's enabled state.
class TrayMenuTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entriesActAndFollowTheUpdateCheck();
    void entriesWithoutAnActionAreLeftOut();
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

QTEST_MAIN(TrayMenuTest)
#include "TrayMenuTest.moc"
