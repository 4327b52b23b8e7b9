#include "platform/x11/OverviewPanel.h"

#include "history/ClipStore.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewPanelController.h"
#include "overview/widgets/ClipCardView.h"
#include "overview/widgets/OverviewGrid.h"
#include "overview/widgets/OverviewPreviewLayer.h"
#include "overview/widgets/OverviewView.h"
#include "paste/PasteServicing.h"
#include "style/GlassContainer.h"
#include "support/HelperProcess.h"
#include "support/TemporaryHistory.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace {

class RecordingPaste final : public PasteServicing {
public:
    QList<ClipItem> pasted;
    void paste(const ClipItem& item) override { pasted.append(item); }
};

bool xdotool(const QStringList& arguments) {
    return QProcess::execute(u"xdotool"_s, arguments) == 0;
}

bool xrandr(const QStringList& arguments) {
    return QProcess::execute(u"xrandr"_s, arguments) == 0;
}

QString activeWindow() {
    QProcess process;
    process.start(u"xdotool"_s, {u"getactivewindow"_s});
    process.waitForFinished();
    return QString::fromLatin1(process.readAllStandardOutput().trimmed());
}

// Where a window is on the screen (xdotool reports reparented windows
// shifted by their frame).
QRect windowGeometry(const QByteArray& window) {
    QProcess process;
    process.start(u"xwininfo"_s, {u"-id"_s, QString::fromLatin1(window)});
    process.waitForFinished();
    QHash<QString, int> values;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> pair = line.trimmed().split(':');
        if (pair.size() == 2)
            values.insert(QString::fromLatin1(pair[0]), pair[1].trimmed().toInt());
    }
    return {values.value(u"Absolute upper-left X"_s), values.value(u"Absolute upper-left Y"_s),
            values.value(u"Width"_s), values.value(u"Height"_s)};
}

QRgb screenPixel(const QPoint& where) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, where.x(), where.y(), 1, 1)
        .toImage()
        .pixel(0, 0);
}

bool isHalfOf(QRgb dimmed, QRgb colour) {
    const auto near = [](int value, int full) { return qAbs(value - full / 2) <= 1; };
    return near(qRed(dimmed), qRed(colour)) && near(qGreen(dimmed), qGreen(colour)) &&
           near(qBlue(dimmed), qBlue(colour));
}

} // namespace

// The overlay window on a real X server: it takes the keyboard without
// taking the focus, a quick reopening cancels a paste, a dragged card drops
// into another application, it opens on the screen under the pointer and
// closes when the user clicks on another screen or its keyboard grab ends,
// and shows the screen dimmed behind the cards, also once it has given its
// buffer back.
class OverviewPanelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void takesTheKeyboardNotTheFocus();
    void reopeningDuringThePasteFadeCancelsThePaste();
    void draggedCardDropsIntoAnotherWindow();
    void opensOnTheScreenUnderThePointerAndClosesOnAClickOnTheOther();
    void closesWhenItsKeyboardGrabIsTakenAway();
    void aCardMenuTakesTheKeysWhileItIsOpen();
    void dimsTheScreenBehindTheCards();
    void glassHoldsTheScreenOnlyWhileShown();

private:
    OverviewPanel* panel() const { return static_cast<OverviewPanel*>(m_controller->panel()); }

    std::unique_ptr<TemporaryHistory> m_history;
    std::unique_ptr<ClipStore> m_store;
    std::unique_ptr<OverviewModel> m_model;
    RecordingPaste m_paste;
    std::unique_ptr<OverviewPanelController> m_controller;
    HelperProcess m_target;
    bool m_compositing = false;
};

void OverviewPanelTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qApp->nativeInterface<QNativeInterface::QX11Application>())
        QFAIL("needs the X server that scripts/test starts (DISPLAY is not set)");
}

void OverviewPanelTest::init() {
    m_history = std::make_unique<TemporaryHistory>();
    m_store = std::make_unique<ClipStore>(m_history->path());
    for (int i = 1; i <= 4; ++i)
        m_store->add(textClip(u"dragged text %1"_s.arg(i)), std::nullopt, 1765000000 + i);
    m_model = std::make_unique<OverviewModel>(*m_store, 6);
    m_paste.pasted.clear();
    m_controller = std::make_unique<OverviewPanelController>(*m_model, m_paste);
    m_controller->makePanel = [this] {
        auto made = std::make_unique<OverviewPanel>(*m_model, [this] { return m_compositing; });
        made->view()->setDragEndedHandler([this] { m_controller->dragEnded(); });
        return made;
    };
    m_controller->screenFrameUnderPointer = [] {
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        return (screen ? screen : QGuiApplication::primaryScreen())->geometry();
    };
    QVERIFY(m_target.start(helperPath("velloq-paste-target"), {}));
    QVERIFY(xdotool({u"windowactivate"_s, u"--sync"_s, QString::fromLatin1(m_target.firstLine())}));
}

