#pragma once

#include "X11ClipboardReader.h"
#include "capture/PasteboardReading.h"

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>

class QClipboard;

// The X11 CLIPBOARD selection as the watcher sees it. Other clients' data is
// read on a private connection (never through QClipboard, which blocks the
// main thread for seconds per format when an owner does not answer), within
// one budget of `readBudgetMs` for everything one copy needs.
class GeneralPasteboard final : public QObject, public PasteboardReading {
    Q_OBJECT

public:
    static constexpr int readBudgetMs = 1000;

    // `clipboard` is the application's own, whose writes count as changes at
    // once; `qtConnection` is Qt's X connection, whose ownership changes are
    // therefore not counted a second time. Either may be null.
    GeneralPasteboard(QClipboard* clipboard, xcb_connection_t* qtConnection,
                      QObject* parent = nullptr);

    qint64 changeCount() override;
    bool isConcealedOrTransient() override;
    PasteboardSnapshot snapshot() override;
    void setMaximumBytes(qint64 bytes) override { m_maximumBytes = bytes; }

    // The marker targets: the owner says the content is secret or fleeting.
    static bool hasMarker(const QByteArrayList& targets);

private:
    const QByteArrayList& currentTargets();
    std::optional<QByteArray> readFirst(const QByteArrayList& candidates);
    std::optional<QString> readText();
    std::optional<QByteArray> readOtherImage(bool pngFound);
    void readURLs(PasteboardSnapshot& snapshot);

    X11ClipboardReader m_reader;
    qint64 m_maximumBytes = X11ClipboardReader::maximumBytes;
    QPointer<QClipboard> m_clipboard;
    qint64 m_ownWrites = 0;
    std::optional<qint64> m_targetsChangeCount;
    QByteArrayList m_targets;
    QDeadlineTimer m_deadline;
};
