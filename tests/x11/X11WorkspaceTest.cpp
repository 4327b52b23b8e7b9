#include "platform/x11/X11Workspace.h"

#include "capture/PasteboardWatcher.h"
#include "platform/x11/GeneralPasteboard.h"
#include "platform/xdg/DesktopEntries.h"
#include "support/HelperProcess.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <qguiapplication_platform.h>

using namespace Qt::StringLiterals;

namespace {

bool activate(const QByteArray& windowId) {
    return QProcess::execute(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s,
                                            QString::fromLatin1(windowId)}) == 0;
}

} // namespace

class X11WorkspaceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void frontmostApplicationOfARealWindow();
    void activationsAreReportedPerApplication();
    void everyOtherActiveWindowIsReported();
    void watcherCapturesWithTheFrontmostApplication();

private:
    std::shared_ptr<DesktopEntries> entriesWith(const QString& id, const QString& wmClass);
    QTemporaryDir m_dir;
};

void X11WorkspaceTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qApp->nativeInterface<QNativeInterface::QX11Application>())
        QFAIL("needs the X server that scripts/test starts (DISPLAY is not set)");
}

std::shared_ptr<DesktopEntries> X11WorkspaceTest::entriesWith(const QString& id,
                                                              const QString& wmClass) {
    const QString folder = m_dir.filePath(u"applications"_s);
    QDir().mkpath(folder);
    QFile entry(folder + u'/' + id + ".desktop"_L1);
    if (entry.open(QIODevice::WriteOnly))
        entry.write("[Desktop Entry]\nType=Application\nName=Test\nStartupWMClass=" +
                    wmClass.toUtf8() + "\nExec=true\n");
    return std::make_shared<DesktopEntries>(QStringList{folder});
}

void X11WorkspaceTest::frontmostApplicationOfARealWindow() {
    X11Workspace workspace(entriesWith(u"org.example.Notes"_s, u"notes-window"_s));
    QVERIFY(workspace.isValid());
    HelperProcess notes;
    QVERIFY(notes.start(helperPath("velloq-test-window"), {u"notes-window"_s, u"Notes"_s}));
    QVERIFY(activate(notes.firstLine()));
    // The window manager may still be settling (screens changed by other tests).
    QTRY_COMPARE_WITH_TIMEOUT(workspace.activeWindow(), notes.firstLine().toUInt(), 5000);
    QCOMPARE(workspace.frontmostPID(), qint32(notes.pid()));
    QCOMPARE(workspace.frontmostBundleID(), u"org.example.Notes"_s);

    HelperProcess gtk;
    QVERIFY(
        gtk.start(helperPath("velloq-test-window"),
                  {u"editor"_s, u"Editor"_s, u"--gtk-application-id"_s, u"org.example.Editor"_s}));
    QVERIFY(activate(gtk.firstLine()));
    QTRY_COMPARE_WITH_TIMEOUT(workspace.frontmostBundleID(), u"org.example.Editor"_s, 5000);

    HelperProcess plain;
    QVERIFY(plain.start(helperPath("velloq-test-window"), {u"keepassxc"_s, u"KeePassXC"_s}));
    QVERIFY(activate(plain.firstLine()));
    QTRY_COMPARE_WITH_TIMEOUT(workspace.frontmostBundleID(), u"KeePassXC"_s, 5000);
}

void X11WorkspaceTest::activationsAreReportedPerApplication() {
    X11Workspace workspace(std::make_shared<DesktopEntries>(QStringList{}));
    HelperProcess first;
    HelperProcess second;
    QVERIFY(first.start(helperPath("velloq-test-window"), {u"first"_s, u"First"_s}));
    QVERIFY(second.start(helperPath("velloq-test-window"), {u"second"_s, u"Second"_s}));
    QSignalSpy activations(&workspace, &X11Workspace::applicationActivated);
    QVERIFY(activate(first.firstLine()));
    QTRY_VERIFY_WITH_TIMEOUT(!activations.isEmpty() &&
                                 activations.last().first().value<std::optional<QString>>() ==
                                     u"First"_s,
                             5000);
    QVERIFY(activate(second.firstLine()));
    QTRY_VERIFY_WITH_TIMEOUT(
        activations.last().first().value<std::optional<QString>>() == u"Second"_s, 5000);
}

void X11WorkspaceTest::everyOtherActiveWindowIsReported() {
    X11Workspace workspace(std::make_shared<DesktopEntries>(QStringList{}));
    // Two windows of one application: this test's own.
    QWindow one;
    QWindow two;
    for (QWindow* window : {&one, &two}) {
        window->resize(200, 100);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    // Whichever the window manager put in front at mapping, start from two,
    // once the workspace has taken note of it (asking for the frontmost
    // application reads what is pending).
    const auto inFront = [&workspace](const QWindow& window) {
        workspace.frontmostBundleID();
        return workspace.activeWindow() == window.winId();
    };
    QVERIFY(activate(QByteArray::number(two.winId())));
    QTRY_VERIFY_WITH_TIMEOUT(inFront(two), 5000);
    QSignalSpy windows(&workspace, &X11Workspace::activeWindowChanged);
    QVERIFY(activate(QByteArray::number(one.winId())));
    QTRY_VERIFY_WITH_TIMEOUT(!windows.isEmpty() && workspace.activeWindow() == one.winId(), 5000);
    windows.clear();
    QSignalSpy applications(&workspace, &X11Workspace::applicationActivated);
    QVERIFY(activate(QByteArray::number(two.winId())));
    QTRY_VERIFY_WITH_TIMEOUT(!windows.isEmpty() && inFront(two), 5000);
    QVERIFY(applications.isEmpty());
}

void X11WorkspaceTest::watcherCapturesWithTheFrontmostApplication() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    X11Workspace workspace(std::make_shared<DesktopEntries>(QStringList{}));
    HelperProcess window;
    QVERIFY(window.start(helperPath("velloq-test-window"), {u"writer"_s, u"Writer"_s}));
    QVERIFY(activate(window.firstLine()));
    PasteboardWatcher watcher(
        std::make_shared<GeneralPasteboard>(QGuiApplication::clipboard(), x11->connection()),
        [&] { return workspace.frontmostBundleID(); }, [&] { return workspace.frontmostPID(); },
        0.05);
    QList<std::pair<ClipContent, std::optional<QString>>> captures;
    watcher.onCapture = [&](const ClipContent& content, const std::optional<QString>& id) {
        captures.append({content, id});
    };
    watcher.start();
    HelperProcess owner;
    QVERIFY(owner.start(helperPath("velloq-clipboard-owner"), {u"UTF8_STRING=copied text"_s}));
    QTRY_COMPARE_WITH_TIMEOUT(captures.size(), 1, 5000);
    QCOMPARE(captures[0].first, ClipContent(TextContent{u"copied text"_s}));
    QCOMPARE(captures[0].second, u"Writer"_s);
    QCOMPARE(watcher.lastOtherPID(), qint32(window.pid()));
    // A write of our own is never captured.
    QGuiApplication::clipboard()->setText(u"ours"_s);
    QTest::qWait(300);
    QCOMPARE(captures.size(), 1);
}

QTEST_MAIN(X11WorkspaceTest)
#include "X11WorkspaceTest.moc"
