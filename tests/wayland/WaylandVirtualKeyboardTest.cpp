#include "platform/wayland/WaylandVirtualKeyboard.h"

#include "support/HelperProcess.h"

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
    void cleanupTestCase();

private:
    std::unique_ptr<QProcess> m_source;
};

void WaylandVirtualKeyboardTest::initTestCase() {
    const QByteArray display = qgetenv("VELLOQ_TEST_WAYLAND_DISPLAY");
    QVERIFY2(!display.isEmpty(), "needs the compositor scripts/test starts");
    qputenv("WAYLAND_DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "wayland");
    m_source = std::make_unique<QProcess>();
    m_source->start(u"wl-copy"_s, {u"--foreground"_s, copied});
    QVERIFY2(m_source->waitForStarted(), "needs wl-copy");
}

void WaylandVirtualKeyboardTest::typesWithTheUsersLayout() {
    HelperProcess target;
    QVERIFY(target.start(helperPath("velloq-paste-target"), {}));
    QByteArray output;
    QTRY_VERIFY((output += target.process().readAllStandardOutput()).contains("active"));
    auto user = std::make_unique<HelperProcess>();
    QVERIFY(user->start(helperPath("velloq-layout-keyboard"), {u"de"_s}));

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

void WaylandVirtualKeyboardTest::cleanupTestCase() {
    if (!m_source)
        return;
    m_source->kill();
    m_source->waitForFinished();
}

QTEST_GUILESS_MAIN(WaylandVirtualKeyboardTest)
#include "WaylandVirtualKeyboardTest.moc"
