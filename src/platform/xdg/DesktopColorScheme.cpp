#include "DesktopColorScheme.h"

#include "DesktopPortal.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

using namespace Qt::StringLiterals;

namespace {

const QString settingsInterface = u"org.freedesktop.portal.Settings"_s;
const QString appearanceGroup = u"org.freedesktop.appearance"_s;
const QString colorSchemeKey = u"color-scheme"_s;

// Read answers a variant holding the variant; ReadOne the variant itself.
QVariant unwrapped(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

DesktopColorScheme::DesktopColorScheme(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    if (!m_bus.isConnected())
        return;
    // Subscribed by the portal's name: signals of any other program on the
    // bus do not reach the slot.
    // The slot is found by its signature's type names, which Qt D-Bus
    // knows only once something has used them: register the one it needs.
    qRegisterMetaType<QDBusVariant>();
    m_bus.connect(DesktopPortal::service, DesktopPortal::path, settingsInterface,
                  u"SettingChanged"_s, this, SLOT(settingChanged(QString, QString, QDBusVariant)));
    read(u"ReadOne"_s);
}

DesktopColorScheme::Preference DesktopColorScheme::fromSetting(const QVariant& value) {
    const QVariant setting = unwrapped(value);
    if (setting.userType() != QMetaType::UInt)
        return std::nullopt;
    switch (setting.toUInt()) {
    case 1:
        return true;
    case 2:
        return false;
    default:
        return std::nullopt;
    }
}

// Asynchronous: the bus may have to start the portal first, which takes
// seconds, and nothing of the start-up waits for it.
void DesktopColorScheme::read(const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(DesktopPortal::service, DesktopPortal::path,
                                                       settingsInterface, method);
    call << appearanceGroup << colorSchemeKey;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher* finished) { answered(finished, method); });
}

void DesktopColorScheme::answered(QDBusPendingCallWatcher* watcher, const QString& method) {
    watcher->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *watcher;
    // Portals before version 2 have only Read.
    if (reply.isError() && method == u"ReadOne"_s &&
        reply.error().type() == QDBusError::UnknownMethod) {
        read(u"Read"_s);
        return;
    }
    if (reply.isError() || m_heardChange)
        return;
    take(fromSetting(reply.value().variant()));
}

void DesktopColorScheme::settingChanged(const QString& group, const QString& key,
                                        const QDBusVariant& value) {
    if (group != appearanceGroup || key != colorSchemeKey)
        return;
    m_heardChange = true;
    take(fromSetting(value.variant()));
}

void DesktopColorScheme::take(Preference preference) {
    if (preference == m_preference)
        return;
    m_preference = preference;
    Q_EMIT changed(preference);
}
