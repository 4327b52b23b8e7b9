#pragma once

#include <QDBusConnection>
#include <QObject>

#include <optional>

class QDBusPendingCallWatcher;
class QDBusVariant;

// The desktop's light or dark wish, the freedesktop appearance setting
// `color-scheme` that GNOME and KDE publish through the desktop portal, read
// without waiting and followed while Velloq runs.
class DesktopColorScheme : public QObject {
    Q_OBJECT

public:
    // Whether the desktop prefers dark; none for no preference.
    using Preference = std::optional<bool>;

    explicit DesktopColorScheme(QDBusConnection bus = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);

    // None until the portal has answered, and where there is no portal.
    Preference preference() const { return m_preference; }

    // The setting's value: 1 prefers dark, 2 prefers light, anything else
    // (0, no preference, or a value of another type) none.
    static Preference fromSetting(const QVariant& value);

Q_SIGNALS:
    void changed(std::optional<bool> prefersDark);

private Q_SLOTS:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void read(const QString& method);
    void answered(QDBusPendingCallWatcher* watcher, const QString& method);
    void take(Preference preference);

    QDBusConnection m_bus;
    Preference m_preference;
    // A change signalled before the first reading answered is the newer.
    bool m_heardChange = false;
};
