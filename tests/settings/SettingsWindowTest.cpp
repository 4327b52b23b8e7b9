#include "KeyboardShortcuts/Library.h"
#include "history/ClipStore.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/ApplicationChooser.h"
#include "settings/ClipboardSettingsView.h"
#include "settings/ExcludedAppRow.h"
#include "settings/GeneralSettingsView.h"
#include "settings/PermissionsSettingsView.h"
#include "settings/SegmentedControl.h"
#include "settings/SettingsWindowController.h"
#include "style/Mnemonics.h"
#include "support/TemporaryHistory.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// The control a row's title names.
template <class Control>
Control* controlTitled(QWidget& root, const QString& title) {
    for (QLabel* label : root.findChildren<QLabel*>()) {
        if (Mnemonics::plain(label->text()) == title && label->buddy())
            return qobject_cast<Control*>(label->buddy());
    }
    return nullptr;
}

template <class Button>
Button* buttonTitled(QWidget& root, const QString& title) {
    for (Button* button : root.findChildren<Button*>()) {
        if (Mnemonics::plain(button->text()) == title)
            return button;
    }
    return nullptr;
}

} // namespace

// The settings window: one window whose title follows its tab, and panes
// that write the preferences, follow them when the file changes, and report
// the login entry and the paste permission as they really are.
class SettingsWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void oneWindowTitledByItsTab();
    void generalPaneWritesAndFollowsPreferences();
    void theKeyboardReachesEverything();
    void launchAtLoginShowsTheEntryAsItIs();
    void permissionsAreLookedAtAgainWhileInSight();
    void permissionsSayWhyPastingIsUnavailable();
    void clipboardPaneEditsExclusionsAndClears();
    void chooserFiltersAndAnswersIds();
    void namesFromDesktopEntriesAreNeverMarkup();

private:
    SettingsWindowController& settings();

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<TemporaryHistory> m_history;
    std::unique_ptr<ClipStore> m_store;
    std::unique_ptr<SettingsWindowController> m_settings;
    QString m_autostart;
    bool m_pastingAllowed = true;
    QString m_unavailableReason;
    int m_allowRequests = 0;
};

void SettingsWindowTest::init() {
    m_home = std::make_unique<QTemporaryDir>();
    m_defaults = std::make_unique<Defaults>(m_home->filePath(u"settings.json"_s));
    Preferences::registerPreferenceDefaults(*m_defaults);
    KeyboardShortcuts::setDefaults(m_defaults.get());
    m_history = std::make_unique<TemporaryHistory>();
    m_store = std::make_unique<ClipStore>(m_history->path());
    m_autostart = m_home->filePath(u"autostart"_s);
    m_pastingAllowed = true;
    m_unavailableReason.clear();
    m_allowRequests = 0;
}

void SettingsWindowTest::cleanup() {
    m_settings.reset();
    KeyboardShortcuts::setDefaults(nullptr);
    m_store.reset();
    m_defaults.reset();
}

SettingsWindowController& SettingsWindowTest::settings() {
    if (!m_settings) {
        m_settings = std::make_unique<SettingsWindowController>(
            *m_defaults, *m_store,
            SettingsWindowController::Services{
                nullptr, [this] { return m_pastingAllowed; }, [this] { ++m_allowRequests; },
                AutostartEntry(m_autostart, u"/usr/bin/velloq"_s), m_unavailableReason});
    }
    return *m_settings;
}

void SettingsWindowTest::oneWindowTitledByItsTab() {
    QVERIFY(!settings().window()); // built at the first showing
    settings().show();
    QWidget* window = settings().window();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), u"General"_s);
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // Before the first showing the window manager's frame is not known yet.
    const auto centred = [&] {
        return (window->frameGeometry().center() - centre).manhattanLength() <= 40;
    };
    QVERIFY(centred());
    QCOMPARE(window->minimumSize(), window->maximumSize()); // not resizable

    QToolButton* clipboardTab = buttonTitled<QToolButton>(*window, u"Clipboard"_s);
    QVERIFY(clipboardTab && clipboardTab->focusPolicy() & Qt::TabFocus);
    clipboardTab->click();
    QCOMPARE(window->windowTitle(), u"Clipboard"_s);
    window->move(10, 10);
    window->close();
    settings().show();
    QCOMPARE(settings().window(), window);
    QCOMPARE(window->windowTitle(), u"Clipboard"_s); // the tab last chosen
    QVERIFY(centred());
}

