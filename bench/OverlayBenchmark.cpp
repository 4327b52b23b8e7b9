// Opening the card overlay on a real X server, with or without a compositing
// manager, or on a Wayland compositor ($WAYLAND_DISPLAY): the time from
// toggle() to the first frame of the overlay painted and sent to the server
// (screen capture and its blur included), over 20 openings in a row
// and 20 after a pause (on X11 the window's buffer given back), and the
// memory of the process after each, so that a kept screen capture would
// show. Also the blur of one screenful on its own.
// History: 200 pinned 1 KB texts and 27 recent clips, 20 of them
// 1920×1080 pictures.

#include "BenchmarkPhoto.h"
#include "capture/ClipClassification.h"
#include "history/ClipStore.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewPanelController.h"
#include "overview/widgets/CardImages.h"
#include "overview/widgets/ClipCardView.h"
#include "overview/widgets/OverviewGrid.h"
#include "overview/widgets/OverviewView.h"
#include "paste/PasteServicing.h"
#include "platform/wayland/WaylandOverviewPanel.h"
#include "platform/wayland/WaylandScreenCapture.h"
#include "platform/x11/OverviewPanel.h"
#include "platform/x11/X11Compositing.h"
#include "style/BackdropBlur.h"
#include "style/GlassContainer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>
#include <qguiapplication_platform.h>

#include <algorithm>
#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int openings = 20;

class NoPaste final : public PasteServicing {
public:
    void paste(const ClipItem&) override {}
};

void fill(ClipStore& store) {
    store.setLimit(27);
    double time = 1765000000;
    for (int i = 0; i < 200; ++i) {
        store.add(TextContent{u"pinned note %1 "_s.arg(i).repeated(60).left(1024)}, std::nullopt,
                  ++time);
        store.setPinned(true, store.items().last().id);
    }
    for (int i = 0; i < 27; ++i) {
        if (i % 4 == 3)
            store.add(TextContent{u"recent text %1"_s.arg(i)}, std::nullopt, ++time);
        else
            store.add(ImageContent{benchmarkPhoto(i)}, std::nullopt, ++time);
    }
}

qint64 residentKilobytes() {
    QFile status(u"/proc/self/statm"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4 : 0;
}

// Waits until the X server has handled every request sent so far; a
// Wayland frame counts once it is committed.
void roundTrip() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return;
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// The two overlay windows, as far as the measurement needs them.
struct Panel {
    OverviewView* view = nullptr;
    std::function<void()>* onPainted = nullptr;
    std::function<void()> warmUp = [] {};
    std::function<void()> releaseBuffer = [] {};
};

std::unique_ptr<OverviewPanelSurface> makePanel(OverviewModel& model, Panel& panel) {
    if (QGuiApplication::platformName() == "wayland"_L1) {
        auto made = std::make_unique<WaylandOverviewPanel>(model);
        made->setScreenCapture(WaylandScreenCapture::create());
        WaylandOverviewPanel* window = made.get();
        panel = {made->view(), &made->onPainted, [window] { window->warmUp(); }};
        return made;
    }
    auto made = std::make_unique<OverviewPanel>(model, [] {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        return compositingManagerRuns(x11->connection(), 0);
    });
    OverviewPanel* window = made.get();
    panel = {made->view(), &made->onPainted, [window] { window->warmUp(); },
             [window] { window->releaseBuffer(); }};
    return made;
}

// A person opens the overlay seconds after start-up, and again after a
// while: let the X server and the event loop come to rest in between.
void settle(const OverviewPanelController& controller) {
    QElapsedTimer rest;
    rest.start();
    while (rest.elapsed() < 400 || controller.isHiding())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

double openOnce(OverviewPanelController& controller, Panel& panel) {
    bool painted = false;
    *panel.onPainted = [&painted] { painted = true; };
    QElapsedTimer timer;
    timer.start();
    controller.toggle();
    while (!painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The paint event returns before the backing store is flushed; the
    // flush is part of the same event.
    QCoreApplication::processEvents();
    roundTrip();
    const double milliseconds = double(timer.nsecsElapsed()) / 1e6;
    *panel.onPainted = {};
    return milliseconds;
}

QString platformName() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return QGuiApplication::platformName();
    return compositingManagerRuns(x11->connection(), 0) ? u"xcb, compositing"_s : u"xcb"_s;
}

// What the glass does to each capture: shrink and blur a screenful.
void measureBlur(QTextStream& out) {
    QImage screen(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&screen);
    painter.drawImage(screen.rect(), QImage::fromData(benchmarkPhoto(0)));
    painter.end();
    QList<double> times;
    for (int i = 0; i < openings; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QImage blurred = BackdropBlur::blurred(screen, GlassContainer::shrinkFactor,
                                                     GlassContainer::blurRadius, 0.5);
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    out << "blur of a 1920×1080 screen (ms): median "
        << QString::number(times[openings / 2], 'f', 1) << ", worst "
        << QString::number(times.last(), 'f', 1) << '\n';
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (!app.nativeInterface<QNativeInterface::QX11Application>() &&
        QGuiApplication::platformName() != "wayland"_L1) {
        QTextStream(stderr) << "OverlayBenchmark needs an X server or a Wayland compositor\n";
        return 1;
    }
    QTemporaryDir folder;
    ClipStore store(folder.path());
    fill(store);
    OverviewModel model(store, 6);
    NoPaste paste;
    OverviewPanelController controller(model, paste);
    Panel panel;
    controller.makePanel = [&] { return makePanel(model, panel); };
    controller.screenFrameUnderPointer = [] {
        return std::optional(QGuiApplication::primaryScreen()->geometry());
    };
    // What the application does after start-up.
    controller.preparePanel();
    waitForCardImagePrefetch();
    panel.warmUp();
    settle(controller);

    QTextStream out(stdout);
    qint64 memoryAfterFirst = 0;
    qint64 memoryAfterLast = 0;
    // Opened again within seconds, the window's buffer is still there;
    // after a pause it is made again.
    for (const bool afterPause : {false, true}) {
        QList<double> times;
        for (int i = 0; i < openings; ++i) {
            if (afterPause)
                panel.releaseBuffer();
            times.append(openOnce(controller, panel));
            controller.hide(0);
            settle(controller);
            if (i == 0 && !afterPause)
                memoryAfterFirst = residentKilobytes();
        }
        if (!afterPause)
            memoryAfterLast = residentKilobytes();
        QList<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        out << "overlay open to first frame (" << platformName() << "), " << openings
            << (afterPause ? " openings after a pause" : " openings in a row") << " (ms): median "
            << QString::number(sorted[sorted.size() / 2], 'f', 1) << ", worst "
            << QString::number(sorted.last(), 'f', 1) << ", first "
            << QString::number(times.first(), 'f', 1) << '\n';
    }
    // The figures only count with the cards drawn.
    openOnce(controller, panel);
    const QList<ClipCardView*> cards = panel.view->grid()->findChildren<ClipCardView*>();
    const auto shown = std::count_if(cards.cbegin(), cards.cend(),
                                     [](const ClipCardView* card) { return card->isVisible(); });
    out << "resident memory after the first opening " << memoryAfterFirst / 1024
        << " MB, after the last " << memoryAfterLast / 1024 << " MB (change "
        << (memoryAfterLast - memoryAfterFirst) << " KB)\n";
    out << "cards on screen: " << shown << '\n';
    measureBlur(out);
    return 0;
}
