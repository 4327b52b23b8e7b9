// Reads the clipboard through Velloq's GNOME Shell extension as Velloq does,
// for tests of what the extension lets out: takes Velloq's bus name (so
// Velloq must not be running), then prints the current copy's TYPE, or
// "refused" when the extension gives nothing. Exits 1 without the bridge.

#include "platform/wayland/GnomeShellBridge.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        return 2;
    const auto bridge = GnomeShellBridge::connect(QDBusConnection::sessionBus());
    if (!bridge)
        return 1;
    const std::optional<QByteArray> data =
        bridge->read(bridge->initialSerial(), arguments.at(1), QDeadlineTimer(2000), 1 << 20);
    QTextStream(stdout) << (data ? QString::fromUtf8(*data) : QStringLiteral("refused"))
                        << Qt::endl;
    return 0;
}
