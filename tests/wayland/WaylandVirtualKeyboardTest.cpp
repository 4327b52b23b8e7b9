#include "platform/wayland/WaylandVirtualKeyboard.h"

#include "support/HelperProcess.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString copied = u"pasted"_s;
constexpr uint32_t evdevKeyY = 21;

// The last text the paste target's field showed.
QString lastText(HelperProcess& target, QByteArray& output) {
    output += target.process().readAllStandardOutput();
    const qsizetype line = output.lastIndexOf("\ntext: ");
    if (line < 0)
        return {};
    const QByteArray rest = output.mid(line + 7);
    return QString::fromUtf8(rest.left(rest.indexOf('\n')));
}

// Whether the paste target has the keyboard (again).
bool hasFocus(HelperProcess& target, QByteArray& output) {
    output += target.process().readAllStandardOutput();
    return output.lastIndexOf("\nactive\n") > output.lastIndexOf("\ninactive\n");
}

// What a newly started application learns of the seat's keyboard, up to
// its first modifiers event or until it finds none.
QByteArray newApplicationsKeyboard() {
    HelperProcess application;
    if (!application.start(helperPath("velloq-keymap-probe"), {}))
        return "velloq-keymap-probe did not start";
    QByteArray seen;
    const QDeadlineTimer deadline(5000);
    while (!seen.contains("modifiers") && !seen.contains("seat without keyboard") &&
           !deadline.hasExpired()) {
        QTest::qWait(10);
        seen += application.process().readAllStandardOutput();
    }
    return seen;
}

} // namespace

// A paste on sway leaves the focused application on the user's layout: the
// virtual keyboard types Control-V with the keymap the seat announces, and
// keys typed after it (which are read with the keymap of the keyboard that
// typed last) still give the user's letters.
class WaylandVirtualKeyboardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void typesWithTheUsersLayout();
    void outlivesAnotherVirtualKeyboard();
    void cleanupTestCase();

private:
    std::unique_ptr<QProcess> m_source;
};

void WaylandVirtualKeyboardTest::initTestCase() {
    // VELLOQ_TEST_COMPOSITOR=testing-sway: the testing tree's sway instead.
    const bool testingSway = qgetenv("VELLOQ_TEST_COMPOSITOR") == "testing-sway";
    const QByteArray display =
        qgetenv(testingSway ? "VELLOQ_TEST_SWAY_DISPLAY" : "VELLOQ_TEST_WAYLAND_DISPLAY");
    QVERIFY2(!display.isEmpty(), "needs the compositor scripts/test starts");
    qputenv("WAYLAND_DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "wayland");
    m_source = std::make_unique<QProcess>();
    m_source->start(u"wl-copy"_s, {u"--foreground"_s, copied});
    QVERIFY2(m_source->waitForStarted(), "needs wl-copy");
}

void WaylandVirtualKeyboardTest::typesWithTheUsersLayout() {
    // The user's keyboard first: a client that sees the seat gain a keyboard
    // asks for one of its own, and keys sent before it has it are lost.
    auto user = std::make_unique<HelperProcess>();
    QVERIFY(user->start(helperPath("velloq-layout-keyboard"), {u"de"_s}));
    HelperProcess target;
    QVERIFY(target.start(helperPath("velloq-paste-target"), {}));
    QByteArray output;
    QTRY_VERIFY((output += target.process().readAllStandardOutput()).contains("active"));

    std::unique_ptr<WaylandVirtualKeyboard> keyboard = WaylandVirtualKeyboard::connect();
    QVERIFY(keyboard);
    QVERIFY(keyboard->typeControlV());
    QTRY_COMPARE(lastText(target, output), copied);
    // Y and Z trade places on a German keyboard.
    QVERIFY(keyboard->typeKey(evdevKeyY));
    QTRY_COMPARE(lastText(target, output), copied + u'z');

    // The user turns to Dvorak, where V is on another key and Y gives f.
    user = std::make_unique<HelperProcess>();
    QVERIFY(user->start(helperPath("velloq-layout-keyboard"), {u"us"_s, u"dvorak"_s}));
    QVERIFY(keyboard->typeControlV());
    QTRY_COMPARE(lastText(target, output), copied + u'z' + copied);
    QVERIFY(keyboard->typeKey(evdevKeyY));
    QTRY_COMPARE(lastText(target, output), copied + u'z' + copied + u'f');
}

// When another virtual keyboard (wtype, an on-screen keyboard) types and
// goes away, sway leaves the seat without a keyboard of its own; while ours
// still gave it the keyboard capability, applications started then were
// told of a keyboard without a keymap, and Chromium crashed on its first
// modifiers event. They must be handed a keymap that compiles (ours, made
// again), and Control-V still pastes.
void WaylandVirtualKeyboardTest::outlivesAnotherVirtualKeyboard() {
    HelperProcess target;
    QVERIFY(target.start(helperPath("velloq-paste-target"), {}));
    QByteArray output = "\n";
    QTRY_VERIFY(hasFocus(target, output));
    std::unique_ptr<WaylandVirtualKeyboard> keyboard = WaylandVirtualKeyboard::connect();
    QVERIFY(keyboard);
    QProcess wtype;
    wtype.start(u"wtype"_s, {u"typed"_s});
    QVERIFY2(wtype.waitForStarted(), "needs wtype");
    QTRY_COMPARE(wtype.state(), QProcess::NotRunning);
    QCOMPARE(wtype.exitCode(), 0);

    for (const bool afterPaste : {false, true}) {
        if (afterPaste) {
            QTRY_VERIFY(hasFocus(target, output));
            QVERIFY(keyboard->typeControlV());
            QTRY_VERIFY(lastText(target, output).endsWith(copied));
        }
        // Until ours is made again, a new application may find no keyboard.
        QByteArray seen;
        QTRY_VERIFY((seen = newApplicationsKeyboard()).contains("modifiers"));
        QVERIFY2(seen.contains("keymap 1 ") && !seen.contains("without keymap") &&
                     !seen.contains("unusable"),
                 seen.constData());
    }
}

void WaylandVirtualKeyboardTest::cleanupTestCase() {
    if (!m_source)
        return;
    m_source->kill();
    m_source->waitForFinished();
}

QTEST_GUILESS_MAIN(WaylandVirtualKeyboardTest)
#include "WaylandVirtualKeyboardTest.moc"
