#include "KeyboardShortcuts/ShortcutDescription.h"

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
    void cleanup() { setKeyToCharacter({}); }

    void modifiersInFixedOrder_data();
    void modifiersInFixedOrder();
    void specialKeysHaveTheirOwnSymbols_data();
    void specialKeysHaveTheirOwnSymbols();
    void specialKeysIgnoreTheLayout();
    void spaceShowsItsTranslatedNameCapitalized();
    void usLayoutWorksWithoutADisplay_data();
    void usLayoutWorksWithoutADisplay();
    void installedLayoutNamesOrdinaryKeys_data();
    void installedLayoutNamesOrdinaryKeys();

    void keyEquivalents_data();
    void keyEquivalents();

    void keySequences_data();
    void keySequences();
    void keySequenceOfLayoutCharacters_data();
    void keySequenceOfLayoutCharacters();
};

void ShortcutDescriptionTest::modifiersInFixedOrder_data() {
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<qint64>("carbonModifiers");
    QTest::addColumn<QString>("description");
    QTest::newRow("shift command V") << keyV << qint64(0x300) << u"⇧⌘V"_s;
    QTest::newRow("all five with left arrow")
        << keyLeftArrow << CarbonModifier::all << u"⌃⌥⇧⌘\U0001F310\uFE0E←"_s;
    QTest::newRow("none") << keyV << qint64(0) << u"V"_s;
    // Caps Lock (0x400) and stray bits are not modifiers of a shortcut.
    QTest::newRow("unknown bits ignored") << keyV << qint64(0x300 | 0x400 | 0x80) << u"⇧⌘V"_s;
    QTest::newRow("option control") << keyV << qint64(0x1800) << u"⌃⌥V"_s;
}

void ShortcutDescriptionTest::modifiersInFixedOrder() {
    QFETCH(qint64, keyCode);
    QFETCH(qint64, carbonModifiers);
    QFETCH(QString, description);
    QCOMPARE(KeyboardShortcuts::description(Shortcut::fromStored(keyCode, carbonModifiers)),
             description);
}

void ShortcutDescriptionTest::specialKeysHaveTheirOwnSymbols_data() {
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<QString>("description");
    QTest::newRow("return") << qint64(36) << u"↩"_s;
    QTest::newRow("delete") << qint64(51) << u"⌫"_s;
    QTest::newRow("forward delete") << qint64(117) << u"⌦"_s;
    QTest::newRow("escape") << qint64(53) << u"⎋"_s;
    QTest::newRow("help") << qint64(114) << u"?\u20DD"_s;
    QTest::newRow("tab") << qint64(48) << u"⇥"_s;
    QTest::newRow("space") << qint64(49) << u"Space"_s;
    QTest::newRow("F1") << qint64(122) << u"F1"_s;
    QTest::newRow("F20") << qint64(90) << u"F20"_s;
    QTest::newRow("keypad 0") << qint64(82) << u"0\u20E3"_s;
    QTest::newRow("keypad clear") << qint64(71) << u"☒\u20E3"_s;
    QTest::newRow("keypad enter") << qint64(76) << u"↩\u20E3"_s;
}

void ShortcutDescriptionTest::specialKeysHaveTheirOwnSymbols() {
    QFETCH(qint64, keyCode);
    QFETCH(QString, description);
    QCOMPARE(KeyboardShortcuts::description(Shortcut::fromStored(keyCode, 0)), description);
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
    QCOMPARE(keyEquivalent(Shortcut::fromStored(49, 0)), u" "_s);
}

void ShortcutDescriptionTest::usLayoutWorksWithoutADisplay_data() {
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<QString>("typed");
    QTest::newRow("A") << qint64(0) << u"a"_s;
    QTest::newRow("Z") << qint64(6) << u"z"_s;
    QTest::newRow("0") << qint64(29) << u"0"_s;
    QTest::newRow("minus") << qint64(27) << u"-"_s;
    QTest::newRow("quote") << qint64(39) << u"'"_s;
    QTest::newRow("backslash") << qint64(42) << u"\\"_s;
    QTest::newRow("grave") << qint64(50) << u"`"_s;
}

void ShortcutDescriptionTest::usLayoutWorksWithoutADisplay() {
    QFETCH(qint64, keyCode);
    QFETCH(QString, typed);
    QCOMPARE(keyToCharacter(keyCode), typed);
    QCOMPARE(keyEquivalent(Shortcut::fromStored(keyCode, 0)), typed);
    QCOMPARE(description(Shortcut::fromStored(keyCode, 0)), typed.toUpper());
}

void ShortcutDescriptionTest::installedLayoutNamesOrdinaryKeys_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("keyEquivalent");
    // The key where US layouts have Y types Z on German ones.
    QTest::newRow("german") << u"z"_s << u"⇧⌘Z"_s << u"z"_s;
    QTest::newRow("cyrillic") << u"н"_s << u"⇧⌘Н"_s << u"н"_s;
    // Upper-casing ß would give two letters.
    QTest::newRow("sharp s") << u"ß"_s << u"⇧⌘ß"_s << u"ß"_s;
    QTest::newRow("outside the BMP") << u"\U00010428"_s << u"⇧⌘\U00010400"_s << u"\U00010428"_s;
    QTest::newRow("nothing") << QString() << u"⇧⌘\uFFFD"_s << QString();
    QTest::newRow("empty") << u""_s << u"⇧⌘\uFFFD"_s << QString();
    QTest::newRow("several characters") << u"ab"_s << u"⇧⌘\uFFFD"_s << QString();
}

