#include "platform/xdg/DesktopColorScheme.h"

#include "style/Appearance.h"
#include "support/PrivateBus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString portalPath = u"/org/freedesktop/portal/desktop"_s;
const QString settingsInterface = u"org.freedesktop.portal.Settings"_s;

} // namespace

// The portal's Settings interface with one setting; `onlyRead` makes it a
// portal of version 1, which answers Read with the value in a second variant.
class FakeSettings : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    uint colorScheme = 0;
    bool onlyRead = false;

public Q_SLOTS:
    QDBusVariant ReadOne(const QString& group, const QString& key) {
        if (onlyRead)
            sendErrorReply(QDBusError::UnknownMethod, u"No such method"_s);
        return value(group, key);
    }
    QDBusVariant Read(const QString& group, const QString& key) {
        return QDBusVariant(QVariant::fromValue(value(group, key)));
    }

private:
    QDBusVariant value(const QString& group, const QString& key) {
        if (group != u"org.freedesktop.appearance"_s || key != u"color-scheme"_s)
            sendErrorReply(u"org.freedesktop.portal.Error.NotFound"_s, u"Not found"_s);
        return QDBusVariant(colorScheme);
    }
};

// "Automatic" follows the desktop's colour scheme from the settings portal,
// read without waiting and followed while running; only the portal itself
// can change it.
class DesktopColorSchemeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void automaticFollowsThePortal();
    void anOlderPortalAndNoPortalAreUnderstood();

private:
    // Publishes the fake as the portal, on a connection of its own.
    void startPortal(FakeSettings& settings, const QString& connection);
    void signalChange(const QString& connection, const QString& group, const QString& key,
                      uint value);

    PrivateBus m_bus;
    QDBusConnection m_client{QString()};
};

void DesktopColorSchemeTest::initTestCase() {
    QVERIFY2(m_bus.start(), qPrintable(m_bus.error()));
    m_client = QDBusConnection::connectToBus(m_bus.address(), u"client"_s);
    QVERIFY(m_client.isConnected());
}

void DesktopColorSchemeTest::startPortal(FakeSettings& settings, const QString& connection) {
    QDBusConnection bus = QDBusConnection::connectToBus(m_bus.address(), connection);
    QVERIFY(bus.registerObject(portalPath, &settings, QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(u"org.freedesktop.portal.Desktop"_s));
}

void DesktopColorSchemeTest::signalChange(const QString& connection, const QString& group,
                                          const QString& key, uint value) {
    QDBusMessage signal =
        QDBusMessage::createSignal(portalPath, settingsInterface, u"SettingChanged"_s);
    signal << group << key << QVariant::fromValue(QDBusVariant(value));
    QVERIFY(QDBusConnection(connection).send(signal));
}

void DesktopColorSchemeTest::automaticFollowsThePortal() {
    FakeSettings settings;
    settings.colorScheme = 1;
    startPortal(settings, u"portal"_s);
    // Qt's own light palette stands for the desktop's here.
    const QColor desktop = QApplication::palette().color(QPalette::Window);
    Appearance appearance;
    appearance.apply(AppAppearance::automatic);
    DesktopColorScheme scheme(m_client);
    connect(&scheme, &DesktopColorScheme::changed, this,
            [&appearance](std::optional<bool> dark) { appearance.setDesktopPreference(dark); });
    QVERIFY(!scheme.preference()); // asked, not waited for
    const auto window = [] { return QApplication::palette().color(QPalette::Window); };
    const QColor dark = Appearance::darkPalette().color(QPalette::Window);
    QTRY_COMPARE(window(), dark);

    signalChange(u"portal"_s, u"org.freedesktop.appearance"_s, u"color-scheme"_s, 2);
    QTRY_COMPARE(scheme.preference(), std::optional<bool>(false));
    // Another setting, and the same one from another program, change nothing.
    QVERIFY(QDBusConnection::connectToBus(m_bus.address(), u"impostor"_s).isConnected());
    signalChange(u"impostor"_s, u"org.freedesktop.appearance"_s, u"color-scheme"_s, 1);
    signalChange(u"portal"_s, u"org.freedesktop.appearance"_s, u"contrast"_s, 1);
    signalChange(u"portal"_s, u"org.gnome.desktop.interface"_s, u"color-scheme"_s, 1);
    // The desktop's palette is light, as wished: it stays the desktop's.
    QTRY_COMPARE(window(), desktop);
    QTest::qWait(200);
    QCOMPARE(scheme.preference(), std::optional<bool>(false));

    // A chosen appearance stays, whatever the desktop says.
    appearance.apply(AppAppearance::dark);
    signalChange(u"portal"_s, u"org.freedesktop.appearance"_s, u"color-scheme"_s, 0);
    QTRY_VERIFY(!scheme.preference());
    QCOMPARE(window(), dark);
}

void DesktopColorSchemeTest::anOlderPortalAndNoPortalAreUnderstood() {
    {
        DesktopColorScheme none(m_client);
        int answers = 0;
        connect(&none, &DesktopColorScheme::changed, this, [&answers] { ++answers; });
        QTest::qWait(200);
        QCOMPARE(answers, 0);
        QVERIFY(!none.preference());
    }
    FakeSettings settings;
    settings.colorScheme = 1;
    settings.onlyRead = true;
    startPortal(settings, u"older"_s);
    DesktopColorScheme scheme(m_client);
    QTRY_COMPARE(scheme.preference(), std::optional<bool>(true));
    QCOMPARE(DesktopColorScheme::fromSetting(QVariant(u"1"_s)), std::nullopt);
}

void DesktopColorSchemeTest::cleanup() {
    for (const QString& connection : {u"portal"_s, u"impostor"_s, u"older"_s})
        QDBusConnection::disconnectFromBus(connection);
}

QTEST_MAIN(DesktopColorSchemeTest)
#include "DesktopColorSchemeTest.moc"
