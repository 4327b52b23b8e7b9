#include "platform/wayland/WaylandPlatform.h"

#include "platform/wayland/WaylandScreenCapture.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// What the application is told of the desktop: everything on a wlroots
// compositor; where the clipboard cannot be watched and nothing can be
// typed (no compositor protocols for it), a clear word for each, and a
// clipboard that keeps the application working.
class WaylandPlatformTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void offersEverythingOnWlroots();
    void saysWhatTheDesktopWithholds();
    void copiesTheScreenForTheGlass();
    void saysWhyKWinDoesNotLetItType();
};

void WaylandPlatformTest::initTestCase() {
    const QByteArray display = qgetenv("VELLOQ_TEST_WAYLAND_DISPLAY");
    QVERIFY2(!display.isEmpty(), "needs the compositor scripts/test starts");
    qputenv("WAYLAND_DISPLAY", display);
}

void WaylandPlatformTest::offersEverythingOnWlroots() {
    WaylandPlatform wayland;
    const AppPlatform platform = wayland.platform();
    QVERIFY(platform.startupNotice.isEmpty());
    QVERIFY(platform.pastingUnavailableReason.isEmpty());
    QVERIFY(platform.hasAccess());
    QVERIFY(platform.pasteboard->watchChanges([] {}));
    QVERIFY(platform.shortcutsFireAnywhere);
}

void WaylandPlatformTest::saysWhatTheDesktopWithholds() {
    const QByteArray saved = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", "/nonexistent/wayland-0");
    WaylandPlatform wayland;
    const AppPlatform platform = wayland.platform();
    qputenv("WAYLAND_DISPLAY", saved);
    QCOMPARE(platform.startupNotice, WaylandPlatform::clipboardLimitation());
    QCOMPARE(platform.pastingUnavailableReason, WaylandPlatform::typingUnavailableReason());
    QVERIFY(!platform.hasAccess());
    QVERIFY(platform.pasteboard);
    const qint64 count = platform.pasteboard->changeCount();
    bool read = false;
    platform.pasteboard->readSnapshot(
        [&read](std::optional<PasteboardSnapshot> snapshot) { read = !snapshot.has_value(); });
    QVERIFY(read);
    QCOMPARE(platform.pasteboard->changeCount(), count);
}

void WaylandPlatformTest::copiesTheScreenForTheGlass() {
    const auto capture = WaylandScreenCapture::create();
    QVERIFY(capture);
    QSignalSpy captured(capture.get(), &WaylandScreenCapture::captured);
    // A capture dropped is never told; the next one is, whole and opaque.
    capture->start(QString());
    capture->cancel();
    QVERIFY(!capture->isCapturing());
    capture->start(QString());
    QVERIFY(capture->isCapturing());
    QVERIFY(captured.wait(5000));
    QCOMPARE(captured.size(), 1);
    const auto picture = captured.first().first().value<QImage>();
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() >= 640 && picture.height() >= 480);
    QVERIFY(!picture.hasAlphaChannel());
    QVERIFY(!capture->isCapturing());
}

// A program that KWin's permission check does not pass (this test's, which
// no desktop entry names) watches the clipboard but cannot type, and is told
// how to fix that.
void WaylandPlatformTest::saysWhyKWinDoesNotLetItType() {
    const QByteArray kwin = qgetenv("VELLOQ_TEST_KWIN_DISPLAY");
    QVERIFY2(!kwin.isEmpty(), "needs the KWin that scripts/test starts from the testing tree");
    const QByteArray saved = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", kwin);
    WaylandPlatform wayland;
    const AppPlatform platform = wayland.platform();
    qputenv("WAYLAND_DISPLAY", saved);
    QVERIFY(platform.startupNotice.isEmpty());
    QVERIFY(!platform.hasAccess());
    QCOMPARE(platform.pastingUnavailableReason, WaylandPlatform::plasmaTypingUnavailableReason(
                                                    QCoreApplication::applicationFilePath()));
    QVERIFY(platform.pastingUnavailableReason.contains(QCoreApplication::applicationFilePath()));
}

QTEST_GUILESS_MAIN(WaylandPlatformTest)
#include "WaylandPlatformTest.moc"
