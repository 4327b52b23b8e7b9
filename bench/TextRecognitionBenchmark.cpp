// Cost of reading the text of one 1920×1080 screenshot: the helper's time
// and peak memory (its own process, so Velloq's figures stay as they were),
// for a picture full of text and for a photo-like one with almost none.

#include "BenchmarkPhoto.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A terminal or log window: 40 lines of small text, dark on light.
QByteArray textScreenshot() {
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(u"DejaVu Sans Mono"_s);
    font.setPixelSize(16);
    painter.setFont(font);
    for (int line = 0; line < 40; ++line)
        painter.drawText(20, 30 + line * 26,
                         u"%1 ERROR renderer: segmentation fault at 0x7f3a%2 in frame "
                         "composition, Rechnung Betrag %3 EUR"_s.arg(line)
                             .arg(line * 97, 4, 16, QChar(u'0'))
                             .arg(line * 13.5, 0, 'f', 2));
    painter.end();
    return encodedPng(image).value_or(QByteArray());
}

struct Run {
    double milliseconds = 0;
    double cpuMilliseconds = 0;
    long peakKilobytes = 0;
};

Run recognise(const QByteArray& helper, const QByteArray& picture) {
    char* arguments[] = {const_cast<char*>(helper.data()), const_cast<char*>(picture.data()),
                         const_cast<char*>("eng+deu"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    Run run;
    if (posix_spawn(&child, helper.data(), &actions, nullptr, arguments, environ) == 0) {
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const auto ms = [](const timeval& t) {
            return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
        };
        run = {double(timer.nsecsElapsed()) / 1e6, ms(usage.ru_utime) + ms(usage.ru_stime),
               usage.ru_maxrss};
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

void report(QTextStream& out, const QString& name, const QByteArray& helper, const QString& path) {
    std::vector<Run> runs;
    for (int i = 0; i < 5; ++i)
        runs.push_back(recognise(helper, path.toLocal8Bit()));
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.milliseconds < b.milliseconds; });
    const long peak = std::max_element(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
                          return a.peakKilobytes < b.peakKilobytes;
                      })->peakKilobytes;
    out << name << ": median " << runs[2].milliseconds << " ms (fastest " << runs[0].milliseconds
        << ", slowest " << runs[4].milliseconds << "), CPU " << runs[2].cpuMilliseconds
        << " ms, helper peak RSS " << peak / 1024 << " MiB\n";
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    // As TextRecognizer starts it.
    qputenv("OMP_THREAD_LIMIT", "1");
    QTextStream out(stdout);
    if (argc != 2) {
        out << "usage: TextRecognitionBenchmark PATH-OF-velloq-text-recognition\n";
        return 2;
    }
    QTemporaryDir folder;
    const QString text = folder.filePath(u"text.png"_s);
    const QString photo = folder.filePath(u"photo.png"_s);
    for (const auto& [path, bytes] :
         {std::pair{text, textScreenshot()}, std::pair{photo, benchmarkPhoto(3)}}) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    out << "Text recognition of one 1920×1080 screenshot (5 runs, one helper each):\n";
    report(out, u"text-heavy"_s, argv[1], text);
    report(out, u"photo-like"_s, argv[1], photo);
    return 0;
}
