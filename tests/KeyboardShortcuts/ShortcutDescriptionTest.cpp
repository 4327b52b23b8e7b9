#include "KeyboardShortcuts/ShortcutDescription.h"

#include "support/UsKeyboardLayout.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QTest>
#include <QTranslator>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

namespace {

constexpr qint64 keyV = 9;
constexpr qint64 keyY = 16;
constexpr qint64 keyLeftArrow = 123;
// The ISO section key: absent from US ANSI keyboards.
constexpr qint64 keyIsoSection = 10;

// A layout that types `typed` (a null string: nothing) on every key.
void installLayoutTyping(const QString& typed) {
    setKeyToCharacter([typed](qint64) -> std::optional<QString> {
        if (typed.isNull())
            return std::nullopt;
        return typed;
    });
}

class SpaceTranslator : public QTranslator {
public:
    explicit SpaceTranslator(QString translation) : m_translation(std::move(translation)) {}

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int) const override {
        if (qstrcmp(context, "KeyboardShortcuts") == 0 && qstrcmp(sourceText, "Space") == 0 &&
            qstrcmp(disambiguation, "space_key") == 0)
            return m_translation;
        return {};
    }
    bool isEmpty() const override { return false; }

private:
    QString m_translation;
};

} // namespace

class ShortcutDescriptionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { setKeyToCharacter(usLayoutCharacter); }

    void textsOfShortcuts_data();
    void textsOfShortcuts();
    void specialKeysIgnoreTheLayout();
    void spaceShowsItsTranslatedNameCapitalized();
    void installedLayoutNamesOrdinaryKeys_data();
    void installedLayoutNamesOrdinaryKeys();
};

// What a shortcut is shown as, its menu key equivalent (a null string: none)
// and the Qt key sequence that matches it.
void ShortcutDescriptionTest::textsOfShortcuts_data() {
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<qint64>("carbonModifiers");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("keyEquivalent");
    QTest::addColumn<QKeySequence>("sequence");
    const qint64 command = CarbonModifier::command;
    const auto keypad = [](Qt::KeyboardModifiers modifiers, Qt::Key key) {
        return QKeySequence(QKeyCombination(modifiers | Qt::KeypadModifier, key));
    };
    QTest::newRow("shift command V") << keyV << qint64(0x300) << u"⇧⌘V"_s << u"v"_s
                                     << QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V);
    // Modifiers in a fixed order; Fn has no Qt modifier.
    QTest::newRow("all five with left arrow")
        << keyLeftArrow << CarbonModifier::all << u"⌃⌥⇧⌘\U0001F310\uFE0E←"_s << u"←"_s
        << QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::META | Qt::Key_Left);
    QTest::newRow("none") << keyV << qint64(0) << u"V"_s << u"v"_s << QKeySequence(Qt::Key_V);
    // Caps Lock (0x400) and stray bits are not modifiers of a shortcut.
    QTest::newRow("unknown bits ignored")
        << keyV << qint64(0x300 | 0x400 | 0x80) << u"⇧⌘V"_s << u"v"_s
        << QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V);
    QTest::newRow("option control") << keyV << qint64(0x1800) << u"⌃⌥V"_s << u"v"_s
                                    << QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V);
    // The US layout the tests install names the ordinary keys.
    QTest::newRow("A") << qint64(0) << qint64(0) << u"A"_s << u"a"_s << QKeySequence(Qt::Key_A);
    QTest::newRow("Z") << qint64(6) << qint64(0) << u"Z"_s << u"z"_s << QKeySequence(Qt::Key_Z);
    QTest::newRow("0") << qint64(29) << qint64(0) << u"0"_s << u"0"_s << QKeySequence(Qt::Key_0);
    QTest::newRow("minus") << qint64(27) << qint64(0) << u"-"_s << u"-"_s
                           << QKeySequence(Qt::Key_Minus);
    QTest::newRow("quote") << qint64(39) << qint64(0) << u"'"_s << u"'"_s
                           << QKeySequence(Qt::Key_Apostrophe);
    QTest::newRow("backslash") << qint64(42) << qint64(0) << u"\\"_s << u"\\"_s
                               << QKeySequence(Qt::Key_Backslash);
    QTest::newRow("grave") << qint64(50) << qint64(0) << u"`"_s << u"`"_s
                           << QKeySequence(Qt::Key_QuoteLeft);
    QTest::newRow("punctuation") << qint64(43) << command << u"⌘,"_s << u","_s
                                 << QKeySequence(Qt::META | Qt::Key_Comma);
    QTest::newRow("option return") << qint64(36) << CarbonModifier::option << u"⌥↩"_s << u"↩"_s
                                   << QKeySequence(Qt::ALT | Qt::Key_Return);
    QTest::newRow("delete") << qint64(51) << qint64(0) << u"⌫"_s << u"⌫"_s
                            << QKeySequence(Qt::Key_Backspace);
    QTest::newRow("forward delete")
        << qint64(117) << qint64(0) << u"⌦"_s << u"⌦"_s << QKeySequence(Qt::Key_Delete);
    QTest::newRow("escape") << qint64(53) << qint64(0) << u"⎋"_s << u"⎋"_s
                            << QKeySequence(Qt::Key_Escape);
    QTest::newRow("help") << qint64(114) << qint64(0) << u"?\u20DD"_s << u"?\u20DD"_s
                          << QKeySequence(Qt::Key_Insert);
    QTest::newRow("tab") << qint64(48) << qint64(0) << u"⇥"_s << u"⇥"_s
                         << QKeySequence(Qt::Key_Tab);
    QTest::newRow("control space") << qint64(49) << CarbonModifier::control << u"⌃Space"_s << u" "_s
                                   << QKeySequence(Qt::CTRL | Qt::Key_Space);
    QTest::newRow("F1") << qint64(122) << qint64(0) << u"F1"_s << u"\uF704"_s
                        << QKeySequence(Qt::Key_F1);
    QTest::newRow("fn command F5")
        << qint64(96) << (CarbonModifier::function | command) << u"⌘\U0001F310\uFE0EF5"_s
        << u"\uF708"_s << QKeySequence(Qt::META | Qt::Key_F5);
    QTest::newRow("F20") << qint64(90) << qint64(0) << u"F20"_s << u"\uF717"_s
                         << QKeySequence(Qt::Key_F20);
    // Keypad keys have no key equivalent, and match only keypad presses.
    QTest::newRow("keypad 0") << qint64(82) << qint64(0) << u"0\u20E3"_s << QString()
                              << keypad({}, Qt::Key_0);
    QTest::newRow("keypad 5") << qint64(87) << command << u"⌘5\u20E3"_s << QString()
                              << keypad(Qt::MetaModifier, Qt::Key_5);
    QTest::newRow("keypad clear") << qint64(71) << qint64(0) << u"☒\u20E3"_s << QString()
                                  << keypad({}, Qt::Key_Clear);
    QTest::newRow("keypad enter") << qint64(76) << command << u"⌘↩\u20E3"_s << QString()
                                  << keypad(Qt::MetaModifier, Qt::Key_Enter);
    QTest::newRow("not on the layout")
        << keyIsoSection << command << u"⌘\uFFFD"_s << QString() << QKeySequence();
}

