// A paste target for tests: a window with one text field that has the focus.
// Prints its window id (decimal) once shown, then every text the field
// receives, one line each.

#include <QApplication>
#include <QLineEdit>
#include <QTextStream>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velloq-paste-target"));
    QLineEdit field;
    field.setWindowTitle(QStringLiteral("Paste target"));
    field.resize(400, 40);
    QTextStream out(stdout);
    QObject::connect(&field, &QLineEdit::textChanged,
                     [&out](const QString& text) { out << "text: " << text << Qt::endl; });
    field.show();
    field.setFocus();
    QTimer::singleShot(0, [&] { out << field.winId() << Qt::endl; });
    return QApplication::exec();
}