void SettingsWindowTest::generalPaneWritesAndFollowsPreferences() {
    settings().show();
    QWidget& window = *settings().window();
    buttonTitled<QRadioButton>(window, GeneralSettingsView::gridNineTitle())->click();
    QCOMPARE(m_defaults->integer(Preferences::gridSizeKey), 9);
    auto* appearance = controlTitled<SegmentedControl>(window, u"Appearance"_s);
    QVERIFY(appearance);
    QCOMPARE(appearance->value(), QVariant(u"auto"_s));
    buttonTitled<QToolButton>(window, u"Dark"_s)->click();
    QCOMPARE(m_defaults->string(Preferences::appearanceKey), std::optional(u"dark"_s));
    auto* hints = controlTitled<QCheckBox>(window, u"Show keyboard hints"_s);
    QVERIFY(hints && hints->isChecked());
    hints->click();
    QCOMPARE(m_defaults->boolean(Preferences::showKeyHintsKey), false);

    // Changed behind the window: the controls show the stored values.
    m_defaults->set(Preferences::gridSizeKey, 6);
    m_defaults->set(Preferences::appearanceKey, u"light"_s);
    m_defaults->set(Preferences::showKeyHintsKey, true);
    QVERIFY(buttonTitled<QRadioButton>(window, GeneralSettingsView::gridSixTitle())->isChecked());
    QCOMPARE(appearance->value(), QVariant(u"light"_s));
    QVERIFY(hints->isChecked());
    // Showing them wrote nothing back.
    QCOMPARE(m_defaults->integer(Preferences::gridSizeKey), 6);
}

// Keys go to the control in focus; the window takes what the control leaves.
void SettingsWindowTest::theKeyboardReachesEverything() {
    settings().show();
    QWidget& window = *settings().window();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Where no control has the focus, keys go to the window itself.
    const auto press = [&window](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &window, key, modifiers);
    };
    press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(window.windowTitle(), u"Permissions"_s);
    press(Qt::Key_PageDown, Qt::ControlModifier);
    press(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window.windowTitle(), u"General"_s); // round again
    press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window.windowTitle(), u"Clipboard"_s);
    press(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(window.windowTitle(), u"Permissions"_s);

    // Every labelled control and tab has a letter of its own.
    press(Qt::Key_PageUp, Qt::ControlModifier);
    QSet<QChar> letters;
    int marked = 0;
    const auto take = [&](const QString& text) {
        const qsizetype at = text.indexOf(u'&');
        QVERIFY2(at >= 0, qPrintable(text));
        letters.insert(text[at + 1].toLower());
        ++marked;
    };
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->buddy())
            take(label->text());
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty())
            take(button->text());
    }
    QCOMPARE(letters.size(), marked);
    // Alt and a row title's letter go to its control; a click on the title
    // works a check box as a click on the box would.
    auto* hints = controlTitled<QCheckBox>(window, u"Show keyboard hints"_s);
    QLabel* title = nullptr;
    for (QLabel* label : window.findChildren<QLabel*>())
        title = label->buddy() == hints ? label : title;
    QVERIFY(hints && title);
    const QChar letter = title->text()[title->text().indexOf(u'&') + 1];
    press(Qt::Key(QKeySequence(QString(letter))[0].key()), Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), hints);
    QTest::mouseClick(title, Qt::LeftButton);
    QVERIFY(!hints->isChecked());
    QCOMPARE(m_defaults->boolean(Preferences::showKeyHintsKey), false);

    // Escape and Control-W close the window; Escape while a shortcut is being
    // recorded only ends the recording.
    auto* recorder = window.findChild<QLineEdit*>();
    QVERIFY(recorder);
    QTest::mouseClick(recorder, Qt::LeftButton);
    press(Qt::Key_Escape, Qt::NoModifier);
    QVERIFY(window.isVisible());
    recorder->clearFocus(); // as a click elsewhere does
    press(Qt::Key_Escape, Qt::NoModifier);
    QVERIFY(!window.isVisible());
    settings().show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    press(Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!window.isVisible());
}

