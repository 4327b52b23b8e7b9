#pragma once

#include "ClipStore.h"

#include <QObject>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <optional>

// Command-line password tools (keepassxc-cli clip, pass -c, gopass) copy a
// secret with no marker and take it back after a timeout: they empty the
// clipboard or copy again what was there before. So the newest copy, when
// it has the shape they copy (one short line of text), is kept in memory
// only for a while. Taken back meanwhile, it leaves the history without
// ever having been on disk. Otherwise it is written like any other copy:
// when its time is up, or sooner once another copy replaces it, or it is
// pinned or picked, since then no tool can take it back.
class TakeBackGuard final : public QObject {
    Q_OBJECT

public:
    // The tools wait 10 s (keepassxc-cli) to 45 s (pass, gopass) by default;
    // the rest leaves them time to read and restore the earlier copy.
    static constexpr double holdSeconds = 50;
    // Longer text is not what these tools copy.
    static constexpr qsizetype longestHeldText = 256;

    // Seconds since 1970, as capture times are.
    using Clock = std::function<double()>;

    TakeBackGuard(ClipStore& store, Clock now, QObject* parent = nullptr);

    // Adds a copy from the clipboard to the history.
    void add(const ClipContent& content, const std::optional<QString>& sourceBundleID);
    // Another application left the clipboard holding empty text.
    void emptied();
    // Velloq put an entry on the clipboard for the user.
    void picked();
    // Writes the copy held when its time is up.
    void releaseDue();

    static bool isHeldShape(const ClipContent& content);

private:
    struct Held {
        QUuid id;
        double until = 0;
        // The text of the entry before it, which a tool copies back.
        QString previousText;
    };
    bool isTakeable() const;
    void takeBack();
    void releaseHeld();
    QString newestText() const;
    void hold(const QUuid& id, double now, const QString& previousText);

    ClipStore& m_store;
    Clock m_now;
    std::optional<Held> m_held;
    QTimer m_timer;
};
