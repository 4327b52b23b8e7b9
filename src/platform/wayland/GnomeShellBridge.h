#pragma once

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

// Velloq's GNOME Shell extension, seen from Velloq: on GNOME the Shell alone
// sees the clipboard and the focused window and can type, and the extension
// passes that on over the session bus. It answers only the process that owns
// Velloq's bus name, which this class takes for the running instance.
class GnomeShellBridge : public QObject {
    Q_OBJECT

public:
    static const QString velloqName;
    static const QString bridgeName;
    // What the user installs and turns on; printed in the instructions.
    static const QString extensionUuid;
    static constexpr int callTimeoutMs = 2000;

    // None when the extension does not answer on `bus` (not installed, not
    // turned on, or another Velloq holds the name). Waits up to a second
    // for the extension to see this process take Velloq's name.
    static std::unique_ptr<GnomeShellBridge> connect(QDBusConnection bus,
                                                     QObject* parent = nullptr);
    ~GnomeShellBridge() override;

    QString shellVersion() const { return m_shellVersion; }

    // The clipboard's serial and offered types when the bridge was reached.
    quint32 initialSerial() const { return m_initialSerial; }
    QStringList initialTypes() const { return m_initialTypes; }
    // One type of the clipboard as it was at `serial`, through a pipe; none
    // when a newer copy replaced it, the copy is marked secret, it is
    // larger than `maximumBytes`, or it is not all there by `deadline`.
    // Blocks the calling thread; callable from any thread.
    std::optional<QByteArray> read(quint32 serial, const QString& type, QDeadlineTimer deadline,
                                   qint64 maximumBytes) const;
    // Takes the clipboard for one type of a clip: the Shell serves one
    // type only for another program.
    void write(const QString& type, const QByteArray& data);

    // The focused window's application, and its process; cached from the
    // extension's reports.
    std::optional<QString> focusedAppId() const;
    qint32 focusedPid() const { return m_focusedPid; }

    // Control-V into the window that gets the keyboard once Velloq's own
    // has gone; answered by pasteFinished.
    void paste();
    // A GTK accelerator ("<Control><Shift>v"); the action its presses are
    // told with, or 0 when the Shell or another program holds it.
    quint32 grabShortcut(const QString& accelerator);
    void releaseShortcut(quint32 action);
    // The items of the top bar's menu: id, label (empty for a separator),
    // whether it can be picked.
    struct MenuItem {
        QString id;
        QString label;
        bool enabled = true;
    };
    void setMenu(const QList<MenuItem>& items);

Q_SIGNALS:
    void clipboardChanged(quint32 serial, const QStringList& types);
    void focusChanged(const std::optional<QString>& appId);
    void pasteFinished(bool typed);
    void shortcutActivated(quint32 action);
    void menuOpened();
    void menuItemActivated(const QString& id);
    // The extension came back (the Shell restarted, the extension was turned
    // off and on): what was grabbed and sent before is gone.
    void restarted();

private Q_SLOTS:
    // Slots, as QDBusConnection::connect requires.
    void handleClipboardChanged(quint32 serial, const QStringList& types);
    void handleFocusChanged(const QString& appId, qint32 pid);
    void handleShortcutActivated(quint32 action);
    void handleMenuOpened();
    void handleMenuItemActivated(const QString& id);

private:
    GnomeShellBridge(QDBusConnection bus, QObject* parent);
    bool greet();
    void subscribe(const QString& signal, const char* slot);
    QDBusMessage call(const QString& method, const QVariantList& arguments = {}) const;

    QDBusConnection m_bus;
    QString m_shellVersion;
    quint32 m_initialSerial = 0;
    QStringList m_initialTypes;
    QString m_focusedAppId;
    qint32 m_focusedPid = 0;
};
