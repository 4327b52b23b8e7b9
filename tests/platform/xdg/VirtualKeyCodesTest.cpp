#include "platform/xdg/VirtualKeyCodes.h"

#include "KeyboardShortcuts/Key.h"

#include <QSet>
#include <QTest>

namespace Keys = KeyboardShortcuts::Keys;

class VirtualKeyCodesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void knownKeys_data();
    void knownKeys();
    void everyMappedKeyRoundTrips();
    void noTwoKeysShareAnEvdevCode();
    void keysWithoutAPcEquivalentHaveNoCode();
};

void VirtualKeyCodesTest::knownKeys_data() {
    QTest::addColumn<qint64>("virtualKey");
    QTest::addColumn<quint32>("evdevCode");
    // Values of <linux/input-event-codes.h>.
    QTest::newRow("V") << Keys::v.rawValue << 47u;
    QTest::newRow("A") << Keys::a.rawValue << 30u;
    QTest::newRow("Return") << Keys::returnKey.rawValue << 28u;
    QTest::newRow("Escape") << Keys::escape.rawValue << 1u;
    QTest::newRow("Left Arrow") << Keys::leftArrow.rawValue << 105u;
    QTest::newRow("F1") << Keys::f1.rawValue << 59u;
    QTest::newRow("F13") << Keys::f13.rawValue << 183u;
    QTest::newRow("F20") << Keys::f20.rawValue << 190u;
    QTest::newRow("keypad 5") << Keys::keypad5.rawValue << 76u;
    QTest::newRow("Command") << Keys::command.rawValue << 125u;
    QTest::newRow("right Command") << Keys::rightCommand.rawValue << 126u;
    QTest::newRow("Option") << Keys::option.rawValue << 56u;
    QTest::newRow("Help is Insert") << Keys::help.rawValue << 110u;
    QTest::newRow("keypad Clear is Num Lock") << Keys::keypadClear.rawValue << 69u;
    QTest::newRow("backtick") << Keys::backtick.rawValue << 41u;
    QTest::newRow("Delete is Backspace") << Keys::deleteKey.rawValue << 14u;
    QTest::newRow("forward Delete") << Keys::deleteForward.rawValue << 111u;
}

void VirtualKeyCodesTest::knownKeys() {
    QFETCH(qint64, virtualKey);
    QFETCH(quint32, evdevCode);
    QCOMPARE(evdevCodeForVirtualKey(virtualKey), std::optional(evdevCode));
    QCOMPARE(virtualKeyForEvdevCode(evdevCode), std::optional(virtualKey));
}

void VirtualKeyCodesTest::everyMappedKeyRoundTrips() {
    int mapped = 0;
    for (qint64 virtualKey = 0; virtualKey < 0x100; ++virtualKey) {
        const auto evdev = evdevCodeForVirtualKey(virtualKey);
        if (!evdev)
            continue;
        ++mapped;
        QCOMPARE(virtualKeyForEvdevCode(*evdev), std::optional(virtualKey));
    }
    // Letters, digits, punctuation, modifiers, navigation, F1–F20, keypad.
    QVERIFY2(mapped > 100, qPrintable(QString::number(mapped)));
}

void VirtualKeyCodesTest::noTwoKeysShareAnEvdevCode() {
    QSet<quint32> seen;
    for (qint64 virtualKey = 0; virtualKey < 0x100; ++virtualKey) {
        const auto evdev = evdevCodeForVirtualKey(virtualKey);
        if (!evdev)
            continue;
        QVERIFY2(!seen.contains(*evdev), qPrintable(QString::number(virtualKey)));
        seen.insert(*evdev);
    }
}

void VirtualKeyCodesTest::keysWithoutAPcEquivalentHaveNoCode() {
    QCOMPARE(evdevCodeForVirtualKey(Keys::function.rawValue), std::nullopt);
    QCOMPARE(evdevCodeForVirtualKey(-1), std::nullopt);
    QCOMPARE(evdevCodeForVirtualKey(0xFFFF), std::nullopt);
    QCOMPARE(virtualKeyForEvdevCode(0), std::nullopt);
    // KEY_POWER: a PC key no Mac keyboard reports as a virtual key.
    QCOMPARE(virtualKeyForEvdevCode(116), std::nullopt);
}

QTEST_GUILESS_MAIN(VirtualKeyCodesTest)
#include "VirtualKeyCodesTest.moc"
