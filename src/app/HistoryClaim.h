#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>

// A launch's hold on its history folder, taken before the desktop is even
// connected: from then on a command started meanwhile finds a Velloq that
// is starting (and waits for it) rather than none.
class HistoryClaim {
public:
    // Takes the folder's lock, waiting a moment for a history command that
    // holds it. When another Velloq holds it, the launch is handed to that
    // one instead.
    explicit HistoryClaim(const QStringList& arguments);
    ~HistoryClaim();
    HistoryClaim(const HistoryClaim&) = delete;
    HistoryClaim& operator=(const HistoryClaim&) = delete;

    bool isHeld() const { return m_lock || m_handedOver; }
    // The launch's exit code when the claim is not held: 0 when the running
    // Velloq took the launch over.
    int exitCode() const { return m_exitCode; }
    QString directory() const { return m_directory; }

private:
    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    // Taken by the `velloq` command before it became this process.
    bool m_handedOver = false;
    int m_exitCode = 0;
};