void ShortcutDescriptionTest::installedLayoutNamesOrdinaryKeys() {
    QFETCH(QString, typed);
    QFETCH(QString, description);
    QFETCH(QString, keyEquivalent);
    installLayoutTyping(typed);
    const Shortcut shortcut = Shortcut::fromStored(keyY, 0x300);
    QCOMPARE(KeyboardShortcuts::description(shortcut), description);
    const std::optional<QString> equivalent = KeyboardShortcuts::keyEquivalent(shortcut);
    QCOMPARE(equivalent.value_or(QString()), keyEquivalent);
    QCOMPARE(equivalent.has_value(), !keyEquivalent.isNull());
    if (keyEquivalent.isNull())
        QCOMPARE(keySequence(shortcut), QKeySequence());
}

void ShortcutDescriptionTest::keyEquivalents_data() {
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<QString>("keyEquivalent");
    QTest::newRow("F1") << qint64(122) << u"\uF704"_s;
    QTest::newRow("F20") << qint64(90) << u"\uF717"_s;
    QTest::newRow("return") << qint64(36) << u"↩"_s;
    QTest::newRow("help") << qint64(114) << u"?\u20DD"_s;
    QTest::newRow("space") << qint64(49) << u" "_s;
    QTest::newRow("ordinary key uncapitalized") << keyV << u"v"_s;
    QTest::newRow("keypad 5") << qint64(87) << QString();
    QTest::newRow("keypad enter") << qint64(76) << QString();
    QTest::newRow("not on the layout") << keyIsoSection << QString();
}

void ShortcutDescriptionTest::keyEquivalents() {
    QFETCH(qint64, keyCode);
    QFETCH(QString, keyEquivalent);
    const std::optional<QString> equivalent =
        KeyboardShortcuts::keyEquivalent(Shortcut::fromStored(keyCode, CarbonModifier::command));
    QCOMPARE(equivalent.has_value(), !keyEquivalent.isNull());
    QCOMPARE(equivalent.value_or(QString()), keyEquivalent);
}

void ShortcutDescriptionTest::keySequences_data() {
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<qint64>("carbonModifiers");
    QTest::addColumn<QKeySequence>("sequence");
    QTest::newRow("shift command V")
        << keyV << qint64(0x300) << QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V);
    QTest::newRow("F5") << qint64(96) << qint64(0) << QKeySequence(Qt::Key_F5);
    QTest::newRow("control left arrow")
        << keyLeftArrow << CarbonModifier::control << QKeySequence(Qt::CTRL | Qt::Key_Left);
    QTest::newRow("option return")
        << qint64(36) << CarbonModifier::option << QKeySequence(Qt::ALT | Qt::Key_Return);
    QTest::newRow("delete") << qint64(51) << qint64(0) << QKeySequence(Qt::Key_Backspace);
    QTest::newRow("space") << qint64(49) << CarbonModifier::control
                           << QKeySequence(Qt::CTRL | Qt::Key_Space);
    QTest::newRow("F20") << qint64(90) << qint64(0) << QKeySequence(Qt::Key_F20);
    QTest::newRow("keypad 1") << qint64(83) << qint64(0)
                              << QKeySequence(Qt::KeypadModifier | Qt::Key_1);
    QTest::newRow("keypad enter") << qint64(76) << CarbonModifier::command
                                  << QKeySequence(QKeyCombination(
                                         Qt::MetaModifier | Qt::KeypadModifier, Qt::Key_Enter));
    QTest::newRow("punctuation") << qint64(43) << CarbonModifier::command
                                 << QKeySequence(Qt::META | Qt::Key_Comma);
    // Fn has no Qt modifier.
    QTest::newRow("fn dropped") << qint64(96)
                                << (CarbonModifier::function | CarbonModifier::command)
                                << QKeySequence(Qt::META | Qt::Key_F5);
    QTest::newRow("not on the layout")
        << keyIsoSection << CarbonModifier::command << QKeySequence();
}

void ShortcutDescriptionTest::keySequences() {
    QFETCH(qint64, keyCode);
    QFETCH(qint64, carbonModifiers);
    QFETCH(QKeySequence, sequence);
    QCOMPARE(keySequence(Shortcut::fromStored(keyCode, carbonModifiers)), sequence);
}

void ShortcutDescriptionTest::keySequenceOfLayoutCharacters_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QKeySequence>("sequence");
    QTest::newRow("german") << u"z"_s << QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_Z);
    QTest::newRow("cyrillic") << u"н"_s
                              << QKeySequence(Qt::SHIFT | Qt::META | Qt::Key(0x041D)); // Н
    QTest::newRow("sharp s") << u"ß"_s << QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_ssharp);
}

void ShortcutDescriptionTest::keySequenceOfLayoutCharacters() {
    QFETCH(QString, typed);
    QFETCH(QKeySequence, sequence);
    installLayoutTyping(typed);
    QCOMPARE(keySequence(Shortcut::fromStored(keyY, 0x300)), sequence);
}

QTEST_MAIN(ShortcutDescriptionTest)
#include "ShortcutDescriptionTest.moc"
