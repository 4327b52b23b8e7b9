// A clipboard peer for desktops that let only the window with the keyboard
// set or read the clipboard (GNOME): a small window that prints "focused"
// once it has the keyboard, then either copies `TYPE TEXT|@FILE ...` at
// the first key pressed in it (as a user's Control-C would; Mutter takes a
// selection only with the serial of an input event newer than the last
// selection's) and prints "ready", serving the copy until it is killed, or
// with `--print` prints the clipboard's types ("type: ...") and text
// ("text: ...") and quits. `--app-id ID` names its window.

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QRasterWindow>
#include <QTextStream>

#include <functional>

namespace {

class KeyWindow : public QRasterWindow {
public:
    std::function<void()> keyPressed;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (keyPressed)
            keyPressed();
        event->accept();
    }
};

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
    KeyWindow window;
    window.setTitle(QStringLiteral("Clipboard peer"));
    window.resize(200, 100);
    bool focused = false;
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [&](QWindow* window) {
        if (!window || focused)
            return;
        focused = true;
        out << "focused" << Qt::endl;
        if (printing) {
            print(out);
            QGuiApplication::quit();
        }
    });
    window.keyPressed = [&] {
        if (printing || !window.keyPressed)
            return;
        QMimeData* offer = offerOf(arguments);
        if (!offer) {
            QGuiApplication::exit(2);
            return;
        }
        QGuiApplication::clipboard()->setMimeData(offer);
        out << "ready" << Qt::endl;
        window.keyPressed = nullptr;
    };
    window.show();
    return QGuiApplication::exec();
}