void OverviewPanelTest::cleanup() {
    m_controller.reset();
    m_model.reset();
    m_target.stop();
}

void OverviewPanelTest::takesTheKeyboardNotTheFocus() {
    const QString before = QString::fromLatin1(m_target.firstLine());
    // The window manager may still be announcing the activation.
    QTRY_COMPARE(activeWindow(), before);
    m_controller->show();
    QTRY_VERIFY(panel()->holdsKeyboard());
    QVERIFY(panel()->isVisible());
    QCOMPARE(activeWindow(), before);
    QVERIFY(xdotool({u"type"_s, u"text 3"_s}));
    QTRY_COMPARE(m_model->query(), u"text 3"_s);
    QVERIFY(xdotool({u"key"_s, u"Return"_s}));
    QTRY_COMPARE(m_paste.pasted.size(), 1);
    QCOMPARE(searchText(m_paste.pasted.first().content), u"dragged text 3"_s);
    QVERIFY(!panel()->isVisible());
    QVERIFY(!panel()->holdsKeyboard());
    QCOMPARE(activeWindow(), before);
}

void OverviewPanelTest::reopeningDuringThePasteFadeCancelsThePaste() {
    m_controller->show();
    QTRY_VERIFY(panel()->holdsKeyboard());
    QVERIFY(xdotool({u"key"_s, u"1"_s}));
    QTRY_VERIFY(m_controller->isHiding());
    m_controller->toggle();
    QTest::qWait(OverviewPanelController::pasteFadeOutMilliseconds +
                 3 * OverviewPanelController::pasteDelayMilliseconds);
    QVERIFY(m_paste.pasted.isEmpty());
    QVERIFY(panel()->isVisible());
    QTRY_VERIFY(panel()->holdsKeyboard());
}

