// A clipboard peer for desktops that let only the window with the keyboard
// set or read the clipboard (GNOME): a small window that, once it has the
// keyboard, either copies `TYPE TEXT|@FILE ...` and prints "ready",
// then serves the copy until it is killed, or with `--print` prints the
// clipboard's types ("type: ...") and text ("text: ...") and quits.
// `--app-id ID` names its window.

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QRasterWindow>
#include <QTextStream>

namespace {

// None when a file cannot be read.
QMimeData* offerOf(const QStringList& arguments) {
    auto* offer = new QMimeData;
    for (qsizetype index = 0; index + 1 < arguments.size(); index += 2) {
        const QString value = arguments.at(index + 1);
        QByteArray data = value.toUtf8();
        if (value.startsWith(u'@')) {
            QFile file(value.mid(1));
            if (!file.open(QIODevice::ReadOnly)) {
                delete offer;
                return nullptr;
            }
            data = file.readAll();
        }
        offer->setData(arguments.at(index), data);
    }
    return offer;
}

void print(QTextStream& out) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    for (const QString& type : data ? data->formats() : QStringList())
        out << "type: " << type << Qt::endl;
    out << "text: " << QGuiApplication::clipboard()->text() << Qt::endl;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QStringList arguments = QGuiApplication::arguments().mid(1);
    const qsizetype appId = arguments.indexOf(QStringLiteral("--app-id"));
    if (appId >= 0 && appId + 1 < arguments.size()) {
        QGuiApplication::setDesktopFileName(arguments.at(appId + 1));
        arguments.remove(appId, 2);
    }
    const bool printing = arguments.removeAll(QStringLiteral("--print")) > 0;
    QTextStream out(stdout);
    QRasterWindow window;
    window.setTitle(QStringLiteral("Clipboard peer"));
    window.resize(200, 100);
    bool done = false;
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [&](QWindow* focused) {
        if (!focused || done)
            return;
        done = true;
        if (printing) {
            print(out);
            QGuiApplication::quit();
            return;
        }
        QMimeData* offer = offerOf(arguments);
        if (!offer) {
            QGuiApplication::exit(2);
            return;
        }
        QGuiApplication::clipboard()->setMimeData(offer);
        out << "ready" << Qt::endl;
    });
    window.show();
    return QGuiApplication::exec();
}
