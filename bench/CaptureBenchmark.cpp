// Capture cost per copy under a real X server: the time of the watcher's
// tick that sees a new copy, up to the capture handler, for copies of
// several sizes offered by a separate owner process; and the cost of a tick
// that finds nothing new. Prints one line per case.

#include "capture/PasteboardWatcher.h"
#include "platform/x11/GeneralPasteboard.h"
#include "platform/x11/X11Workspace.h"
#include "platform/xdg/DesktopEntries.h"

#include <QBuffer>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <qguiapplication_platform.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QByteArray randomPng(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    auto* generator = QRandomGenerator::global();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = (x * 3 + y * 5) % 256 < 128 ? 0xff204080u : generator->generate();
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

struct Case {
    QString name;
    QString target;
    QByteArray bytes;
};

// Median time from the noticing tick to the capture over `rounds` copies of the same size.
double captureMilliseconds(PasteboardWatcher& watcher, GeneralPasteboard& pasteboard,
                           const Case& test, const QString& owner, int rounds) {
    QTemporaryDir dir;
    QList<double> times;
    for (int round = 0; round < rounds; ++round) {
        QByteArray bytes = test.bytes;
        bytes.append(QByteArray::number(round)); // a new clip every round
        const QString path = dir.filePath(u"data"_s);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.close();
        QProcess process;
        process.start(owner, {test.target + u"=@"_s + path});
        process.waitForReadyRead(5000);
        const qint64 before = watcher.lastChangeCount();
        while (pasteboard.changeCount() == before)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        bool captured = false;
        watcher.onCapture = [&](const ClipContent&, const std::optional<QString>&) {
            captured = true;
        };
        QElapsedTimer timer;
        timer.start();
        watcher.handleTick();
        // The read runs on its own thread; the capture arrives through the event loop.
        QDeadlineTimer deadline(5000);
        while (!captured && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        times.append(double(timer.nsecsElapsed()) / 1e6);
        if (!captured)
            QTextStream(stderr) << test.name << ": nothing captured\n";
        process.terminate();
        process.waitForFinished(3000);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QString owner =
        QCoreApplication::applicationDirPath() + "/../tests/velloq-clipboard-owner"_L1;
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) {
        QTextStream(stderr) << "CaptureBenchmark needs an X server (DISPLAY)\n";
        return 1;
    }
    auto pasteboard = std::make_shared<GeneralPasteboard>(app.clipboard(), x11->connection());
    X11Workspace workspace(std::make_shared<DesktopEntries>());
    PasteboardWatcher watcher(
        pasteboard, [&] { return workspace.frontmostBundleID(); },
        [&] { return workspace.frontmostPID(); }, 0.5);
    QTextStream out(stdout);
    const QList<Case> cases{
        {u"text 1 KB"_s, u"UTF8_STRING"_s, QByteArray(1024, 'a')},
        {u"text 5 MB"_s, u"UTF8_STRING"_s, QByteArray(5 * 1024 * 1024, 'b')},
        {u"PNG 1920x1080"_s, u"image/png"_s, randomPng(1920, 1080)},
    };
    for (const Case& test : cases) {
        const double ms = captureMilliseconds(watcher, *pasteboard, test, owner, 7);
        out << "capture " << test.name << " (" << test.bytes.size() / 1024 << " KB): " << ms
            << " ms (median of 7)\n";
    }
    constexpr int idleTicks = 2000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < idleTicks; ++i)
        watcher.handleTick();
    out << "idle tick: " << double(timer.nsecsElapsed()) / idleTicks / 1000.0 << " µs (mean of "
        << idleTicks << ")\n";
    return 0;
}