void SettingsWindowTest::launchAtLoginShowsTheEntryAsItIs() {
    settings().show();
    auto* login = controlTitled<QCheckBox>(*settings().window(), u"Launch at login"_s);
    QVERIFY(login && !login->isChecked());
    login->click();
    QVERIFY(login->isChecked());
    const QString entry = m_autostart + u'/' + QLatin1StringView(AutostartEntry::fileName);
    QVERIFY(QFile::exists(entry));
    login->click();
    QVERIFY(!login->isChecked() && !QFile::exists(entry));

    // The folder cannot be made: the box springs back.
    QVERIFY(QDir(m_autostart).removeRecursively());
    QFile blocker(m_autostart);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    login->click();
    QVERIFY(!login->isChecked());
}

void SettingsWindowTest::permissionsAreLookedAtAgainWhileInSight() {
    m_pastingAllowed = false;
    settings().show();
    settings().selectTab(1);
    auto* pane = settings().window()->findChild<PermissionsSettingsView*>();
    QVERIFY(!pane->isShownGranted());
    QPushButton* open = buttonTitled<QPushButton>(*pane, u"Open System Settings"_s);
    QVERIFY(open && open->isVisible());
    open->click();
    QCOMPARE(m_allowRequests, 1);
    m_pastingAllowed = true;
    QTRY_VERIFY_WITH_TIMEOUT(pane->isShownGranted(), 3000);
    QVERIFY(!open->isVisible());
    const QList<QLabel*> labels = pane->findChildren<QLabel*>();
    QVERIFY(std::ranges::any_of(labels, [](const QLabel* label) {
        return label->text() == PermissionsSettingsView::grantedText();
    }));
}

// Where the desktop cannot let Velloq paste, the pane says why and sends
// nobody to settings that cannot change it.
void SettingsWindowTest::permissionsSayWhyPastingIsUnavailable() {
    m_pastingAllowed = false;
    m_unavailableReason = u"This desktop does not let applications type."_s;
    settings().show();
    settings().selectTab(1);
    auto* pane = settings().window()->findChild<PermissionsSettingsView*>();
    QVERIFY(!pane->isShownGranted());
    QVERIFY(!buttonTitled<QPushButton>(*pane, u"Open System Settings"_s)->isVisible());
    const QList<QLabel*> labels = pane->findChildren<QLabel*>();
    QVERIFY(std::ranges::any_of(
        labels, [this](const QLabel* label) { return label->text() == m_unavailableReason; }));
    QVERIFY(std::ranges::none_of(labels, [](const QLabel* label) {
        return label->text() == PermissionsSettingsView::notGrantedText();
    }));
}