void ShortcutDescriptionTest::textsOfShortcuts() {
    QFETCH(qint64, keyCode);
    QFETCH(qint64, carbonModifiers);
    QFETCH(QString, description);
    QFETCH(QString, keyEquivalent);
    QFETCH(QKeySequence, sequence);
    const Shortcut shortcut = Shortcut::fromStored(keyCode, carbonModifiers);
    QCOMPARE(KeyboardShortcuts::description(shortcut), description);
    const std::optional<QString> equivalent = KeyboardShortcuts::keyEquivalent(shortcut);
    QCOMPARE(equivalent.has_value(), !keyEquivalent.isNull());
    QCOMPARE(equivalent.value_or(QString()), keyEquivalent);
    QCOMPARE(keySequence(shortcut), sequence);
}

void ShortcutDescriptionTest::specialKeysIgnoreTheLayout() {
    // Layout readers also translate Return, Space or the keypad; the table wins.
    installLayoutTyping(u"x"_s);
    QCOMPARE(keyToCharacter(36), std::nullopt);
    QCOMPARE(keyToCharacter(49), std::nullopt);
    QCOMPARE(keyToCharacter(83), std::nullopt);
    QCOMPARE(description(Shortcut::fromStored(36, CarbonModifier::command)), u"⌘↩"_s);
    QCOMPARE(keyEquivalent(Shortcut::fromStored(83, 0)), std::nullopt);
    QCOMPARE(keyToCharacter(keyV), u"x"_s);
}

void ShortcutDescriptionTest::spaceShowsItsTranslatedNameCapitalized() {
    SpaceTranslator translator(u"espacio"_s);
    QVERIFY(QCoreApplication::installTranslator(&translator));
    const QString translated = description(Shortcut::fromStored(49, CarbonModifier::option));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(translated, u"⌥Espacio"_s);
}

void ShortcutDescriptionTest::installedLayoutNamesOrdinaryKeys_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("keyEquivalent");
    QTest::addColumn<QKeySequence>("sequence");
    const auto shiftCommand = [](Qt::Key key) { return QKeySequence(Qt::SHIFT | Qt::META | key); };
    // The key where US layouts have Y types Z on German ones.
    QTest::newRow("german") << u"z"_s << u"⇧⌘Z"_s << u"z"_s << shiftCommand(Qt::Key_Z);
    QTest::newRow("cyrillic") << u"н"_s << u"⇧⌘Н"_s << u"н"_s << shiftCommand(Qt::Key(0x041D));
    // Upper-casing ß would give two letters.
    QTest::newRow("sharp s") << u"ß"_s << u"⇧⌘ß"_s << u"ß"_s << shiftCommand(Qt::Key_ssharp);
    QTest::newRow("outside the BMP") << u"\U00010428"_s << u"⇧⌘\U00010400"_s << u"\U00010428"_s
                                     << shiftCommand(Qt::Key(0x10400));
    QTest::newRow("nothing") << QString() << u"⇧⌘\uFFFD"_s << QString() << QKeySequence();
    QTest::newRow("empty") << u""_s << u"⇧⌘\uFFFD"_s << QString() << QKeySequence();
    QTest::newRow("several characters") << u"ab"_s << u"⇧⌘\uFFFD"_s << QString() << QKeySequence();
}

void ShortcutDescriptionTest::installedLayoutNamesOrdinaryKeys() {
    QFETCH(QString, typed);
    QFETCH(QString, description);
    QFETCH(QString, keyEquivalent);
    QFETCH(QKeySequence, sequence);
    installLayoutTyping(typed);
    const Shortcut shortcut = Shortcut::fromStored(keyY, 0x300);
    QCOMPARE(KeyboardShortcuts::description(shortcut), description);
    const std::optional<QString> equivalent = KeyboardShortcuts::keyEquivalent(shortcut);
    QCOMPARE(equivalent.value_or(QString()), keyEquivalent);
    QCOMPARE(equivalent.has_value(), !keyEquivalent.isNull());
    QCOMPARE(keySequence(shortcut), sequence);
}

QTEST_MAIN(ShortcutDescriptionTest)
#include "ShortcutDescriptionTest.moc"
