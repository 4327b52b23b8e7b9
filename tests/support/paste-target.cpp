// A paste target for tests: a window with one text field that has the focus.
// Prints its window id (decimal) once shown, then every text the field
// receives, one line each, and "active" whenever it gets the keyboard. On Wayland, `--app-id ID`
// names its toplevel (the default is the program's name) and `--full-screen` shows it so.

#include <QApplication>
#include <QLineEdit>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velloq-paste-target"));
    const QStringList arguments = QApplication::arguments();
    const qsizetype appId = arguments.indexOf(QStringLiteral("--app-id"));
    if (appId > 0 && appId + 1 < arguments.size())
        QGuiApplication::setDesktopFileName(arguments.at(appId + 1));
    QLineEdit field;
    field.setWindowTitle(QStringLiteral("Paste target"));
    field.resize(400, 40);
    QTextStream out(stdout);
    QObject::connect(&field, &QLineEdit::textChanged,
                     [&out](const QString& text) { out << "text: " << text << Qt::endl; });
    if (arguments.contains(QStringLiteral("--full-screen")))
        field.showFullScreen();
    else
        field.show();
    field.setFocus();
    QTimer::singleShot(0, [&] {
        out << field.winId() << Qt::endl;
        // After the id, which stays the first line.
        if (field.isActiveWindow())
            out << "active" << Qt::endl;
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, [&out](QWindow* window) {
            if (window)
                out << "active" << Qt::endl;
        });
    });
    return QApplication::exec();
}