void SettingsWindowTest::clipboardPaneEditsExclusionsAndClears() {
    m_defaults->set(Preferences::excludedBundleIDsKey,
                    QJsonArray{u"org.keepassxc.KeePassXC"_s, u"com.example.Vault"_s});
    settings().show();
    settings().selectTab(2);
    ClipboardSettingsView* pane = settings().clipboardPane();

    auto* limit = controlTitled<QComboBox>(*settings().window(), u"Keep last"_s);
    QCOMPARE(limit->currentText(), u"27 items"_s);
    limit->setCurrentIndex(0);
    Q_EMIT limit->activated(0);
    QCOMPARE(m_defaults->integer(Preferences::historyLimitKey), 9);
    m_defaults->set(Preferences::historyLimitKey, 18);
    QCOMPARE(limit->currentText(), u"18 items"_s);

    // Added once each, after the ones there, and at once excluded from
    // capture; a cancelled choice writes nothing.
    pane->chooseApplications = [] {
        return QStringList{u"com.example.Notes"_s, u"com.example.Vault"_s, u"com.example.Notes"_s};
    };
    buttonTitled<QPushButton>(*pane, u"Add App…"_s)->click();
    const QStringList three{u"org.keepassxc.KeePassXC"_s, u"com.example.Vault"_s,
                            u"com.example.Notes"_s};
    QCOMPARE(m_defaults->stringList(Preferences::excludedBundleIDsKey), std::optional(three));
    QVERIFY(Preferences::isExcluded(*m_defaults, u"com.example.Notes"_s));
    pane->chooseApplications = [] { return QStringList(); };
    m_defaults->set(Preferences::excludedBundleIDsKey, QJsonArray());
    pane->addApplications();
    QCOMPARE(m_defaults->stringList(Preferences::excludedBundleIDsKey),
             std::optional(QStringList()));

    // Removing, down to an empty list that excludes nothing.
    for (const QString& id : three)
        pane->removeExcluded(id);
    QCOMPARE(m_defaults->stringList(Preferences::excludedBundleIDsKey),
             std::optional(QStringList()));
    QVERIFY(!Preferences::isExcluded(*m_defaults, u"org.keepassxc.KeePassXC"_s));

    m_store->add(textClip(u"kept"_s), std::nullopt, 1765000000);
    m_store->add(textClip(u"pinned"_s), std::nullopt, 1765000001);
    m_store->setPinned(true, m_store->items().last().id);
    pane->confirmClear = [] { return false; };
    buttonTitled<QPushButton>(*pane, u"Clear History…"_s)->click();
    QCOMPARE(m_store->items().size(), 2);
    pane->confirmClear = [] { return true; };
    buttonTitled<QPushButton>(*pane, u"Clear History…"_s)->click();
    QVERIFY(m_store->items().isEmpty());
}

void SettingsWindowTest::chooserFiltersAndAnswersIds() {
    const QList<DesktopEntries::Entry> applications{
        {u"org.example.Notes"_s, u"Notes"_s, {}, {}, {}, false},
        {u"firefox"_s, u"Firefox"_s, {}, {}, {}, false},
        {u"org.keepassxc.KeePassXC"_s, u"KeePassXC"_s, {}, {}, {}, false}};
    ApplicationChooser chooser(applications, {});
    auto* list = chooser.findChild<QListWidget*>();
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    QCOMPARE(chooser.chosenIds(),
             (QStringList{u"org.example.Notes"_s, u"org.keepassxc.KeePassXC"_s}));
    // Matched by name or id; what the search hides is no longer chosen.
    chooser.filter(u"keepass"_s);
    QVERIFY(list->item(0)->isHidden() && list->item(1)->isHidden() && !list->item(2)->isHidden());
    QCOMPARE(chooser.chosenIds(), QStringList{u"org.keepassxc.KeePassXC"_s});
    chooser.filter(u"FIRE"_s);
    QVERIFY(!list->item(1)->isHidden());
    QVERIFY(chooser.chosenIds().isEmpty());
}

void SettingsWindowTest::namesFromDesktopEntriesAreNeverMarkup() {
    // A desktop entry's names and id are anybody's text: markup in them is
    // shown as written, and loads nothing.
    const QString name = u"<b>Notes</b><img src=\"/dev/zero\">"_s;
    const QString id = u"<img src=\"/dev/zero\">.desktop"_s;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::gray);
    for (const QIcon& icon : {QIcon(pixmap), QIcon()}) {
        ExcludedAppRow row(id, icon, name, [] {});
        const auto labels = row.findChildren<QLabel*>();
        const auto title = std::ranges::find_if(
            labels, [](const QLabel* label) { return !label->text().isEmpty(); });
        QVERIFY(title != labels.end());
        QCOMPARE((*title)->textFormat(), Qt::PlainText);
        QVERIFY((*title)->toolTip().contains(u"&lt;img"_s));
        QVERIFY(!(*title)->toolTip().contains(u"<img"_s));
    }
    ApplicationChooser chooser({{id, name, name, {}, {}}}, nullptr);
    const QListWidgetItem* item = chooser.findChild<QListWidget*>()->item(0);
    QCOMPARE(item->text(), name);
    QVERIFY(!item->toolTip().contains(u"<img"_s));
}

QTEST_MAIN(SettingsWindowTest)
#include "SettingsWindowTest.moc"
