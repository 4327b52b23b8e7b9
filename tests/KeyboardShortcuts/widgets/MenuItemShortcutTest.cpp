#include "KeyboardShortcuts/widgets/MenuItemShortcut.h"

#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"
#include "preferences/Defaults.h"
#include "support/UsKeyboardLayout.h"

#include <QAction>
#include <QKeySequence>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

namespace {

const Shortcut shiftCommandV =
    Shortcut::fromStored(9, CarbonModifier::shift | CarbonModifier::command);
const Shortcut f5 = Shortcut::fromStored(96, 0);
const Shortcut f6 = Shortcut::fromStored(97, 0);

const QKeySequence controlQ(Qt::CTRL | Qt::Key_Q);

} // namespace

class MenuItemShortcutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void followsTheNameAndFallsBackToTheOwnShortcuts();
    void followingEndsWithTheActionOrAPlainShortcut();

private:
    std::unique_ptr<QTemporaryDir> m_directory;
    std::unique_ptr<Defaults> m_defaults;
};

void MenuItemShortcutTest::init() {
    m_directory = std::make_unique<QTemporaryDir>();
    QVERIFY(m_directory->isValid());
    m_defaults = std::make_unique<Defaults>(m_directory->filePath(u"settings.json"_s));
    KeyboardShortcuts::setDefaults(m_defaults.get());
    KeyboardShortcuts::setKeyToCharacter(usLayoutCharacter);
}

void MenuItemShortcutTest::cleanup() {
    KeyboardShortcuts::setKeyToCharacter({});
    KeyboardShortcuts::setDefaults(nullptr);
    m_defaults.reset();
    m_directory.reset();
}

void MenuItemShortcutTest::followsTheNameAndFallsBackToTheOwnShortcuts() {
    const Name name(u"showHistory"_s);
    const Name other(u"other"_s);
    const Name unset(u"unset"_s);
    QAction action;
    const QList<QKeySequence> fallback{controlQ, QKeySequence(Qt::CTRL | Qt::Key_W)};
    action.setShortcuts(fallback);

    // Nothing stored for the name yet: the action keeps its own shortcuts.
    setShortcut(&action, std::optional<Name>(name));
    QCOMPARE(action.shortcuts(), fallback);

    KeyboardShortcuts::setShortcut(shiftCommandV, name);
    QCOMPARE(action.shortcuts(),
             QList<QKeySequence>{QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V)});
    KeyboardShortcuts::setShortcut(f6, other);
    QCOMPARE(action.shortcut(), QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V));

    KeyboardShortcuts::setShortcut(std::nullopt, name);
    QCOMPARE(action.shortcuts(), fallback);

    // A name with nothing stored brings back the shortcuts from before the
    // first name, not those of the name followed before.
    KeyboardShortcuts::setShortcut(f5, name);
    QCOMPARE(action.shortcut(), QKeySequence(Qt::Key_F5));
    setShortcut(&action, std::optional<Name>(unset));
    QCOMPARE(action.shortcuts(), fallback);

    // Following another name drops the first.
    setShortcut(&action, std::optional<Name>(other));
    QCOMPARE(action.shortcut(), QKeySequence(Qt::Key_F6));
    KeyboardShortcuts::setShortcut(shiftCommandV, name);
    QCOMPARE(action.shortcut(), QKeySequence(Qt::Key_F6));

    setShortcut(&action, std::optional<Name>());
    QCOMPARE(action.shortcuts(), fallback);
    // No longer following.
    KeyboardShortcuts::setShortcut(f5, other);
    QCOMPARE(action.shortcuts(), fallback);
}

void MenuItemShortcutTest::followingEndsWithTheActionOrAPlainShortcut() {
    const Name name(u"showHistory"_s);
    auto gone = std::make_unique<QAction>();
    setShortcut(gone.get(), std::optional<Name>(name));
    gone.reset();
    // A connection that outlived the action would touch freed memory here.
    KeyboardShortcuts::setShortcut(f6, name);

    QAction action;
    action.setShortcut(controlQ);
    setShortcut(&action, std::optional<Name>(name));
    setShortcut(&action, std::optional<Shortcut>(f5));
    QCOMPARE(action.shortcut(), QKeySequence(Qt::Key_F5));
    KeyboardShortcuts::setShortcut(shiftCommandV, name);
    QCOMPARE(action.shortcut(), QKeySequence(Qt::Key_F5));

    // The fallback went with the name: nothing to restore.
    setShortcut(&action, std::optional<Name>());
    QCOMPARE(action.shortcut(), QKeySequence(Qt::Key_F5));

    setShortcut(&action, std::optional<Shortcut>());
    QCOMPARE(action.shortcut(), QKeySequence());
}

QTEST_MAIN(MenuItemShortcutTest)
#include "MenuItemShortcutTest.moc"
