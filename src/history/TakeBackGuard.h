#pragma once

#include "ClipStore.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <optional>

// Command-line password tools (keepassxc-cli clip, pass -c, gopass) copy a
// secret with no marker and take it back after a timeout: they empty the
// clipboard, whatever it holds by then, or copy again what was there
// before. So a copy of the shape they make, one short line of text, is kept
// in memory only for a while. Taken back meanwhile, it leaves the history
// without ever having been on disk; otherwise it is written like any other
// copy. Pinning or picking it writes it at once.
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
    // Another application left the clipboard holding empty text: every
    // copy still held is taken back.
    void emptied();
    // Velloq put this content on the clipboard for the user.
    void picked(const ClipContent& content);
    // Writes the copies whose time is up.
    void releaseDue();

    static bool isHeldShape(const ClipContent& content);

private:
    struct Held {
        QUuid id;
        double until = 0;
        // The text of the entry before it, which a tool copies back.
        QString previousText;
    };
    const Held* clipboardCopy() const;
    static bool restores(const ClipContent& content, const Held& held);
    void takeBack(const QUuid& id);
    QString newestText() const;
    void hold(const QUuid& id, double now, const QString& previousText);
    void schedule();

    ClipStore& m_store;
    Clock m_now;
    // In the order of their times.
    QList<Held> m_held;
    // The entry on the clipboard, as far as Velloq knows.
    std::optional<QUuid> m_onClipboard;
    QTimer m_timer;
};
