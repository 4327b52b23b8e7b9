#pragma once

#include "KeyboardShortcuts/HotKeyRegistering.h"

#include <QMap>
#include <QObject>
#include <QString>

#include <optional>

class GnomeShellBridge;

// Global shortcuts on GNOME, grabbed by Velloq's Shell extension: the Shell
// lets no other client grab keys. The Shell tells of presses only, so each
// press is passed on as a press and its release.
class GnomeShellHotKeys : public QObject, public KeyboardShortcuts::HotKeyRegistering {
    Q_OBJECT

public:
    // `bridge` must outlive this.
    explicit GnomeShellHotKeys(GnomeShellBridge& bridge, QObject* parent = nullptr);
    ~GnomeShellHotKeys() override;

    // Refused for Fn, for a key without a name and for a combination the
    // Shell or another program holds.
    bool registerHotKey(quint32 id, quint32 carbonKeyCode, quint32 carbonModifiers) override;
    void unregisterHotKey(quint32 id) override;

    // The GTK accelerator of a shortcut in the portal's trigger format:
    // "CTRL+SHIFT+v" is "<Control><Shift>v".
    static std::optional<QString> accelerator(quint32 carbonKeyCode, quint32 carbonModifiers);

private:
    struct Grab {
        quint32 action = 0;
        QString accelerator;
    };
    void grabAgain();

    GnomeShellBridge& m_bridge;
    // By shortcut id.
    QMap<quint32, Grab> m_grabs;
};
