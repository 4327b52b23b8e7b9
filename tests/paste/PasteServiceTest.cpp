#include "paste/PasteService.h"

#include "capture/PasteboardWatcher.h"
#include "support/FakePasteboard.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Records every platform call in order.
struct Recorder {
    PasteService::Platform platform() {
        return {
            [this](const ClipContent& content) {
                calls << u"write"_s;
                pasteboard->copy(textSnapshot(searchText(content)));
            },
            [this] {
                calls << u"changeCount"_s;
                return pasteboard->changeCount();
            },
            [this] {
                calls << u"hasAccess"_s;
                return access;
            },
            [this] { calls << u"requestAccess"_s; },
            [this] {
                calls << u"targetPID"_s;
                return target;
            },
            [this](qint32 pid) { calls << u"sendCommandV %1"_s.arg(pid); },
        };
    }

    std::shared_ptr<FakePasteboard> pasteboard = std::make_shared<FakePasteboard>();
    bool access = true;
    std::optional<qint32> target = 321;
    QStringList calls;
};

const ClipItem item{QUuid::createUuid(), 1, std::nullopt, TextContent{u"picked"_s}, false};

} // namespace

class PasteServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void platformCallsInOrder();
    void ownWriteIsNotCapturedAgain();
};

void PasteServiceTest::platformCallsInOrder() {
    const auto callsOf = [](bool access, std::optional<qint32> target, bool listener) {
        Recorder r;
        r.access = access;
        r.target = target;
        PasteService service(r.platform());
        if (listener)
            service.onPasteboardWritten = [](qint64) {};
        service.paste(item);
        return r.calls;
    };
    // Without a listener the counter is not even read.
    QCOMPARE(callsOf(true, 321, false),
             QStringList({u"write"_s, u"hasAccess"_s, u"targetPID"_s, u"sendCommandV 321"_s}));
    // Without access it only asks; without a target it only writes.
    QCOMPARE(callsOf(false, 321, true),
             QStringList({u"write"_s, u"changeCount"_s, u"hasAccess"_s, u"requestAccess"_s}));
    QCOMPARE(callsOf(true, std::nullopt, false),
             QStringList({u"write"_s, u"hasAccess"_s, u"targetPID"_s}));
}

void PasteServiceTest::ownWriteIsNotCapturedAgain() {
    Recorder r;
    PasteboardWatcher watcher(
        r.pasteboard, [] { return std::optional<QString>(); },
        [] { return std::optional<qint32>(); }, 0.5);
    int captures = 0;
    watcher.onCapture = [&](const ClipContent&, const std::optional<QString>&) { ++captures; };
    PasteService service(r.platform());
    service.onPasteboardWritten = [&watcher](qint64 count) { watcher.setLastChangeCount(count); };
    service.paste(item);
    QCOMPARE(r.pasteboard->contents.string, u"picked"_s);
    watcher.handleTick();
    QCOMPARE(captures, 0);
    service.copy(TextContent{u"copied"_s});
    watcher.handleTick();
    QCOMPARE(captures, 0);
    r.pasteboard->copy(textSnapshot(u"someone else"_s));
    watcher.handleTick();
    QCOMPARE(captures, 1);
}

QTEST_GUILESS_MAIN(PasteServiceTest)
#include "PasteServiceTest.moc"
