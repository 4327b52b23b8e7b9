// A Wayland clipboard source for tests, like wl-copy but offering several
// types at once: `velloq-wayland-source TYPE=TEXT|TYPE=@FILE ...`. Prints
// "ready" once the compositor has the selection, then answers pastes until
// it is killed.

#include "platform/wayland/WaylandClipboardConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QList<WaylandClipboardConnection::Representation> offer;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        const qsizetype equals = argument.indexOf(u'=');
        const QString value = argument.mid(equals + 1);
        QByteArray data = value.toUtf8();
        if (value.startsWith(u'@')) {
            QFile file(value.mid(1));
            if (!file.open(QIODevice::ReadOnly))
                return 2;
            data = file.readAll();
        }
        offer.append({argument.left(equals), data});
    }
    std::unique_ptr<WaylandClipboardConnection> connection = WaylandClipboardConnection::connect();
    if (!connection || offer.isEmpty())
        return 1;
    connection->setSelection(offer);
    while (!connection->isOwnSelection()) {
        if (!connection->dispatch(std::chrono::milliseconds(100)))
            return 1;
    }
    QTextStream(stdout) << "ready" << Qt::endl;
    while (connection->dispatch(std::chrono::milliseconds(1000))) {
    }
    return 0;
}