void OverviewPanelTest::draggedCardDropsIntoAnotherWindow() {
    const QRect field = windowGeometry(m_target.firstLine());
    QVERIFY(field.isValid());
    m_controller->show();
    QTRY_VERIFY(panel()->holdsKeyboard());
    OverviewGrid* grid = panel()->view()->grid();
    QTRY_VERIFY(grid->cardAt(2) && grid->cardAt(2)->isVisible());
    const QPoint card = grid->mapToGlobal(grid->cellRect(2).center().toPoint());
    const QPoint drop = field.center();
    const auto at = [](const QPoint& point) {
        return QStringList{u"mousemove"_s, QString::number(point.x()), QString::number(point.y())};
    };
    // Runs while the drag's own event loop turns here.
    QProcess gesture;
    QStringList steps = at(card) + QStringList{u"sleep"_s, u"0.2"_s, u"mousedown"_s, u"1"_s};
    for (int step = 1; step <= 4; ++step)
        steps += at(card + QPoint(8 * step, 8 * step)) + QStringList{u"sleep"_s, u"0.05"_s};
    steps += at(drop) + QStringList{u"sleep"_s, u"0.3"_s} + at(drop + QPoint(2, 1)) +
             QStringList{u"sleep"_s, u"0.3"_s, u"mouseup"_s, u"1"_s};
    gesture.start(u"xdotool"_s, steps);
    QTRY_VERIFY_WITH_TIMEOUT(m_controller->isDragging(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!panel()->isVisible(), 10000);
    QVERIFY(gesture.state() == QProcess::NotRunning || gesture.waitForFinished());
    QByteArray received;
    const auto dropped = [&] {
        received += m_target.process().readAllStandardOutput();
        return received.contains("text: dragged text 2");
    };
    QTRY_VERIFY2(dropped(), received.constData());
    QVERIFY(!m_controller->isDragging());
    QVERIFY(m_paste.pasted.isEmpty());
}

void OverviewPanelTest::opensOnTheScreenUnderThePointerAndClosesOnAClickOnTheOther() {
    const QRect whole = QGuiApplication::primaryScreen()->geometry();
    const int half = whole.width() / 2;
    const auto monitor = [&](int left) {
        return u"%1/254x%2/286+%3+0"_s.arg(half).arg(whole.height()).arg(left);
    };
    QVERIFY(xrandr({u"--setmonitor"_s, u"velloq-left"_s, monitor(0), u"screen"_s}));
    QVERIFY(xrandr({u"--setmonitor"_s, u"velloq-right"_s, monitor(half), u"none"_s}));
    const auto restore = qScopeGuard([] {
        xrandr({u"--delmonitor"_s, u"velloq-right"_s});
        xrandr({u"--delmonitor"_s, u"velloq-left"_s});
    });
    QTRY_COMPARE(QGuiApplication::screens().size(), 2);
    QVERIFY(xdotool({u"mousemove"_s, QString::number(half + 100), u"300"_s}));
    QTRY_COMPARE(QCursor::pos(), QPoint(half + 100, 300));
    m_controller->show();
    QTRY_VERIFY(panel()->holdsKeyboard());
    QCOMPARE(panel()->geometry(), QRect(half, 0, half, whole.height()));
    m_controller->hide(0);
    QVERIFY(xdotool({u"mousemove"_s, u"100"_s, u"300"_s}));
    QTRY_COMPARE(QCursor::pos(), QPoint(100, 300));
    m_controller->show();
    QCOMPARE(panel()->geometry(), QRect(0, 0, half, whole.height()));
    QTRY_VERIFY(panel()->holdsKeyboard());

    // A click on the other screen, into the window that is active already:
    // the window manager reports no change, yet the user turned away.
    QVERIFY(xdotool({u"mousemove"_s, QString::number(half + 100), u"300"_s, u"click"_s, u"1"_s}));
    QTRY_VERIFY(!panel()->isOrderedIn());
}

void OverviewPanelTest::closesWhenItsKeyboardGrabIsTakenAway() {
    m_controller->show();
    QTRY_VERIFY(panel()->holdsKeyboard());
    // Ended behind Qt's back, as when the X server ends it.
    xcb_connection_t* connection =
        qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
    xcb_flush(connection);
    QTRY_VERIFY(!panel()->isOrderedIn());
    QVERIFY(!panel()->holdsKeyboard());
}

void OverviewPanelTest::aCardMenuTakesTheKeysWhileItIsOpen() {
    m_controller->show();
    QTRY_VERIFY(panel()->holdsKeyboard());
    OverviewGrid* grid = panel()->view()->grid();
    QTRY_VERIFY(grid->cardAt(1) && grid->cardAt(1)->isVisible());
    const QPoint card = grid->cardAt(1)->mapToGlobal(grid->cardAt(1)->rect().center());
    // The menu runs an event loop of its own: Escape is pressed from there.
    bool menuOpened = false;
    QTimer pressEscape;
    connect(&pressEscape, &QTimer::timeout, this, [&] {
        if (!QApplication::activePopupWidget())
            return;
        menuOpened = true;
        pressEscape.stop();
        xdotool({u"key"_s, u"Escape"_s});
    });
    pressEscape.start(20);
    QVERIFY(xdotool({u"mousemove"_s, QString::number(card.x()), QString::number(card.y()),
                     u"click"_s, u"3"_s}));
    // Escape closes the menu, not the overlay, which has the keys again.
    QTRY_VERIFY(menuOpened && !QApplication::activePopupWidget());
    QVERIFY(xdotool({u"type"_s, u"text 2"_s}));
    QTRY_COMPARE(m_model->query(), u"text 2"_s);
    QVERIFY(panel()->isOrderedIn());
}

void OverviewPanelTest::dimsTheScreenBehindTheCards() {
    QVERIFY(QProcess::execute(u"xsetroot"_s, {u"-solid"_s, u"#d08a46"_s}) == 0);
    const auto restore = qScopeGuard([] { QProcess::execute(u"xsetroot"_s, {u"-def"_s}); });
    // A corner no card or bar covers.
    const QPoint corner = QGuiApplication::primaryScreen()->geometry().bottomLeft() + QPoint(2, -2);
    const QRgb screen = screenPixel(corner);
    QVERIFY(qRed(screen) > 100);
    for (const bool bufferGivenBack : {false, true}) {
        m_controller->show();
        QTRY_VERIFY(panel()->holdsKeyboard());
        QTRY_VERIFY2(isHalfOf(screenPixel(corner), screen),
                     qPrintable(QString::number(screenPixel(corner), 16)));
        m_controller->hide(0);
        QTRY_COMPARE(screenPixel(corner), screen);
        if (!bufferGivenBack)
            panel()->releaseBuffer();
    }
}

void OverviewPanelTest::glassHoldsTheScreenOnlyWhileShown() {
    // With a compositor the window shows the live screen, but the glass
    // still needs a picture of it to blur.
    for (const bool compositing : {false, true}) {
        m_compositing = compositing;
        m_controller->show();
        QTRY_VERIFY(panel()->holdsKeyboard());
        const GlassContainer* glass = panel()->view()->glass();
        const GlassContainer* previewGlass = panel()->view()->previewLayer()->glass();
        QTRY_VERIFY(glass->hasBackdrop());
        m_model->togglePreview();
        QTRY_VERIFY(previewGlass->hasBackdrop());
        m_controller->hide(0);
        QTRY_VERIFY(!panel()->isOrderedIn());
        QVERIFY(!glass->hasBackdrop());
        QVERIFY(!previewGlass->hasBackdrop());
    }
}

QTEST_MAIN(OverviewPanelTest)
#include "OverviewPanelTest.moc"
