#include "platform/wayland/WaylandPasteTarget.h"

#include "platform/wayland/WaylandKeyboard.h"
#include "platform/wayland/WaylandToplevels.h"
#include "platform/wayland/WaylandVirtualKeyboard.h"
#include "support/HelperProcess.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString copied = u"pasted by the virtual keyboard"_s;

std::unique_ptr<QProcess> copyWithWlCopy(const QString& text) {
    auto source = std::make_unique<QProcess>();
    source->start(u"wl-copy"_s, {u"--foreground"_s, text});
    return source->waitForStarted() ? std::move(source) : nullptr;
}

// Everything the paste target has printed so far.
QByteArray printed(HelperProcess& target, QByteArray& output) {
    output += target.process().readAllStandardOutput();
    return output;
}

// A window list the test moves the focus in.
class MovableFocus final : public WaylandActiveWindow {
public:
    void activate(const void* window, const std::optional<QString>& appId) {
        report(window, appId);
    }

private:
    bool bind() override { return false; }
    void disconnected() override {}
};

class CountingKeyboard final : public WaylandKeyboard {
public:
    explicit CountingKeyboard(int& typed) : m_typed(typed) {}
    bool typeControlV() override { return ++m_typed > 0; }
    bool typeKey(uint32_t, bool) override { return true; }

private:
    int& m_typed;
};

} // namespace

// The paste step on sway: Control-V typed into the application that has the
// focus back, not into Velloq, and given up on when no other has it.
class WaylandPasteTargetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void pastesIntoTheActivatedApplication();
    void abandonsWhileVelloqKeepsTheFocus();
    void waitsWhileNoWindowHasTheFocus();
    void cleanupTestCase();

private:
    std::unique_ptr<QProcess> m_source;
};

void WaylandPasteTargetTest::initTestCase() {
    const QByteArray display = qgetenv("VELLOQ_TEST_WAYLAND_DISPLAY");
    QVERIFY2(!display.isEmpty(), "needs the compositor scripts/test starts");
    qputenv("WAYLAND_DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "wayland");
    m_source = copyWithWlCopy(copied);
    QVERIFY(m_source);
}

void WaylandPasteTargetTest::pastesIntoTheActivatedApplication() {
    std::unique_ptr<WaylandToplevels> toplevels = WaylandToplevels::create();
    QVERIFY(toplevels);
    WaylandPasteTarget pasteTarget(toplevels.get());
    QVERIFY(pasteTarget.hasAccess());
    QSignalSpy abandoned(&pasteTarget, &WaylandPasteTarget::commandVAbandoned);

    HelperProcess target;
    QVERIFY(target.start(helperPath("velloq-paste-target"), {}));
    QTRY_COMPARE(toplevels->activatedAppId(), std::optional(u"velloq-paste-target"_s));
    pasteTarget.sendCommandV();
    QByteArray output;
    QTRY_VERIFY(printed(target, output).contains("text: " + copied.toUtf8()));

    // Without the compositor's word on the focus it pastes after a pause.
    WaylandPasteTarget blind(nullptr);
    blind.sendCommandV();
    QTRY_VERIFY(printed(target, output).contains("text: " + (copied + copied).toUtf8()));
    QCOMPARE(abandoned.count(), 0);
}

void WaylandPasteTargetTest::abandonsWhileVelloqKeepsTheFocus() {
    std::unique_ptr<WaylandToplevels> toplevels = WaylandToplevels::create();
    QVERIFY(toplevels);
    WaylandPasteTarget pasteTarget(toplevels.get());
    QSignalSpy abandoned(&pasteTarget, &WaylandPasteTarget::commandVAbandoned);

    HelperProcess velloq;
    QVERIFY(velloq.start(helperPath("velloq-paste-target"),
                         {u"--app-id"_s, QStringLiteral(VELLOQ_APP_ID)}));
    QTRY_COMPARE(toplevels->activatedAppId(), std::optional(QStringLiteral(VELLOQ_APP_ID)));
    pasteTarget.sendCommandV();
    QTRY_COMPARE(abandoned.count(), 1);

    // One paste typed now must be the window's only one.
    std::unique_ptr<WaylandVirtualKeyboard> keyboard = WaylandVirtualKeyboard::connect();
    QVERIFY(keyboard);
    QVERIFY(keyboard->typeControlV());
    QByteArray output;
    QTRY_VERIFY(printed(velloq, output).contains("text: " + copied.toUtf8()));
    QVERIFY(!output.contains((copied + copied).toUtf8()));
}

// KWin tells of the overlay losing the focus and of the previous window
// getting it in separate events; in between, Control-V would reach nobody.
void WaylandPasteTargetTest::waitsWhileNoWindowHasTheFocus() {
    MovableFocus focus;
    int typed = 0;
    WaylandPasteTarget pasteTarget(&focus,
                                   [&typed] { return std::make_unique<CountingKeyboard>(typed); });
    QSignalSpy abandoned(&pasteTarget, &WaylandPasteTarget::commandVAbandoned);
    int overlay = 0;
    int editor = 0;
    focus.activate(&overlay, QStringLiteral(VELLOQ_APP_ID));
    pasteTarget.sendCommandV();
    focus.activate(nullptr, std::nullopt);
    QTest::qWait(WaylandPasteTarget::focusPollMs * 3);
    QCOMPARE(typed, 0);
    focus.activate(&editor, u"org.example.Editor"_s);
    QTRY_COMPARE(typed, 1);
    QCOMPARE(abandoned.count(), 0);
}

void WaylandPasteTargetTest::cleanupTestCase() {
    if (!m_source)
        return;
    m_source->kill();
    m_source->waitForFinished();
}

QTEST_GUILESS_MAIN(WaylandPasteTargetTest)
#include "WaylandPasteTargetTest.moc"
